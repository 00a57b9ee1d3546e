#include "StaticLink.h"

#include <QMouseEvent>
#include <QMovie>
#include <QPainter>

#include "ui/Beep.h"
#include "ui/ControlId.h"
#include "ui/StringResource.h"

namespace qx {

CStaticLink::CStaticLink(const QString& strLink, bool bDeleteOnDestroy, QWidget* parent)
    : QLabel(parent), m_link(strLink), m_bDeleteOnDestroy(bDeleteOnDestroy) {
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_DeleteOnClose, bDeleteOnDestroy);
}

bool CStaticLink::DrawsAsLink() const {
    return pixmap().isNull() && movie() == nullptr;
}

void CStaticLink::paintEvent(QPaintEvent* event) {
    if (!DrawsAsLink()) {
        QLabel::paintEvent(event);
        return;
    }
    if (!m_bFontReady) {
        m_fontUnderline = font();
        m_fontUnderline.setUnderline(true);
        m_bFontReady = true;
    }
    QPainter painter(this);
    painter.setFont(m_fontUnderline);
    // A disabled link is greyed like any disabled text.
    painter.setPen(isEnabled() ? m_crText
                               : palette().color(QPalette::Disabled, QPalette::WindowText));
    int nFlags = static_cast<int>(alignment());
    if (wordWrap())
        nFlags |= Qt::TextWordWrap;
    const int nMargin = margin();
    painter.drawText(contentsRect().adjusted(nMargin, nMargin, -nMargin, -nMargin), nFlags, text());
}

void CStaticLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bPressed = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void CStaticLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    const bool bClicked = m_bPressed && rect().contains(event->position().toPoint());
    m_bPressed = false;
    event->accept();
    if (bClicked)
        OnClicked();
}

void CStaticLink::OnClicked() {
    // Read at every click, also over a link given at construction: a dialog
    // points the control elsewhere by its text.
    QString strLink;
    const int nId = ControlId(this);
    if (nId == 0 || !LoadStringResource(nId, strLink))
        strLink = text();
    m_link.SetLink(strLink);
    if (m_link.IsEmpty())
        return;
    const bool bOpened = m_link.Navigate();
    if (bOpened) {
        m_crText = QColor(kVisitedColour);
        update();
    } else {
        Beep();
    }
    emit navigated(bOpened);
}

void CStaticLink::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        m_bFontReady = false;
    QLabel::changeEvent(event);
}

}  // namespace qx
