// The document-monitor objects in this process, over a real registry store
// and a real monitor event: submissions, printer addresses with the question
// and the local discovery dialog (a stand-in that records how it was
// opened), the discovery methods and the twins' differences. Shared printers
// on print servers resolve their names from the test's own hosts file.

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "automation/CDseTendra.h"
#include "automation/CDseTendraKORVALEN.h"
#include "automation/CDseTendraOrven.h"
#include "automation/DiscoveryDialogs.h"
#include "inventory/InventoryKeys.h"
#include "platform/com/ComPtr.h"
#include "platform/gui/MessageBox.h"
#include "platform/registry/RegistryKey.h"
#include "platform/sync/NamedEvent.h"
#include "settings/Settings.h"
#include "support/PrivateHosts.h"
#include "support/RegFixture.h"
#include "support/TempRegistry.h"
#include "trace/Trace.h"

using namespace qx;

namespace {

std::string ReadValue(const std::string& keyPath, const char* name) {
    reg::Key key;
    std::string text;
    if (reg::Key::Open(reg::Hive::CurrentUser, keyPath, reg::Access::Read, key) ||
        key.GetString(name, text))
        return "(none)";
    return text;
}

uint32_t LocalDiscoveryFlag(int family) {
    reg::Key key;
    uint32_t v = 99;
    if (reg::Key::Open(reg::Hive::CurrentUser, DiscoveryKey(family), reg::Access::Read, key) ||
        key.GetDword("LocalDiscovery", v))
        return 99;
    return v;
}

std::string Submission(int family, const std::string& id, const char* value) {
    return ReadValue(CDseTendra::SubmissionsKey(family) + "\\" + id, value);
}

class DocumentMonitorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            m_oldRuntime = old;
        setenv("XDG_RUNTIME_DIR", m_runtime.Path().c_str(), 1);
        SetTraceDestination((m_dir.Path() + "/trace.log").c_str());
        qxtest::SeedRegistry(qxtest::DataFile("automation", "monitor_printers.reg"));
        SetMessageBoxResponder([this](const MessageBoxRequest& r) {
            m_questions.push_back(r);
            return m_answer;
        });
        SetDiscoveryDialogsForTesting(
            [this](const LocalDiscoveryRequest& r) {
                m_localRequests.push_back(r);
                m_flagDuringDialog = LocalDiscoveryFlag(1);
                return m_localResult;
            },
            [this](int family, int mode) {
                m_networkRequests.push_back({family, mode});
                return m_networkResult;
            });
    }
    void TearDown() override {
        SetDiscoveryDialogsForTesting({}, {});
        SetMessageBoxResponder({});
        SetTraceDestination("");
        if (m_oldRuntime.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", m_oldRuntime.c_str(), 1);
    }
    std::string TraceText() const {
        std::ifstream in(m_dir.Path() + "/trace.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void StartMonitor() {
        ASSERT_EQ(m_monitor.Create(kMonitorEventName, NamedEvent::ResetMode::Auto, false), 0);
    }
    HRESULT Submit(const char* printer, const char* id, bool orven = false) {
        Bstr name(printer), submission(id);
        return orven
                   ? CDseTendra(CDseTendra::kOrven).SubmitDocument(name.Get(), submission.Get(), 2)
                   : CDseTendra(CDseTendra::kKorvalen)
                         .SubmitDocument(name.Get(), submission.Get(), 1);
    }
    HRESULT Address(const char* printer, std::string& address, bool orven = false) {
        Bstr name(printer);
        Variant out;
        HRESULT hr = CDseTendra(orven ? CDseTendra::kOrven : CDseTendra::kKorvalen)
                         .GetPrinterAddress(name.Get(), orven ? 2 : 1, out.Get());
        address = out.Get()->vt == VT_BSTR ? Utf8FromBstr(out.Get()->bstrVal) : "(empty)";
        return hr;
    }

    qxtest::TempRegistry m_store;
    qxtest::TempDir m_runtime, m_dir;
    std::string m_oldRuntime;
    NamedEvent m_monitor;
    MessageResult m_answer = MessageResult::Cancel;
    std::vector<MessageBoxRequest> m_questions;
    LocalDiscoveryResult m_localResult;
    std::vector<LocalDiscoveryRequest> m_localRequests;
    uint32_t m_flagDuringDialog = 99;
    int m_networkResult = IDOK;
    std::vector<std::pair<int, int>> m_networkRequests;
};

}  // namespace

