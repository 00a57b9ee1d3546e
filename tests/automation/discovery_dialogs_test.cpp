// The document-monitor objects with the real discovery dialogs, offscreen in
// this process: each dialog an automation method opens is found as the
// active modal widget once it runs, looked at, and closed by a click on its
// button, as a user would.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>

#include "automation/CDseTendraKORVALEN.h"
#include "discovery/dialogs/DiscoveryLocal.h"
#include "discovery/dialogs/DseDiscoveryDlg.h"
#include "discovery/dialogs/SelectionStore.h"
#include "platform/com/ComPtr.h"
#include "platform/registry/RegistryKey.h"
#include "settings/Settings.h"
#include "support/PrivateBus.h"
#include "support/PrivateNetwork.h"
#include "support/RegFixture.h"
#include "support/TempRegistry.h"
#include "tests/discovery/DialogTestKit.h"

QX_TEST_USES_PRIVATE_NETWORK();

using namespace qx;

namespace {

constexpr uint32_t kUnset = 99;

std::string LookUpValue(const char* name) {
    reg::Key key;
    std::string text;
    if (reg::Key::Open(reg::Hive::CurrentUser, std::string(DiscoveryKey(1)) + "\\LastLookUp",
                       reg::Access::Read, key) ||
        key.GetString(name, text))
        return "(none)";
    return text;
}

uint32_t LocalDiscoveryFlag(int family) {
    reg::Key key;
    uint32_t v = kUnset;
    if (reg::Key::Open(reg::Hive::CurrentUser, DiscoveryKey(family), reg::Access::Read, key) ||
        key.GetDword("LocalDiscovery", v))
        return kUnset;
    return v;
}

// Runs `look` on the dialog once it is the active modal widget, then clicks
// its button `buttonId` (control ids are object names). A dialog that never
// comes fails the test; one that the click does not close is rejected, so
// that the call under test always returns.
class WhenModal {
  public:
    WhenModal(int buttonId, std::function<void(QWidget*)> look)
        : m_buttonId(buttonId), m_look(std::move(look)) {
        m_clock.start();
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { Poll(); });
        m_poll.start();
    }
    bool Seen() const { return m_seen; }

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (m_clock.elapsed() > 20000) {
                m_poll.stop();
                ADD_FAILURE() << "no dialog opened";
            }
            return;
        }
        m_poll.stop();
        m_seen = true;
        m_look(modal);
        auto* button = modal->findChild<QAbstractButton*>(QString::number(m_buttonId));
        EXPECT_NE(button, nullptr) << "no control " << m_buttonId;
        if (button) {
            EXPECT_TRUE(button->isEnabled()) << "control " << m_buttonId;
            button->click();
        }
        if (QApplication::activeModalWidget() == modal)
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
    }

    int m_buttonId;
    std::function<void(QWidget*)> m_look;
    QTimer m_poll;
    QElapsedTimer m_clock;
    bool m_seen = false;
};

// The dialogs of callers 3 and 11 listen on the session bus for the
// monitor's exit broadcast: the program gets a bus of its own, so that no
// other's broadcast can end it.
class OwnSessionBus : public ::testing::Environment {
  public:
    void SetUp() override { m_bus = std::make_unique<qxtest::PrivateBus>(); }
    void TearDown() override { m_bus.reset(); }

  private:
    std::unique_ptr<qxtest::PrivateBus> m_bus;
};
[[maybe_unused]] ::testing::Environment* const kOwnSessionBus =
    ::testing::AddGlobalTestEnvironment(new OwnSessionBus);

class MonitorDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        QX_REQUIRE_PRIVATE_NETWORK();
        qxtest::SeedRegistry(qxtest::DataFile("automation", "monitor_printers.reg"));
    }
    void TearDown() override { EXPECT_TRUE(m_boxes.shown.empty()) << "no message was expected"; }
    qxtest::TempRegistry m_store;
    qxtest::AnsweredBoxes m_boxes;
};

}  // namespace

TEST_F(MonitorDialogs, DoNetworkDiscoveryFlagsTheOpenLocalDialogUnlessCallerThree) {
    ComPtr<IDseTendraKORVALEN> korvalen;
    ASSERT_EQ(
        CDseTendraKORVALEN::CreateInstance(nullptr, IID_IDseTendraKORVALEN, korvalen.OutVoid()),
        S_OK);
    reg::Key discovery;
    ASSERT_EQ(
        reg::Key::Open(reg::Hive::CurrentUser, DiscoveryKey(1), reg::Access::Write, discovery), 0);

    struct Case {
        int nCaller;
        uint32_t during, after;
    };
    for (Case c : {Case{0, 1, 0}, Case{3, 5, 5}}) {
        SCOPED_TRACE(c.nCaller);
        discovery.SetDword("LocalDiscovery", 5);
        int caller = -1;
        uint32_t during = kUnset;
        WhenModal cancel(IDC_CANCEL, [&](QWidget* w) {
            auto* dlg = qobject_cast<CDiscoveryLocal*>(w);
            ASSERT_NE(dlg, nullptr);
            EXPECT_TRUE(dlg->Initialised());
            caller = dlg->Caller();
            during = LocalDiscoveryFlag(1);
        });
        EXPECT_EQ(korvalen->DoNetworkDiscovery(c.nCaller), S_OK);
        EXPECT_TRUE(cancel.Seen());
        EXPECT_EQ(caller, c.nCaller);
        EXPECT_EQ(during, c.during);
        EXPECT_EQ(LocalDiscoveryFlag(1), c.after);
    }
}

TEST_F(MonitorDialogs, TheNetworkDialogsCancelIsTheOnlyResultTheCallerSees) {
    ComPtr<IDseTendraKORVALEN> korvalen;
    ASSERT_EQ(
        CDseTendraKORVALEN::CreateInstance(nullptr, IID_IDseTendraKORVALEN, korvalen.OutVoid()),
        S_OK);
    uint32_t family = 0;
    int mode = -1;
    auto look = [&](QWidget* w) {
        auto* dlg = qobject_cast<CDseDiscoveryDlg*>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_TRUE(dlg->Initialised());
        family = dlg->Family();
        mode = dlg->Mode();
    };
    int cancelled = 0;
    {
        WhenModal cancel(IDC_CANCEL, look);
        EXPECT_EQ(korvalen->DoNetworkDiscoveryKORVALEN(&cancelled), S_OK);
        EXPECT_TRUE(cancel.Seen());
    }
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(family, 1u);
    EXPECT_EQ(mode, CDseDiscoveryDlg::kModeMakerOnly);
    EXPECT_EQ(LookUpValue("Address2"), "10.4.4.2") << "Cancel saves nothing";

    // OK rewrites the last look-up with the watched devices (the
    // workstation's printer it shows is not among them) and leaves the
    // caller's variable as it was.
    cancelled = 7;
    {
        WhenModal ok(IDC_OK, look);
        EXPECT_EQ(korvalen->DoNetworkDiscoveryKORVALEN(&cancelled), S_OK);
    }
    EXPECT_EQ(cancelled, 7);
    EXPECT_EQ(LookUpValue("Address2"), "(none)");
    EXPECT_TRUE(ReadLastLookUp(1).empty());
}
