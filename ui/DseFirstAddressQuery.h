#pragma once
// The small window that tells the user that a printer's address is being
// looked up for the first time. Its caption and text come from the language
// library when it opens; without the library it says so in a message box and
// keeps the texts it was built with.

#include <QDialog>

class QLabel;

namespace qx {

class CDseFirstAddressQuery : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 15009;
    static constexpr int kTextControlId = 213;
    static constexpr int kCaptionStringId = 55;
    static constexpr int kTextStringId = 20;
    // The texts of the dialog's own resource.
    static constexpr const char* kResourceCaption = "Printer Address";
    static constexpr const char* kResourceText = "Locating printer address. Please wait.";

    explicit CDseFirstAddressQuery(QWidget* parent = nullptr);

    QLabel* TextControl() const { return m_pText; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void OnInitDialog();

    QLabel* m_pText;
    bool m_bInitialised = false;
};

}  // namespace qx