TEST_F(DocumentMonitorTest, ASubmissionWritesItsRecordAndWakesTheMonitor) {
    StartMonitor();
    EXPECT_EQ(Submit("Office Laser", "1001"), S_OK);
    EXPECT_EQ(Submission(1, "1001", "Address"), "10.1.2.3");
    EXPECT_EQ(Submission(1, "1001", "Printer"), "Office Laser");
    EXPECT_TRUE(m_monitor.TryWait()) << "the monitor was signalled";
    EXPECT_FALSE(m_monitor.TryWait());

    // The twin writes below "Software\Quorvia" whatever family the caller says.
    EXPECT_EQ(Submit("Office Laser", "1002", true), S_OK);
    EXPECT_EQ(ReadValue("Software\\Quorvia\\Submissions\\1002", "Address"), "10.1.2.3");
    EXPECT_EQ(Submission(1, "1002", "Address"), "(none)");
    EXPECT_TRUE(m_monitor.TryWait());
    Bstr name("Stored Printer"), id("1003");
    EXPECT_EQ(CDseTendra(CDseTendra::kKorvalen).SubmitDocument(name.Get(), id.Get(), 2), S_OK);
    EXPECT_EQ(Submission(1, "1003", "Address"), "10.1.2.9") << "the class's family counts";

    const std::string trace = TraceText();
    EXPECT_NE(trace.find("CDseTendra::SubmitDocument(), called with argument Office Laser, 1001 "
                         "and 1\n"),
              std::string::npos);
    EXPECT_NE(trace.find("found address for Office Laser at 10.1.2.3\n"), std::string::npos);
    EXPECT_NE(trace.find("CDseTendraOrven::SubmitDocument() for Orven, called with arguments "
                         "Office Laser, 1002 and 2\n"),
              std::string::npos);
}

TEST_F(DocumentMonitorTest, NothingIsSubmittedWithoutMonitorOrWithUnusableArguments) {
    EXPECT_EQ(Submit("Office Laser", "2001"), E_FAIL);
    EXPECT_EQ(Submission(1, "2001", "Address"), "(none)");
    EXPECT_NE(TraceText().find("QX-Tendra not running. Unable to open tendra event"),
              std::string::npos);

    StartMonitor();
    EXPECT_EQ(Submit("", "2002"), E_INVALIDARG);
    EXPECT_EQ(Submit("Office Laser", ""), E_INVALIDARG);
    EXPECT_EQ(Submit("", "", true), E_INVALIDARG);
    const std::string trace = TraceText();
    EXPECT_NE(trace.find("Printer name is empty!"), std::string::npos);
    EXPECT_NE(trace.find("SubmissionID is empty!"), std::string::npos);
    // An id that would name a key below another record, and texts that do
    // not fit the record, are refused as well.
    EXPECT_EQ(Submit("Office Laser", "20\\03"), E_INVALIDARG);
    EXPECT_EQ(Submit(std::string(260, 'p').c_str(), "2004"), E_INVALIDARG);
    EXPECT_EQ(Submit("Office Laser", std::string(260, '7').c_str()), E_INVALIDARG);
    EXPECT_EQ(Submit("Office Laser", std::string(255, '7').c_str()), S_OK);
    EXPECT_TRUE(m_monitor.TryWait());
    // A record the registry cannot take (a key name over 255 characters) is
    // reported, and the monitor is not woken for it.
    EXPECT_EQ(Submit("Office Laser", std::string(256, '7').c_str()), E_FAIL);
    EXPECT_FALSE(m_monitor.TryWait());
    EXPECT_NE(TraceText().find("writing the submission failed"), std::string::npos);

    // A printer whose address nobody knows: the user is asked, declines.
    EXPECT_EQ(Submit("New Printer", "2005"), E_FAIL);
    EXPECT_EQ(Submission(1, "2005", "Address"), "(none)");
    EXPECT_FALSE(m_monitor.TryWait());
    EXPECT_EQ(Submission(1, "20", "Address"), "(none)");
}

