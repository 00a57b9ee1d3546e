#include "DseIPAddressCtrl.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimerEvent>

#include <algorithm>
#include <climits>

#include "ui/Beep.h"

namespace qx {

namespace {

// The largest value a field's text can still grow to with more digits.
int LargestReachable(const QString& strText) {
    int nValue = strText.toInt();
    for (qsizetype i = strText.size(); i < CDseIPAddressCtrl::kMaxFieldDigits; ++i)
        nValue = nValue * 10 + 9;
    return nValue;
}

// sscanf's "%d": optional blanks and sign, then at least one digit. Saturates
// instead of overflowing.
bool ScanNumber(const QString& strText, qsizetype& nPos, int& nValue) {
    while (nPos < strText.size() && strText[nPos].isSpace())
        ++nPos;
    bool bNegative = false;
    if (nPos < strText.size() && (strText[nPos] == u'-' || strText[nPos] == u'+'))
        bNegative = strText[nPos++] == u'-';
    const qsizetype nStart = nPos;
    long long llValue = 0;
    while (nPos < strText.size() && strText[nPos] >= u'0' && strText[nPos] <= u'9') {
        llValue = std::min<long long>(llValue * 10 + (strText[nPos].unicode() - u'0'), INT_MAX);
        ++nPos;
    }
    if (nPos == nStart)
        return false;
    nValue = static_cast<int>(bNegative ? -llValue : llValue);
    return true;
}

}  // namespace

CDseIPAddressCtrl::CDseIPAddressCtrl(QWidget* parent) : QWidget(parent) {
    setObjectName(QLatin1String(kClassName));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (auto& range : m_range) {
        range[0] = 0;
        range[1] = 255;
    }
    UpdateMetrics();
}

// ---- Interface ------------------------------------------------------------

void CDseIPAddressCtrl::ClearAddress() {
    const Snapshot before = Before();
    for (QString& text : m_strField)
        text.clear();
    m_nSelStart = m_nCaret = 0;
    Finish(before);
}

bool CDseIPAddressCtrl::IsBlank() const {
    return std::all_of(std::begin(m_strField), std::end(m_strField),
                       [](const QString& text) { return text.isEmpty(); });
}

uint32_t CDseIPAddressCtrl::GetAddress(uint8_t* pField0, uint8_t* pField1, uint8_t* pField2,
                                       uint8_t* pField3) const {
    uint8_t* apField[kFieldCount] = {pField0, pField1, pField2, pField3};
    for (int i = 0; i < kFieldCount; ++i)
        if (apField[i] != nullptr)
            *apField[i] = static_cast<uint8_t>(m_dwAddress >> (24 - 8 * i));
    return m_dwAddress;
}

void CDseIPAddressCtrl::SetAddress(uint32_t dwAddress) {
    const int anValues[kFieldCount] = {
        static_cast<int>(dwAddress >> 24), static_cast<int>((dwAddress >> 16) & 0xFF),
        static_cast<int>((dwAddress >> 8) & 0xFF), static_cast<int>(dwAddress & 0xFF)};
    SetFieldValues(anValues);
}

void CDseIPAddressCtrl::SetAddress(uint8_t nField0, uint8_t nField1, uint8_t nField2,
                                   uint8_t nField3) {
    const int anValues[kFieldCount] = {nField0, nField1, nField2, nField3};
    SetFieldValues(anValues);
}

void CDseIPAddressCtrl::SetAddress(const QString& strAddress) {
    if (strAddress.isEmpty()) {
        ClearAddress();
        return;
    }
    int anValues[kFieldCount] = {0, 0, 0, 0};
    qsizetype nPos = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        if (!ScanNumber(strAddress, nPos, anValues[i]))
            break;
        if (nPos >= strAddress.size() || strAddress[nPos] != u'.')
            break;
        ++nPos;
    }
    SetFieldValues(anValues);
}

void CDseIPAddressCtrl::SetFieldValues(const int anValues[kFieldCount]) {
    const Snapshot before = Before();
    for (int i = 0; i < kFieldCount; ++i)
        m_strField[i] = QString::number(ClampToRange(i, anValues[i]));
    m_nSelStart = m_nCaret = 0;
    Finish(before);
}

