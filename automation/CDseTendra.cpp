#include "CDseTendra.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <cstring>
#include <memory>

#include "DiscoveryDialogs.h"
#include "inventory/DsePrintersTable.h"
#include "inventory/InventoryKeys.h"
#include "model/Imgt.h"
#include "model/MgtComponent.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/gui/MessageBox.h"
#include "platform/lang/LoadLanguageLibrary.h"
#include "platform/net/HostResolver.h"
#include "platform/registry/RegistryKey.h"
#include "platform/sync/NamedEvent.h"
#include "platform/system/Win32Error.h"
#include "platform/text/FixedText.h"
#include "settings/Settings.h"
#include "trace/Trace.h"
#include "ui/DseFirstAddressQuery.h"

namespace qx {

namespace {

// The texts of the original's fixed buffers: 259 bytes and a terminating zero.
constexpr size_t kTextSize = 260;
// The last look-up's values are read into buffers of this size.
constexpr uint32_t kLookUpSize = 500;
// A stored PrinterDiscovery value is read into a buffer of this size.
constexpr uint32_t kStoredAddressSize = 255;
// Only a value longer than a dotted IPv4 address is an (IPX) address here.
constexpr size_t kMaxIpv4Text = 15;

constexpr int kMessageStringId = 36;
constexpr int kCaptionStringId = 55;
constexpr int kNetworkDialogTitleId = 102;
constexpr int kNetworkDialogMode = 17;
constexpr int kLocalStartField = 4;

// A registry text value read into a buffer of `size` bytes, up to its first
// zero; nullopt when it is missing or does not fit.
std::optional<std::string> ReadBounded(const reg::Key& key, std::string_view name, uint32_t size,
                                       long* error = nullptr) {
    std::string buffer(size, '\0');
    uint32_t type = 0, got = size;
    long err = key.QueryValue(name, &type, buffer.data(), &got);
    if (error)
        *error = err;
    if (err != ERROR_SUCCESS)
        return std::nullopt;
    buffer.resize(got);
    return std::string(buffer.c_str());
}

void PutAddress(VARIANT* address, const std::string& text) {
    VariantClear(address);
    address->vt = VT_BSTR;
    address->bstrVal = BstrFromUtf8(text);
}

// The printers table's lookup of a printer by the name a client gives.
PrinterEntry* FindPrinter(CDsePrintersTable& table, const std::string& name, bool trace) {
    PrinterEntry* pEntry = table.GetPrinterByShellName(name.c_str());
    if (!pEntry) {
        if (trace)
            Trace(kTracePrefix, "GetPrinterAddress::find printer by sdk printer name");
        pEntry = table.GetPrinterByName(name.c_str());
    }
    if (!pEntry && trace)
        Trace(kTracePrefix,
              "CDseTendra::GetPrinterAddress(), GetPrinterByShellName over and pEntry is NULL");
    return pEntry;
}

QWidget* FindTopLevelWindow(const QString& title) {
    if (title.isEmpty() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == title)
            return w;
    return nullptr;
}

// The "please wait" window while a printer's address is looked up for the
// first time; null when no window can be made (no graphical application).
std::unique_ptr<CDseFirstAddressQuery> ShowPleaseWait() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    auto window = std::make_unique<CDseFirstAddressQuery>();
    window->setModal(false);
    window->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    window->show();
    window->raise();
    window->activateWindow();
    // The look-up that follows blocks this thread: paint the window now.
    window->repaint();
    return window;
}

// A text argument as the server's text, refused when it is empty or would
// not fit the record's fixed buffers.
enum class ArgCheck { Ok, Empty, TooLong };
ArgCheck TakeText(BSTR text, std::string& out) {
    out = Utf8FromBstr(text);
    out = out.c_str();  // a BSTR with an embedded zero ends there, as a C text would
    if (out.empty())
        return ArgCheck::Empty;
    return out.size() < kTextSize ? ArgCheck::Ok : ArgCheck::TooLong;
}

}  // namespace

std::string CDseTendra::SubmissionsKey(int family) {
    return std::string(family == 1 ? SettingsKey(1) : "Software\\Quorvia") + "\\Submissions";
}