TEST_F(DocumentMonitorTest, AKnownAddressIsGivenSetsTheMarkerAndIsStored) {
    reg::Key info;
    std::string address;
    EXPECT_EQ(Address("Office Laser", address), S_OK);
    EXPECT_EQ(address, "10.1.2.3");
    EXPECT_EQ(ReadValue(std::string(ClientRootKey(1)) + "\\Printer Information", "Address"), "-1");
    EXPECT_EQ(ReadValue(PrinterDiscoveryKey(1), "10.1.2.3"), "10.1.2.3")
        << "the table's addresses are stored";
    EXPECT_TRUE(m_questions.empty());
    EXPECT_EQ(Address("Stored Printer", address), S_OK);
    EXPECT_EQ(address, "10.1.2.9");

    // The twin uses its own keys: the marker below the ORVEN client root.
    EXPECT_EQ(Address("Office Laser", address, true), S_OK);
    EXPECT_EQ(ReadValue(std::string(ClientRootKey(2)) + "\\Printer Information", "Address"), "-1");
    EXPECT_NE(TraceText().find("KORMISVR CDseTendraOrven::GetPrinterAddress called with arguments "
                               "Office Laser, and 2\n"),
              std::string::npos);
}

TEST_F(DocumentMonitorTest, AnUnknownPrinterTakesTheLastLookUp) {
    std::string address;
    EXPECT_EQ(Address("Nobody's Printer", address), S_OK);
    EXPECT_EQ(address, "10.4.4.2") << "Address2 of LastLookUp, named by the value \"64\"";

    reg::Key lookUp;
    ASSERT_EQ(reg::Key::Open(reg::Hive::CurrentUser, std::string(DiscoveryKey(1)) + "\\LastLookUp",
                             reg::Access::Write, lookUp),
              0);
    lookUp.SetString("64", "-1");
    EXPECT_EQ(Address("Nobody's Printer", address), E_FAIL);
    lookUp.SetString("64", "7");
    EXPECT_EQ(Address("Nobody's Printer", address), E_FAIL) << "Address7 is missing";
    lookUp.SetString("64", "3");
    lookUp.SetString("Address3", std::string(600, '1'));
    EXPECT_EQ(Address("Nobody's Printer", address), E_FAIL) << "a value over 500 bytes is unread";
    EXPECT_EQ(address, "(empty)");
    lookUp.DeleteValue("64");
    EXPECT_EQ(Address("Nobody's Printer", address), E_FAIL);
    EXPECT_TRUE(m_questions.empty()) << "nobody is asked about a printer the table lacks";
}

TEST_F(DocumentMonitorTest, AMissingAddressIsAskedForAndFoundByTheLocalDialog) {
    EXPECT_TRUE(CDseTendra(CDseTendra::kKorvalen).IsFirstDiscover("New Printer"));
    EXPECT_FALSE(CDseTendra(CDseTendra::kKorvalen).IsFirstDiscover("Stored Printer"));
    EXPECT_FALSE(CDseTendra(CDseTendra::kKorvalen).IsFirstDiscover("Nobody's Printer"));

    std::string address;
    m_answer = MessageResult::Cancel;
    EXPECT_EQ(Address("New Printer", address), E_FAIL);
    ASSERT_EQ(m_questions.size(), 1u);
    EXPECT_EQ(m_questions[0].buttons, MessageButtons::OkCancel);
    EXPECT_TRUE(m_questions[0].topmost);
    EXPECT_NE(m_questions[0].text.find("not known"), std::string::npos) << "string 36";
    EXPECT_EQ(m_questions[0].caption, "Quorvia Printer Management") << "string 55";
    EXPECT_TRUE(m_localRequests.empty());

    // The network dialog is open: it comes to the front, no local dialog.
    m_answer = MessageResult::Ok;
    {
        QWidget network;
        network.setWindowTitle("Network Discovery");
        network.show();
        EXPECT_EQ(Address("New Printer", address), E_FAIL);
        EXPECT_TRUE(m_localRequests.empty());
    }

    // The user cancels the dialog, or it ends with OK but nothing chosen.
    EXPECT_EQ(Address("New Printer", address), E_FAIL);
    m_localResult = {IDOK, "", "nothing"};
    EXPECT_EQ(Address("New Printer", address), E_FAIL);
    EXPECT_EQ(ReadValue(PrinterDiscoveryKey(1), "LPT1:"), "(none)");

    m_localResult = {IDOK, "10.7.7.7", "QX 5070"};
    EXPECT_EQ(Address("New Printer", address), S_OK);
    EXPECT_EQ(address, "10.7.7.7");
    ASSERT_EQ(m_localRequests.size(), 3u);
    EXPECT_EQ(m_localRequests[0].nCaller, 3);
    EXPECT_EQ(ReadValue(PrinterDiscoveryKey(1), "LPT1:"), "10.7.7.7") << "stored for its port";
    EXPECT_FALSE(CDseTendra(CDseTendra::kKorvalen).IsFirstDiscover("New Printer"));

    // The twin opens the dialog as caller 11.
    EXPECT_EQ(Address("New Printer", address, true), S_OK);
    EXPECT_EQ(m_localRequests.back().nCaller, 11);
    EXPECT_EQ(ReadValue(PrinterDiscoveryKey(2), "LPT1:"), "10.7.7.7");
    EXPECT_NE(TraceText().find("GetPrinterAddress: Address is 0 so launching local discovery"),
              std::string::npos);
}