void CDseIPAddressCtrl::SetFieldRange(int nField, uint8_t nValue1, uint8_t nValue2) {
    if (nField < 0 || nField >= kFieldCount)
        return;
    const Snapshot before = Before();
    m_range[nField][0] = std::min(nValue1, nValue2);
    m_range[nField][1] = std::max(nValue1, nValue2);
    QString& text = m_strField[nField];
    if (!text.isEmpty()) {
        const int nValue = text.toInt();
        const int nClamped = ClampToRange(nField, nValue);
        if (nClamped != nValue)
            text = QString::number(nClamped);
    }
    if (nField == m_nFocusField) {
        m_nCaret = std::min<int>(m_nCaret, text.size());
        m_nSelStart = std::min<int>(m_nSelStart, text.size());
    }
    Finish(before);
}

QString CDseIPAddressCtrl::WindowText() const {
    if (IsBlank())
        return QString();
    return QStringLiteral("%1.%2.%3.%4")
        .arg(m_dwAddress >> 24)
        .arg((m_dwAddress >> 16) & 0xFF)
        .arg((m_dwAddress >> 8) & 0xFF)
        .arg(m_dwAddress & 0xFF);
}

void CDseIPAddressCtrl::SetReadOnly(bool bReadOnly) {
    if (m_bReadOnly == bReadOnly)
        return;
    m_bReadOnly = bReadOnly;
    update();
}

QString CDseIPAddressCtrl::SelectedText() const {
    return m_strField[m_nFocusField].mid(SelMin(), SelMax() - SelMin());
}

// ---- Changes ----------------------------------------------------------------

int CDseIPAddressCtrl::ClampToRange(int nField, int nValue) const {
    return std::clamp(nValue, static_cast<int>(m_range[nField][0]),
                      static_cast<int>(m_range[nField][1]));
}

void CDseIPAddressCtrl::ReadBack() {
    // A blank control has no address at all, whatever the fields' minimums.
    if (IsBlank()) {
        m_dwAddress = 0;
        return;
    }
    uint32_t dwAddress = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        const int nValue = ClampToRange(i, m_strField[i].isEmpty() ? 0 : m_strField[i].toInt());
        dwAddress |= static_cast<uint32_t>(nValue) << (24 - 8 * i);
    }
    m_dwAddress = dwAddress;
}

void CDseIPAddressCtrl::Finish(const Snapshot& before) {
    ReadBack();
    RestartCaretBlink();
    if (IsBlank() == before.bBlank && m_dwAddress == before.dwAddress) {
        update();
        return;
    }
    emit addressUpdate();
    repaint();
    emit addressChange();
}

void CDseIPAddressCtrl::SetCaret(int nCaret, bool bKeepSelection) {
    m_nCaret = std::clamp<int>(nCaret, 0, m_strField[m_nFocusField].size());
    if (!bKeepSelection)
        m_nSelStart = m_nCaret;
}

void CDseIPAddressCtrl::MoveToField(int nField, Place place) {
    if (nField < 0 || nField >= kFieldCount)
        return;
    if (nField != m_nFocusField)
        LeaveField(m_nFocusField);
    m_nFocusField = nField;
    const int nLength = m_strField[nField].size();
    switch (place) {
        case Place::SelectAll:
            m_nSelStart = 0;
            m_nCaret = nLength;
            break;
        case Place::Start:
            m_nSelStart = m_nCaret = 0;
            break;
        case Place::End:
            m_nSelStart = m_nCaret = nLength;
            break;
    }
}

void CDseIPAddressCtrl::LeaveField(int nField) {
    QString& text = m_strField[nField];
    if (text.isEmpty() || text.toInt() >= m_range[nField][0])
        return;
    text = QString::number(m_range[nField][0]);
    // The minimum may have fewer digits than the text it replaces ("04"
    // becomes "5"): keep the caret and the selection inside the field.
    if (nField == m_nFocusField) {
        m_nCaret = std::min<int>(m_nCaret, text.size());
        m_nSelStart = std::min<int>(m_nSelStart, text.size());
    }
    Beep();
}

void CDseIPAddressCtrl::TypeDigit(QChar digit) {
    QString& text = m_strField[m_nFocusField];
    const bool bLastField = m_nFocusField == kFieldCount - 1;
    if (SelMin() != SelMax()) {
        text.replace(SelMin(), SelMax() - SelMin(), digit);
        SetCaret(SelMin() + 1);
    } else if (text.size() >= kMaxFieldDigits) {
        Beep();
        if (m_nCaret == text.size() && !bLastField)
            MoveToField(m_nFocusField + 1, Place::SelectAll);
        return;
    } else {
        text.insert(m_nCaret, digit);
        SetCaret(m_nCaret + 1);
    }

    const int nValue = text.toInt();
    const uint8_t nMin = m_range[m_nFocusField][0];
    const uint8_t nMax = m_range[m_nFocusField][1];
    if (nValue > nMax) {
        text = QString::number(nMax);
        m_nSelStart = 0;
        m_nCaret = text.size();
        Beep();
    } else if (nValue < nMin && LargestReachable(text) < nMin) {
        // Only once no further digit can bring the field into its range: a
        // minimum of 100 must not turn the "1" of "150" into 100.
        text = QString::number(nMin);
        SetCaret(text.size());
        Beep();
    } else if (m_nCaret == kMaxFieldDigits && !bLastField) {
        MoveToField(m_nFocusField + 1, Place::SelectAll);
        m_bAutoAdvanced = true;
    }
}

