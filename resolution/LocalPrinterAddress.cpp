#include "LocalPrinterAddress.h"

#include <string>

#include "platform/gui/MessageBox.h"
#include "platform/lang/LoadLanguageLibrary.h"
#include "platform/system/Win32Error.h"
#include "platform/text/FixedText.h"
#include "resolution/CancelTest.h"
#include "resolution/DiscoveryStore.h"
#include "resolution/LocalDiscoveryPick.h"
#include "resolution/PortResolvers.h"
#include "trace/Trace.h"

namespace qx {

namespace {

constexpr uint32_t kQuestionText = 36;
constexpr uint32_t kQuestionCaption = 55;
// The store keeps at most this much of the chosen address.
constexpr size_t kStoredAddressLength = 65;

void PutAddress(VARIANT* pAddress, std::string_view address) {
    VariantClear(pAddress);
    pAddress->vt = VT_BSTR;
    pAddress->bstrVal = BstrFromUtf8(address);
}

// The question of the last resort: may the user be shown the discovery dialog?
bool UserWantsDiscovery(const LanguageLibrary& language) {
    MessageBoxRequest question;
    question.text = language.String(kQuestionText);
    question.caption = language.String(kQuestionCaption);
    question.buttons = MessageButtons::YesNo;
    question.topmost = true;
    return ShowMessageBox(question) == MessageResult::Yes;
}

}  // namespace

HRESULT GetLocalPrinterAddress(BSTR /*bstrPrinterName*/, VARIANT* pAddress,
                               NamedEvent* hCancelEvent, int family, BSTR bstrPortName,
                               BSTR bstrServerName, uint32_t dwAttributes) {
    if (pAddress == nullptr)
        return E_INVALIDARG;
    auto language = LoadLanguageLibrary();
    if (!language)
        return E_FAIL;
    if (IsCancelSignalled(hCancelEvent))
        return E_FAIL;

    ResolverText szPortName, szServerName, szAddress = {};
    CopyText(szPortName, Utf8FromBstr(bstrPortName));
    CopyText(szServerName, Utf8FromBstr(bstrServerName));
    Trace(kTracePrefix, "GetLocalPrinterAddress: port %s, server %s, family %d, attributes 0x%x",
          szPortName, szServerName, family, dwAttributes);

    const int code =
        GetMfpAddress(szPortName, szServerName, szAddress, family, dwAttributes, hCancelEvent);
    if (code == kResolved) {
        Trace(kTracePrefix, "GetLocalPrinterAddress: port %s resolved to %s", szPortName,
              szAddress);
        PutAddress(pAddress, szAddress);
        return S_OK;
    }
    Trace(kTracePrefix, "GetLocalPrinterAddress: port %s not resolved (%d); asking the user",
          szPortName, code);

    if (!UserWantsDiscovery(*language))
        return E_FAIL;
    const int nCaller = family == 3 ? 0 : family;
    if (IsCancelSignalled(hCancelEvent))
        return E_FAIL;
    std::string chosen;
    if (!PickDeviceByLocalDiscovery(nCaller, kResolutionDeviceFilter, chosen))
        return E_FAIL;
    // OK without a selected device picks nothing: no address to hand back
    // or to remember for the port.
    if (chosen.empty()) {
        Trace(kTracePrefix, "GetLocalPrinterAddress: the dialog ended without a device");
        return E_FAIL;
    }
    PutAddress(pAddress, chosen);
    if (IsCancelSignalled(hCancelEvent))
        return E_FAIL;

    ResolverText szStored;
    CopyText(szStored, std::string_view(chosen).substr(0, kStoredAddressLength));
    if (StorePortAddress(szPortName, szStored, family) != ERROR_SUCCESS)
        return E_FAIL;
    Trace(kTracePrefix, "GetLocalPrinterAddress: port %s stored with the chosen address %s",
          szPortName, szStored);
    return S_OK;
}

}  // namespace qx