TEST_F(DocumentMonitorTest, LocalDiscoveryIsFlaggedAroundTheDialogUnlessCallerThree) {
    CDseTendra korvalen(CDseTendra::kKorvalen), orven(CDseTendra::kOrven);
    EXPECT_EQ(korvalen.DoNetworkDiscovery(0), S_OK);
    EXPECT_EQ(m_flagDuringDialog, 1u);
    EXPECT_EQ(LocalDiscoveryFlag(1), 0u);
    ASSERT_EQ(m_localRequests.size(), 1u);
    EXPECT_EQ(m_localRequests[0].nCaller, 0);
    EXPECT_EQ(m_localRequests[0].nStartField, 4);

    reg::Key discovery;
    ASSERT_EQ(
        reg::Key::Open(reg::Hive::CurrentUser, DiscoveryKey(1), reg::Access::Write, discovery), 0);
    discovery.SetDword("LocalDiscovery", 5);
    EXPECT_EQ(korvalen.DoNetworkDiscovery(3), S_OK);
    EXPECT_EQ(m_flagDuringDialog, 5u) << "caller 3 never touches the flag";
    EXPECT_EQ(LocalDiscoveryFlag(1), 5u);
    m_localResult = {IDOK, "10.7.7.7", "x"};
    EXPECT_EQ(korvalen.DoNetworkDiscovery(2), S_OK) << "whatever the dialog's result";

    // The ORVEN discovery key does not exist: it is not created.
    EXPECT_EQ(orven.DoNetworkDiscovery(1), S_OK);
    EXPECT_EQ(LocalDiscoveryFlag(2), 99u);
    EXPECT_EQ(m_localRequests.back().nCaller, 9) << "callers 1 and 2 become 9 and 10";
    EXPECT_EQ(orven.DoNetworkDiscovery(2), S_OK);
    EXPECT_EQ(m_localRequests.back().nCaller, 10);
    EXPECT_EQ(orven.DoNetworkDiscovery(3), S_OK);
    EXPECT_EQ(m_localRequests.back().nCaller, 3);
}

TEST_F(DocumentMonitorTest, TheNetworkDialogReportsOnlyACancel) {
    ComPtr<IDseTendraKORVALEN> korvalen;
    ComPtr<IDseTendraOrven> orven;
    ASSERT_EQ(
        CDseTendraKORVALEN::CreateInstance(nullptr, IID_IDseTendraKORVALEN, korvalen.OutVoid()),
        S_OK);
    ASSERT_EQ(CDseTendraOrven::CreateInstance(nullptr, IID_IDseTendraOrven, orven.OutVoid()), S_OK);
    int cancelled = 42;
    m_networkResult = IDOK;
    EXPECT_EQ(korvalen->DoNetworkDiscoveryKORVALEN(&cancelled), S_OK);
    EXPECT_EQ(cancelled, 42) << "left as it was";
    m_networkResult = IDCANCEL;
    EXPECT_EQ(korvalen->DoNetworkDiscoveryKORVALEN(&cancelled), S_OK);
    EXPECT_EQ(cancelled, 1);
    cancelled = 0;
    EXPECT_EQ(orven->DoNetworkDiscoveryOr(&cancelled), S_OK);
    EXPECT_EQ(cancelled, 1);
    const std::vector<std::pair<int, int>> expected = {{1, 17}, {1, 17}, {2, 17}};
    EXPECT_EQ(m_networkRequests, expected);
}