long CDseTendra::WriteSubmission(const std::string& printer, const std::string& submissionId,
                                 const std::string& address, int family) {
    reg::Key key;
    long err =
        reg::Key::Create(reg::Hive::CurrentUser, SubmissionsKey(family) + "\\" + submissionId, key);
    if (err != ERROR_SUCCESS)
        return err;
    if ((err = key.SetString("Address", address)) != ERROR_SUCCESS)
        return err;
    return key.SetString("Printer", printer);
}

std::optional<std::string> CDseTendra::ResolveControllerHost(const std::string& host) {
    // The original opened a raw ICMP socket first, which needs privileges
    // here and sends nothing: the name is resolved the same way without it.
    std::optional<Ipv4Address> ip = ResolveHostIPv4(host);
    if (!ip)
        return std::nullopt;
    return DottedAddress(*ip);
}

bool CDseTendra::IsFirstDiscover(const std::string& printerName) const {
    if (m_family.bOrven)
        Trace(kTracePrefix, "CDseTendraOrven::IsFirstDiscover called with printer name %s",
              printerName.c_str());
    CDsePrintersTable table(printerName.c_str(), false, false, m_family.nFamily);
    PrinterEntry* pEntry = FindPrinter(table, printerName, false);
    if (!pEntry)
        return false;
    return !table.IsPortDiscovered(table.GetPrintablePortName(pEntry));
}

HRESULT CDseTendra::SharedPrinterAddress(const std::string& printerName,
                                         std::string& address) const {
    address.clear();
    // "\\server\share": the controller's name starts two characters after
    // the first backslash and ends at the next one.
    size_t first = printerName.find('\\');
    std::string controller;
    if (first + 2 < printerName.size()) {
        size_t end = printerName.find('\\', first + 2);
        controller =
            printerName.substr(first + 2, end == std::string::npos ? end : end - first - 2);
    }
    if (std::optional<std::string> ip = ResolveControllerHost(controller)) {
        address = *ip;
        return S_OK;
    }
    if (m_family.bOrven && controller.find(':') != std::string::npos) {
        Trace(kTracePrefix, "Inside if when colon comarison is success");
        address = controller;
        return S_OK;
    }
    Trace(kTracePrefix,
          "Looking for the IPX address in the registry with szControllerName %s & "
          "szMbcsPrinterName %s",
          controller.c_str(), printerName.c_str());
    reg::Key store;
    if (reg::Key::Open(reg::Hive::CurrentUser, PrinterDiscoveryKey(m_family.nFamily),
                       reg::Access::Read, store) != ERROR_SUCCESS) {
        if (m_family.bOrven)
            Trace(kTracePrefix, "RegopenKey failed for IPX registry path");
        return S_FALSE;
    }
    if (m_family.bOrven)
        Trace(kTracePrefix, "SubmitDocument: printer name IpxPortName = %s", printerName.c_str());
    long err = ERROR_SUCCESS;
    std::optional<std::string> stored = ReadBounded(store, printerName, kStoredAddressSize, &err);
    if (!stored) {
        if (m_family.bOrven)
            Trace(kTracePrefix, "The error value is %ld", err);
        Trace(kTracePrefix, "Returning false as there is some problem in reading reg");
        return S_FALSE;
    }
    if (stored->size() > kMaxIpv4Text) {
        address = *stored;
        Trace(kTracePrefix, "Copied the  IPX  in szAddress  %s", address.c_str());
    }
    Trace(kTracePrefix, "Closed the registry for IPX, Address is  %s", address.c_str());
    return S_OK;
}