void CDseIPAddressCtrl::Backspace() {
    QString& text = m_strField[m_nFocusField];
    if (SelMin() != SelMax()) {
        const int nStart = SelMin();
        text.remove(nStart, SelMax() - nStart);
        SetCaret(nStart);
    } else if (m_nCaret > 0) {
        text.remove(m_nCaret - 1, 1);
        SetCaret(m_nCaret - 1);
    } else if (m_nFocusField > 0) {
        MoveToField(m_nFocusField - 1, Place::End);
        QString& previous = m_strField[m_nFocusField];
        if (!previous.isEmpty())
            previous.chop(1);
        SetCaret(previous.size());
    }
}

void CDseIPAddressCtrl::DeleteForward() {
    QString& text = m_strField[m_nFocusField];
    if (SelMin() != SelMax()) {
        const int nStart = SelMin();
        text.remove(nStart, SelMax() - nStart);
        SetCaret(nStart);
    } else if (m_nCaret < text.size()) {
        text.remove(m_nCaret, 1);
        SetCaret(m_nCaret);
    }
}

void CDseIPAddressCtrl::MoveLeft(Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::ControlModifier)
        MoveToField(m_nFocusField - 1, Place::SelectAll);
    else if (modifiers & Qt::ShiftModifier)
        SetCaret(m_nCaret - 1, true);
    else if (SelMin() != SelMax())
        SetCaret(SelMin());
    else if (m_nCaret > 0)
        SetCaret(m_nCaret - 1);
    else
        MoveToField(m_nFocusField - 1, Place::End);
}

void CDseIPAddressCtrl::MoveRight(Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::ControlModifier)
        MoveToField(m_nFocusField + 1, Place::SelectAll);
    else if (modifiers & Qt::ShiftModifier)
        SetCaret(m_nCaret + 1, true);
    else if (SelMin() != SelMax())
        SetCaret(SelMax());
    else if (m_nCaret < m_strField[m_nFocusField].size())
        SetCaret(m_nCaret + 1);
    else
        MoveToField(m_nFocusField + 1, Place::Start);
}

// ---- Input ------------------------------------------------------------------

void CDseIPAddressCtrl::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_CapsLock:
            // A modifier on its own is no key of the address.
            QWidget::keyPressEvent(event);
            return;
        default:
            break;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool bBackward = modifiers & (Qt::ControlModifier | Qt::ShiftModifier);
    const Snapshot before = Before();
    const bool bAutoAdvanced = m_bAutoAdvanced;
    m_bAutoAdvanced = false;
    const auto nextField = [&] {
        if (bBackward)
            MoveToField(m_nFocusField - 1, Place::SelectAll);
        else if (!bAutoAdvanced)  // the separator after a full field: the caret is there already
            MoveToField(m_nFocusField + 1, Place::SelectAll);
    };
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            MoveLeft(modifiers);
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            MoveRight(modifiers);
            break;
        case Qt::Key_Home:
            // As in a one-line edit: the start of the whole address; with
            // Shift the selection reaches the start of the field.
            if (modifiers & Qt::ShiftModifier)
                SetCaret(0, true);
            else
                MoveToField(0, Place::Start);
            break;
        case Qt::Key_End:
            if (modifiers & Qt::ShiftModifier)
                SetCaret(m_strField[m_nFocusField].size(), true);
            else
                MoveToField(kFieldCount - 1, Place::End);
            break;
        case Qt::Key_Space:
        case Qt::Key_Period:
            nextField();
            break;
        case Qt::Key_Backspace:
            if (m_bReadOnly)
                Beep();
            else
                Backspace();
            break;
        case Qt::Key_Delete:
            if (m_bReadOnly)
                Beep();
            else
                DeleteForward();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            // The dialog's keys: default button, cancel, next control.
            event->ignore();
            return;
        default: {
            const QString strText = event->text();
            if (strText.isEmpty()) {
                QWidget::keyPressEvent(event);
                return;
            }
            const QChar ch = strText.front();
            if (ch == u'.')
                nextField();
            else if (ch.isDigit() && ch.unicode() < 0x80 && !m_bReadOnly)
                TypeDigit(ch);
            else
                Beep();
        }
    }
    event->accept();
    Finish(before);
}

