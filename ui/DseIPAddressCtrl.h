#pragma once
// A self-drawn entry field for a dotted IPv4 address in four fields. Typing
// follows the rules of an address field: digits fill a field and move on to
// the next when it is full, "." and Space jump between fields, a value above a
// field's range is clamped with a beep. A "." typed right after a field moved
// the caret on by itself is taken as that field's end, so typing a whole
// address with its dots ("192.168.1.20") fills the fields as written. Every change of the address
// tells the owner twice, as an edit control does: addressUpdate() before the control repaints,
// addressChange() after it; nothing is sent when neither the blank state nor the address changed.

#include <QBasicTimer>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace qx {

class CDseIPAddressCtrl : public QWidget {
    Q_OBJECT

  public:
    // The name of the control's window class on the original platform; the
    // control carries it as its class name for style sheets and look-ups.
    static constexpr const char* kClassName = "DseIPAddressCtrlClass";
    static constexpr int kFieldCount = 4;
    static constexpr int kMaxFieldDigits = 3;

    explicit CDseIPAddressCtrl(QWidget* parent = nullptr);

    // All fields blank, address 0.
    void ClearAddress();
    // True when every field is blank.
    bool IsBlank() const;
    // The address with the first field in the most significant byte; the
    // optional outputs receive the four fields from the first on.
    uint32_t GetAddress(uint8_t* pField0 = nullptr, uint8_t* pField1 = nullptr,
                        uint8_t* pField2 = nullptr, uint8_t* pField3 = nullptr) const;
    void SetAddress(uint32_t dwAddress);
    void SetAddress(uint8_t nField0, uint8_t nField1, uint8_t nField2, uint8_t nField3);
    // Up to four decimal numbers separated by "."; missing numbers count as 0,
    // the empty text clears the control.
    void SetAddress(const QString& strAddress);
    // The smaller value becomes the field's minimum, the larger its maximum;
    // the field's value is clamped at once. Ignored for a field outside 0..3.
    void SetFieldRange(int nField, uint8_t nValue1, uint8_t nValue2);
    uint8_t FieldMinimum(int nField) const { return m_range[Field(nField)][0]; }
    uint8_t FieldMaximum(int nField) const { return m_range[Field(nField)][1]; }
    // "a.b.c.d" of the four values, or the empty text when the control is blank.
    QString WindowText() const;

    // A read-only control shows its address greyed and refuses changes by the
    // keyboard; the caret still moves.
    void SetReadOnly(bool bReadOnly);
    bool IsReadOnly() const { return m_bReadOnly; }

    // What the user sees: the text of each field, the field that holds the
    // caret, and the selection inside it (character positions 0..3).
    QString FieldText(int nField) const { return m_strField[Field(nField)]; }
    int FocusField() const { return m_nFocusField; }
    int SelectionStart() const { return m_nSelStart; }
    int CaretPosition() const { return m_nCaret; }
    QString SelectedText() const;
    // Where a field lies in the control, in widget coordinates.
    QRect FieldRect(int nField) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    // The address is about to be shown changed (the control repaints next).
    void addressUpdate();
    // The changed address is shown.
    void addressChange();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    // State before an edit, to tell whether the owner must hear of it.
    struct Snapshot {
        bool bBlank;
        uint32_t dwAddress;
    };

    static int Field(int nField) { return nField < 0 ? 0 : nField >= kFieldCount ? 3 : nField; }
    Snapshot Before() const { return {IsBlank(), m_dwAddress}; }
    // Reads the fields back into the address and notifies or just repaints.
    void Finish(const Snapshot& before);
    void ReadBack();
    void SetFieldValues(const int anValues[kFieldCount]);
    int ClampToRange(int nField, int nValue) const;

    int SelMin() const { return m_nSelStart < m_nCaret ? m_nSelStart : m_nCaret; }
    int SelMax() const { return m_nSelStart < m_nCaret ? m_nCaret : m_nSelStart; }
    void SetCaret(int nCaret, bool bKeepSelection = false);
    // Moves the caret into another field: its text selected, or the caret at
    // its start or end.
    enum class Place { SelectAll, Start, End };
    void MoveToField(int nField, Place place);
    // A field that the user leaves may not stay below its minimum.
    void LeaveField(int nField);

    void TypeDigit(QChar digit);
    void Backspace();
    void DeleteForward();
    void MoveLeft(Qt::KeyboardModifiers modifiers);
    void MoveRight(Qt::KeyboardModifiers modifiers);

    void UpdateMetrics();
    QRect ClientRect() const;
    int FrameWidth() const;
    int TextLeft(int nField) const;
    int FieldAt(int nX) const;
    int CaretAt(int nField, int nX) const;
    void RestartCaretBlink();

    uint32_t m_dwAddress = 0;
    int m_nFocusField = 0;
    int m_nSelStart = 0;
    int m_nCaret = 0;
    uint8_t m_range[kFieldCount][2];
    QString m_strField[kFieldCount];
    int m_nCharHeight = 0;
    int m_nDotWidth = 0;
    int m_nWidth999 = 0;
    int m_nFieldWidth = 0;
    int m_nTextTop = 0;

    bool m_bReadOnly = false;
    // The last key filled a field and moved the caret on by itself.
    bool m_bAutoAdvanced = false;
    bool m_bDragging = false;
    bool m_bCaretShown = true;
    QBasicTimer m_caretTimer;
};

}  // namespace qx
