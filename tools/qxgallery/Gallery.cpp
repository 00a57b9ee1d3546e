#include "Gallery.h"

#include <QApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/CheckList.h"
#include "ui/ControlId.h"
#include "ui/DseFirstAddressQuery.h"
#include "ui/DseIPAddressCtrl.h"
#include "ui/Hyperlink.h"
#include "ui/StaticLink.h"

namespace qx {

namespace {

void SendKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(widget, &release);
}

CDseIPAddressCtrl* AddressRow(QFormLayout* form, const QString& label, const QString& address) {
    auto* ctrl = new CDseIPAddressCtrl;
    ctrl->SetAddress(address);
    ctrl->setMinimumWidth(170);
    form->addRow(label, ctrl);
    return ctrl;
}

}  // namespace

Gallery::Gallery() {
    setWindowTitle(QStringLiteral("User-interface controls"));
    m_pCheckPanel = MakeCheckListPanel();
    m_pAddressPanel = MakeAddressPanel();
    m_pLinkPanel = MakeLinkPanel();

    auto* open = new QPushButton(QStringLiteral("Show the first-address window"));
    connect(open, &QPushButton::clicked, this, [this] {
        auto* query = new CDseFirstAddressQuery(this);
        query->setAttribute(Qt::WA_DeleteOnClose);
        query->show();
    });

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_pCheckPanel, 0, 0, 2, 1);
    grid->addWidget(m_pAddressPanel, 0, 1);
    grid->addWidget(m_pLinkPanel, 1, 1);
    grid->addWidget(open, 2, 1, Qt::AlignRight);
}

QGroupBox* Gallery::MakeCheckListPanel() {
    auto* panel = new QGroupBox(QStringLiteral("Devices"));
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(new QLabel(QStringLiteral("Look for these kinds of device:")));

    // The list is placed like a dialog item; a holder gives it its room.
    auto* holder = new QWidget;
    holder->setFixedSize(250, 190);
    layout->addWidget(holder);
    layout->addStretch();
    m_pCheckList = new CCheckList;
    m_pCheckList->setParent(panel);
    m_pCheckList->Create(QRect(0, 0, 250, 190), holder, 10001, kCheckBitmapUnchecked,
                         kCheckBitmapChecked, kCheckBitmapPartlyChecked,
                         palette().color(QPalette::Base));

    const QColor text = palette().color(QPalette::Text);
    const QColor selText = palette().color(QPalette::HighlightedText);
    const QColor selection = palette().color(QPalette::Highlight);
    auto add = [&](const char* name, CheckItem* parent, int state) {
        return m_pCheckList->AddItem(QString::fromUtf8(name), parent, state, 0, text, selText,
                                     selection);
    };
    CheckItem* korvalen = add("Korvalen printers", nullptr, 2);
    add("RK-2020 controllers", korvalen, 1);
    add("RK-2030 controllers", korvalen, 0);
    add("QX-2 controllers", korvalen, 1);
    CheckItem* brisel = add("Brisel printers", nullptr, 1);
    add("Brisel office series", brisel, 1);
    add("Brisel colour series", brisel, 1);
    CheckItem* orven = add("Orven printers", nullptr, 0);
    add("Orven workgroup series", orven, 0);
    add("Print controllers on a workstation", nullptr, 0);
    m_pCheckList->SelectItem(2);
    m_pCheckList->SelectItem(0);
    return panel;
}

QGroupBox* Gallery::MakeAddressPanel() {
    auto* panel = new QGroupBox(QStringLiteral("Network"));
    auto* form = new QFormLayout(panel);
    m_pFrom = AddressRow(form, QStringLiteral("From:"), QStringLiteral("192.168.1.1"));
    AddressRow(form, QStringLiteral("To:"), QStringLiteral("192.168.1.254"));
    AddressRow(form, QStringLiteral("Blank:"), QString());
    AddressRow(form, QStringLiteral("Read-only:"), QStringLiteral("10.0.0.1"))->SetReadOnly(true);
    AddressRow(form, QStringLiteral("Disabled:"), QStringLiteral("172.16.0.0"))->setEnabled(false);
    return panel;
}

QGroupBox* Gallery::MakeLinkPanel() {
    auto* panel = new QGroupBox(QStringLiteral("Device web page"));
    auto* form = new QFormLayout(panel);
    auto* fresh = new CStaticLink;
    fresh->setText(QStringLiteral("http://192.168.1.20:8080"));
    SetControlId(fresh, 600);
    form->addRow(QStringLiteral("Not yet visited:"), fresh);
    m_pVisited = new CStaticLink;
    m_pVisited->setText(QStringLiteral("http://192.168.1.21:8080"));
    form->addRow(QStringLiteral("Visited:"), m_pVisited);
    return panel;
}

void Gallery::ShowInteractionStates() {
    // The user clicked into the From address and jumped to its third field.
    m_pFrom->setFocus(Qt::MouseFocusReason);
    SendKey(m_pFrom, Qt::Key_Home);
    SendKey(m_pFrom, Qt::Key_Right, Qt::ControlModifier);
    SendKey(m_pFrom, Qt::Key_Right, Qt::ControlModifier);

    // The user opened one of the links; nothing is launched for the picture.
    const auto previous = CHyperlink::SetUrlOpener([](const QUrl&) { return true; });
    const QPointF centre = QRectF(m_pVisited->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, m_pVisited->mapToGlobal(centre),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_pVisited, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, m_pVisited->mapToGlobal(centre),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(m_pVisited, &release);
    CHyperlink::SetUrlOpener(previous);
}

}  // namespace qx