int CDseIPAddressCtrl::FieldAt(int nX) const {
    const QRect client = ClientRect();
    // A click on a dot belongs to the nearer field.
    const int nPitch = m_nFieldWidth + m_nDotWidth;
    if (nPitch <= 0)
        return 0;
    return std::clamp((nX - client.left() + m_nDotWidth / 2) / nPitch, 0, kFieldCount - 1);
}

int CDseIPAddressCtrl::CaretAt(int nField, int nX) const {
    const QString& text = m_strField[nField];
    const QFontMetrics metrics(font());
    const int nLeft = TextLeft(nField);
    int nBest = 0;
    int nBestDistance = INT_MAX;
    for (int i = 0; i <= text.size(); ++i) {
        const int nDistance = std::abs(nLeft + metrics.horizontalAdvance(text.left(i)) - nX);
        if (nDistance < nBestDistance) {
            nBestDistance = nDistance;
            nBest = i;
        }
    }
    return nBest;
}

void CDseIPAddressCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const Snapshot before = Before();
    m_bAutoAdvanced = false;
    const QPoint pt = event->position().toPoint();
    const int nField = FieldAt(pt.x());
    const bool bExtend = (event->modifiers() & Qt::ShiftModifier) && nField == m_nFocusField;
    MoveToField(nField, Place::Start);
    SetCaret(CaretAt(nField, pt.x()), bExtend);
    m_bDragging = true;
    Finish(before);
}

void CDseIPAddressCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bDragging)
        return;
    SetCaret(CaretAt(m_nFocusField, event->position().toPoint().x()), true);
    RestartCaretBlink();
    update();
}

void CDseIPAddressCtrl::mouseReleaseEvent(QMouseEvent*) {
    m_bDragging = false;
}

void CDseIPAddressCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    MoveToField(m_nFocusField, Place::SelectAll);
    RestartCaretBlink();
    update();
}

void CDseIPAddressCtrl::focusInEvent(QFocusEvent* event) {
    // Tabbing into the control selects the first field, as tabbing into an
    // edit selects its text.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) {
        const Snapshot before = Before();
        MoveToField(0, Place::SelectAll);
        Finish(before);
    }
    RestartCaretBlink();
    update();
}

void CDseIPAddressCtrl::focusOutEvent(QFocusEvent*) {
    m_caretTimer.stop();
    m_bDragging = false;
    m_bAutoAdvanced = false;
    const Snapshot before = Before();
    LeaveField(m_nFocusField);
    Finish(before);
}

void CDseIPAddressCtrl::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_caretTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_bCaretShown = !m_bCaretShown;
    update();
}

void CDseIPAddressCtrl::RestartCaretBlink() {
    m_bCaretShown = true;
    const int nFlash = QApplication::cursorFlashTime();
    if (hasFocus() && nFlash > 0)
        m_caretTimer.start(nFlash / 2, this);
    else
        m_caretTimer.stop();
}

// ---- Layout and painting ----------------------------------------------------

int CDseIPAddressCtrl::FrameWidth() const {
    return style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
}

QRect CDseIPAddressCtrl::ClientRect() const {
    const int nFrame = FrameWidth();
    return rect().adjusted(nFrame, nFrame, -nFrame, -nFrame);
}

void CDseIPAddressCtrl::UpdateMetrics() {
    const QFontMetrics metrics(font());
    const QRect client = ClientRect();
    m_nCharHeight = metrics.height();
    m_nDotWidth = metrics.horizontalAdvance(u'.');
    m_nWidth999 = metrics.horizontalAdvance(QStringLiteral("999"));
    m_nFieldWidth = std::max(m_nWidth999, (client.width() - 3 * m_nDotWidth) / kFieldCount);
    m_nTextTop = (client.height() - m_nCharHeight) / 2;
}

QRect CDseIPAddressCtrl::FieldRect(int nField) const {
    const QRect client = ClientRect();
    return QRect(client.left() + Field(nField) * (m_nFieldWidth + m_nDotWidth), client.top(),
                 m_nFieldWidth, client.height());
}