// Shared printers resolve their print server's name (see PrivateHosts.h).
TEST(DocumentMonitorSharedPrinters, ServerNamesResolveOrFallBackToTheStore) {
    auto run = qxtest::RerunWithPrivateHosts(
        "10.20.30.41 QXCTRL\n", "DocumentMonitorSharedPrinters.DISABLED_InsidePrivateHosts");
    if (!run.started)
        GTEST_SKIP() << "no private mount namespace can be made here";
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("[  PASSED  ] 1 test."), std::string::npos) << run.output;
}

TEST(DocumentMonitorSharedPrinters, DISABLED_InsidePrivateHosts) {
    ASSERT_TRUE(qxtest::InPrivateHosts());
    qxtest::TempRegistry store;
    qxtest::TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    qxtest::SeedRegistry(qxtest::DataFile("automation", "monitor_printers.reg"));
    NamedEvent monitor;
    ASSERT_EQ(monitor.Create(kMonitorEventName, NamedEvent::ResetMode::Auto, false), 0);
    auto submit = [](const CDseTendra::Family& family, const char* printer, const char* id) {
        Bstr name(printer), submission(id);
        return CDseTendra(family).SubmitDocument(name.Get(), submission.Get(), family.nFamily);
    };

    // The server's name resolves: the share name and the server's address.
    EXPECT_EQ(submit(CDseTendra::kKorvalen, "\\\\QXCTRL\\Reception", "s1"), S_OK);
    EXPECT_EQ(Submission(1, "s1", "Printer"), "Reception");
    EXPECT_EQ(Submission(1, "s1", "Address"), "10.20.30.41");
    EXPECT_TRUE(monitor.TryWait());

    // It does not: a stored value longer than 15 characters is the address,
    // a shorter one is none, a missing one cannot be read.
    EXPECT_EQ(submit(CDseTendra::kKorvalen, "\\\\NOHOST\\long", "s2"), S_OK);
    EXPECT_EQ(Submission(1, "s2", "Address"), "00000ABCD:00AA00BB00CC");
    EXPECT_EQ(Submission(1, "s2", "Printer"), "long");
    EXPECT_TRUE(monitor.TryWait());
    EXPECT_EQ(submit(CDseTendra::kKorvalen, "\\\\NOHOST\\short", "s3"), S_OK);
    EXPECT_EQ(Submission(1, "s3", "Address"), "(none)");
    EXPECT_FALSE(monitor.TryWait());
    EXPECT_EQ(submit(CDseTendra::kKorvalen, "\\\\NOHOST\\other", "s4"), S_FALSE);
    EXPECT_EQ(submit(CDseTendra::kOrven, "\\\\NOHOST\\long", "s5"), S_FALSE)
        << "the ORVEN store does not exist";

    // ORVEN takes a server part with a colon as an IPX address.
    EXPECT_EQ(submit(CDseTendra::kOrven, "\\\\0000ABCD:00AA00BB00CC\\Queue", "s6"), S_OK);
    EXPECT_EQ(ReadValue("Software\\Quorvia\\Submissions\\s6", "Address"), "0000ABCD:00AA00BB00CC");
    EXPECT_EQ(ReadValue("Software\\Quorvia\\Submissions\\s6", "Printer"), "Queue");
    EXPECT_EQ(submit(CDseTendra::kKorvalen, "\\\\0000ABCD:00AA00BB00CC\\Queue", "s7"), S_FALSE);

    // Degenerate names never read outside the text.
    EXPECT_EQ(submit(CDseTendra::kKorvalen, "\\", "s8"), S_FALSE);
    EXPECT_EQ(submit(CDseTendra::kKorvalen, "x\\", "s9"), S_FALSE);
}