HRESULT CDseTendra::SubmitDocument(BSTR bstrPrinterName, BSTR bstrSubmissionID,
                                   int32_t PrinterFamily) {
    std::string printerName, submissionId;
    ArgCheck nameCheck = TakeText(bstrPrinterName, printerName);
    ArgCheck idCheck = TakeText(bstrSubmissionID, submissionId);
    Trace(kTracePrefix,
          m_family.bOrven
              ? "CDseTendraOrven::SubmitDocument() for Orven, called with arguments %s, %s and %d"
              : "CDseTendra::SubmitDocument(), called with argument %s, %s and %d",
          printerName.c_str(), submissionId.c_str(), PrinterFamily);
    if (nameCheck == ArgCheck::Empty)
        Trace(kTracePrefix, "CDseTendra::SubmitDocument(), Printer name is empty!");
    if (idCheck == ArgCheck::Empty)
        Trace(kTracePrefix, "CDseTendra::SubmitDocument(), SubmissionID is empty!");
    if (nameCheck == ArgCheck::Empty || idCheck == ArgCheck::Empty)
        return E_INVALIDARG;
    // A text that does not fit the record, or an id that would name a key
    // below another submission's, can make no record the monitor finds.
    if (nameCheck == ArgCheck::TooLong || idCheck == ArgCheck::TooLong ||
        submissionId.find('\\') != std::string::npos) {
        Trace(kTracePrefix, "CDseTendra::SubmitDocument(), unusable printer name or SubmissionID");
        return E_INVALIDARG;
    }

    NamedEvent monitor;
    if (monitor.Open(kMonitorEventName) != ERROR_SUCCESS) {
        Trace(kTracePrefix,
              "CDseTendra::SubmitDocument(), QX-Tendra not running. Unable to open tendra event");
        return E_FAIL;
    }
    if (FAILED(CoInitialize())) {
        Trace(kTracePrefix, "CDseTendra::SubmitDocument(), CoInitialize failed!");
        return S_OK;
    }
    struct ComUse {
        ~ComUse() { CoUninitialize(); }
    } comUse;
    RegisterMgtComponent();
    ComPtr<Imgt> mgt;
    HRESULT hr =
        CoCreateInstance(CLSID_mgt, nullptr, CLSCTX_INPROC_SERVER, IID_Imgt, mgt.OutVoid());
    if (FAILED(hr)) {
        Trace(kTracePrefix, "CDseTendra::SubmitDocument(), CoCreateInstance failed!");
        return hr;
    }

    std::string printer, address;
    if (printerName.find('\\') == std::string::npos) {
        Trace(kTracePrefix, "SubmitDocument:Not Print Server case");
        Variant found;
        if (FAILED(GetPrinterAddress(bstrPrinterName, PrinterFamily, found.Get()))) {
            Trace(kTracePrefix, "CDseTendra::SubmitDocument(), GetPrinterAddress failed!");
            return E_FAIL;
        }
        printer = printerName;
        if (found.Get()->vt == VT_BSTR)
            address = Utf8FromBstr(found.Get()->bstrVal).substr(0, kTextSize - 1);
    } else {
        Trace(kTracePrefix, "SubmitDocument: Print Server case");
        if (SharedPrinterAddress(printerName, address) == S_FALSE)
            return S_FALSE;
        printer = printerName.substr(printerName.rfind('\\') + 1);
    }

    if (address.empty()) {
        Trace(kTracePrefix, "could not find address for %s", printer.c_str());
        return S_OK;
    }
    Trace(kTracePrefix, "found address for %s at %s", printer.c_str(), address.c_str());
    Trace(kTracePrefix, "Submission id is: %s", submissionId.c_str());
    // Without its record the monitor could not follow the job: the caller
    // learns that nothing was handed over, and the monitor is not woken.
    long err = WriteSubmission(printer, submissionId, address, m_family.nFamily);
    if (err != ERROR_SUCCESS) {
        Trace(kTracePrefix, "CDseTendra::SubmitDocument(), writing the submission failed: %ld",
              err);
        return E_FAIL;
    }
    monitor.Set();
    return S_OK;
}