int CDseIPAddressCtrl::TextLeft(int nField) const {
    const int nTextWidth = QFontMetrics(font()).horizontalAdvance(m_strField[nField]);
    return FieldRect(nField).left() + (m_nFieldWidth - nTextWidth) / 2;
}

QSize CDseIPAddressCtrl::sizeHint() const {
    const QFontMetrics metrics(font());
    const int nFrame = FrameWidth();
    const int nFieldWidth = metrics.horizontalAdvance(QStringLiteral("999")) + 8;
    return QSize(kFieldCount * nFieldWidth + 3 * metrics.horizontalAdvance(u'.') + 2 * nFrame,
                 metrics.height() + 2 * nFrame + 4);
}

QSize CDseIPAddressCtrl::minimumSizeHint() const {
    const QFontMetrics metrics(font());
    const int nFrame = FrameWidth();
    return QSize(kFieldCount * metrics.horizontalAdvance(QStringLiteral("999")) +
                     3 * metrics.horizontalAdvance(u'.') + 2 * nFrame,
                 metrics.height() + 2 * nFrame);
}

void CDseIPAddressCtrl::resizeEvent(QResizeEvent*) {
    UpdateMetrics();
}

void CDseIPAddressCtrl::changeEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::FontChange:
        case QEvent::StyleChange:
            UpdateMetrics();
            updateGeometry();
            update();
            break;
        case QEvent::EnabledChange:
        case QEvent::PaletteChange:
        case QEvent::ActivationChange:
            update();
            break;
        default:
            break;
    }
    QWidget::changeEvent(event);
}

void CDseIPAddressCtrl::paintEvent(QPaintEvent*) {
    // Everything is drawn into a buffer first and copied in one piece, so a
    // repaint never flickers through a half-drawn control.
    const qreal dpr = devicePixelRatioF();
    QPixmap buffer(size() * dpr);
    buffer.setDevicePixelRatio(dpr);
    buffer.fill(Qt::transparent);
    QPainter painter(&buffer);

    const bool bGrey = !isEnabled() || m_bReadOnly;
    const QPalette& pal = palette();
    const QColor crBackground = pal.color(bGrey ? QPalette::Button : QPalette::Base);
    const QColor crText =
        bGrey ? pal.color(QPalette::Disabled, QPalette::Text) : pal.color(QPalette::Text);

    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect();
    frame.lineWidth = FrameWidth();
    frame.midLineWidth = 0;
    frame.state |= QStyle::State_Sunken;
    if (m_bReadOnly)
        frame.state |= QStyle::State_ReadOnly;
    frame.palette.setColor(QPalette::Base, crBackground);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &painter, this);

    const QRect client = ClientRect();
    painter.setClipRect(client);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int nBaseline = client.top() + m_nTextTop + metrics.ascent();
    const bool bFocus = hasFocus();

    for (int i = 0; i < kFieldCount; ++i) {
        const QString& text = m_strField[i];
        int nX = TextLeft(i);
        const bool bSelection = bFocus && i == m_nFocusField && SelMin() != SelMax();
        const int nSelMin = bSelection ? SelMin() : text.size();
        const int nSelMax = bSelection ? SelMax() : text.size();
        const QString parts[3] = {text.left(nSelMin), text.mid(nSelMin, nSelMax - nSelMin),
                                  text.mid(nSelMax)};
        for (int nPart = 0; nPart < 3; ++nPart) {
            if (parts[nPart].isEmpty())
                continue;
            const int nWidth = metrics.horizontalAdvance(parts[nPart]);
            if (nPart == 1) {
                painter.fillRect(QRect(nX, client.top() + m_nTextTop, nWidth, m_nCharHeight),
                                 pal.color(QPalette::Highlight));
                painter.setPen(pal.color(QPalette::HighlightedText));
            } else {
                painter.setPen(crText);
            }
            painter.drawText(nX, nBaseline, parts[nPart]);
            nX += nWidth;
        }
        if (i + 1 < kFieldCount) {
            painter.setPen(crText);
            painter.drawText(FieldRect(i).right() + 1, nBaseline, QStringLiteral("."));
        }
    }

    if (bFocus && isEnabled() && m_bCaretShown) {
        const int nCaretX = TextLeft(m_nFocusField) +
                            metrics.horizontalAdvance(m_strField[m_nFocusField].left(m_nCaret));
        painter.fillRect(QRect(nCaretX, client.top() + m_nTextTop, 1, m_nCharHeight), crText);
    }
    painter.end();

    QPainter screen(this);
    screen.drawPixmap(0, 0, buffer);
}

}  // namespace qx
