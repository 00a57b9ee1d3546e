#pragma once
// A static text that behaves as a hyperlink: underlined, blue until it has
// been opened and purple after, with a hand pointer. A click opens the link
// through the desktop; when that fails the control beeps.
//
// The link comes from the program's string resource with the control's id
// (see ControlId.h) or, when there is none, from the control's own text, read
// at every click so that a dialog can point the link elsewhere by changing the
// text. A link given to the constructor is what the control holds until its
// first click.

#include <QColor>
#include <QFont>
#include <QLabel>

#include "ui/Hyperlink.h"

namespace qx {

class CStaticLink : public QLabel {
    Q_OBJECT

  public:
    static constexpr QRgb kUnvisitedColour = qRgb(0, 0, 255);
    static constexpr QRgb kVisitedColour = qRgb(128, 0, 128);

    // bDeleteOnDestroy: the control frees itself when its window is closed,
    // for links that nobody else owns.
    explicit CStaticLink(const QString& strLink = QString(), bool bDeleteOnDestroy = false,
                         QWidget* parent = nullptr);

    const CHyperlink& Link() const { return m_link; }
    QColor CurrentColour() const { return m_crText; }
    bool DeletesOnDestroy() const { return m_bDeleteOnDestroy; }

  signals:
    // A click tried to open the link; bOpened tells whether it was opened.
    void navigated(bool bOpened);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // Only text statics are links; a picture is drawn as it is.
    bool DrawsAsLink() const;
    void OnClicked();

    CHyperlink m_link;
    QColor m_crText{kUnvisitedColour};
    QFont m_fontUnderline;
    bool m_bFontReady = false;
    bool m_bDeleteOnDestroy;
    bool m_bPressed = false;
};

}  // namespace qx