HRESULT CDseTendra::GetPrinterAddress(BSTR bstrPrinterName, int32_t PrinterFamily,
                                      VARIANT* address) {
    std::string printerName = Utf8FromBstr(bstrPrinterName);
    printerName = printerName.c_str();
    if (m_family.bOrven)
        Trace("KORMISVR ", "CDseTendraOrven::GetPrinterAddress called with arguments %s, and %d",
              printerName.c_str(), PrinterFamily);
    if (!address)
        return E_POINTER;
    std::unique_ptr<LanguageLibrary> lang = LoadLanguageLibrary();
    if (!lang)
        return S_FALSE;
    Trace("KORMISVR ", "CDseTendra::GetPrinterAddress(), Getting address for printer %s",
          printerName.c_str());

    std::unique_ptr<CDseFirstAddressQuery> pleaseWait;
    if (IsFirstDiscover(printerName)) {
        pleaseWait = ShowPleaseWait();
        if (!pleaseWait)
            return S_FALSE;
    }

    reg::Key marker;
    if (reg::Key::Create(reg::Hive::CurrentUser,
                         std::string(ClientRootKey(m_family.nFamily)) + "\\Printer Information",
                         marker) == ERROR_SUCCESS)
        marker.SetString("Address", "-1");
    marker.Close();

    CDsePrintersTable table(printerName.c_str(), true, true, m_family.nFamily);
    Trace(kTracePrefix, "GetPrinterAddress:: prtTable instantiated");
    pleaseWait.reset();

    PrinterEntry* pEntry = FindPrinter(table, printerName, true);
    if (!pEntry) {
        reg::Key lookUp;
        std::optional<std::string> found;
        if (reg::Key::Open(reg::Hive::CurrentUser,
                           std::string(DiscoveryKey(m_family.nFamily)) + "\\LastLookUp",
                           reg::Access::Read, lookUp) == ERROR_SUCCESS) {
            std::optional<std::string> index = ReadBounded(lookUp, "64", kLookUpSize);
            if (index && *index != "-1")
                found = ReadBounded(lookUp, "Address" + *index, kLookUpSize);
        }
        if (found && !found->empty()) {
            Trace(kTracePrefix, "GetPrinterAddress: Address retrieved is %s", found->c_str());
            PutAddress(address, *found);
            return S_OK;
        }
        Trace(kTracePrefix, "GetPrinterAddress: Could not retrieve address. so failed");
        return E_FAIL;
    }
    if (pEntry->szAddress[0] != '\0') {
        PutAddress(address, pEntry->szAddress);
        table.SetRegistryInformation();
        return S_OK;
    }

    if (m_family.bOrven)
        Trace(kTracePrefix, "GetPrinterAddress: Address is 0 so launching local discovery");
    MessageBoxRequest question;
    question.text = lang->String(kMessageStringId);
    question.caption = lang->String(kCaptionStringId);
    question.buttons = MessageButtons::OkCancel;
    question.topmost = true;
    if (ShowMessageBox(question) != MessageResult::Ok)
        return E_FAIL;
    if (QWidget* open =
            FindTopLevelWindow(QString::fromStdString(lang->String(kNetworkDialogTitleId)))) {
        open->raise();
        open->activateWindow();
        return E_FAIL;
    }
    LocalDiscoveryResult chosen = RunLocalDiscoveryDialog({m_family.nLocalCaller, 0});
    // A dialog that ends with OK but without an address has chosen nothing.
    if (chosen.result != IDOK || chosen.address.empty())
        return E_FAIL;
    PutAddress(address, chosen.address);
    CopyText(pEntry->szAddress, chosen.address);
    table.SetRegistryInformation();
    return S_OK;
}

HRESULT CDseTendra::DoNetworkDiscovery(int nCaller) {
    int nDialogCaller = nCaller;
    if (m_family.bOrven && (nCaller == 1 || nCaller == 2))
        nDialogCaller = nCaller + 8;
    auto setFlag = [&](uint32_t value) {
        reg::Key key;
        if (reg::Key::Open(reg::Hive::CurrentUser, DiscoveryKey(m_family.nFamily),
                           reg::Access::Write, key) == ERROR_SUCCESS)
            key.SetDword("LocalDiscovery", value);
    };
    if (nCaller != 3)
        setFlag(1);
    RunLocalDiscoveryDialog({nDialogCaller, kLocalStartField});
    if (nCaller != 3)
        setFlag(0);
    return S_OK;
}

HRESULT CDseTendra::DoNetworkDiscoveryNetwork(int* nCancel) {
    if (m_family.bOrven)
        Trace(kTracePrefix, "CDseTendraOrven::DoNetworkDiscoveryOr called");
    if (RunNetworkDiscoveryDialog(m_family.nFamily, kNetworkDialogMode) == IDCANCEL && nCancel)
        *nCancel = 1;
    return S_OK;
}

}  // namespace qx
