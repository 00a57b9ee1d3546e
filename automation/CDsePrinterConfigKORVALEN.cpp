#include "CDsePrinterConfigKORVALEN.h"

#include <cstring>
#include <memory>
#include <string>

#include "CancelEvent.h"
#include "PrinterConfigTables.h"
#include "model/MgtComponent.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/lang/LoadLanguageLibrary.h"
#include "platform/system/UserDefaults.h"
#include "platform/text/FixedText.h"
#include "resolution/LocalPrinterAddress.h"
#include "state/DsePrinterSummaryTable.h"
#include "trace/Trace.h"

namespace qx {

namespace {

// What the latest InitPrinter of any object read, converted; every object
// answers from it.
struct DeviceValues {
    int32_t nModel = 0;
    char szModel[64] = {};
    int32_t nPedestal = 0;
    char szPedestal[64] = {};
    int32_t nFinisherType = 0;
    char szFinisher[64] = {};
    int32_t nPunch = 0;
    char szPunch[64] = {};
    int16_t nExternalLCF = 0;
    int16_t nInserter = 0;
    int32_t nMemorySize = 0;
    int32_t nADUState = 0;
    int32_t paper[kConfigSlotCount] = {};
    int32_t media[kConfigSlotCount] = {};
    ComPtr<Imgt> pMgt;
};

DeviceValues& Values() {
    static DeviceValues values;
    return values;
}

// The texts keep at most 59 characters of the device's or the library's.
constexpr size_t kTextLimit = 59;

void StoreText(char (&buffer)[64], std::string_view text) {
    CopyText(buffer, kTextLimit + 1, text);
}

// A library string into a zeroed 256-byte buffer, as the texts are loaded.
std::string LibraryString(const LanguageLibrary& library, uint32_t id) {
    char buffer[256] = {};
    library.LoadString(id, buffer, sizeof buffer);
    return buffer;
}

HRESULT Return(VARIANT* out, Variant local) {
    if (!out)
        return E_POINTER;
    HRESULT hr = VariantCopy(out, local.Get());
    return FAILED(hr) ? hr : S_OK;
}

Variant I4(int32_t value) {
    return Variant(value);
}

Variant Packed(std::string_view text) {
    return Variant::AdoptBstr(PackedText(text));
}

// A getter's number with its "called" and "returning" trace lines.
HRESULT ReturnTraced(const char* szMethod, int32_t value, VARIANT* out, VARTYPE vt = VT_I4) {
    Trace(kTracePrefix, "%s(): called", szMethod);
    Trace(kTracePrefix, "%s(): returning %d", szMethod, value);
    return Return(out, Variant::Of(vt, value));
}

HRESULT ReturnTracedText(const char* szMethod, const char* text, VARIANT* out) {
    Trace(kTracePrefix, "%s(): called", szMethod);
    Trace(kTracePrefix, "%s(): returning %s", szMethod, text);
    return Return(out, Packed(text));
}

// The slot of a drawer, or the getter's failure with its trace line.
HRESULT Slot(const char* szMethod, int32_t location, int& slot) {
    slot = SlotOfLocation(location);
    if (slot == kSlotNotImplemented) {
        Trace(kTracePrefix, "%s(): DSE_QX2SNMP_INPUTLOCATION_SFB not implemented", szMethod);
        return E_NOTIMPL;
    }
    if (slot == kSlotInvalid) {
        Trace(kTracePrefix, "%s() provided invalid location %d", szMethod, location);
        return E_INVALIDARG;
    }
    return S_OK;
}

using SlotCodes = int32_t[kConfigSlotCount];

HRESULT ReturnSlotCode(const char* szMethod, int32_t location, const SlotCodes& codes,
                       VARIANT* out) {
    int slot;
    if (HRESULT hr = Slot(szMethod, location, slot); FAILED(hr))
        return hr;
    return Return(out, I4(codes[slot]));
}

// The text getter of szMethod ("...S"): a bad location traces under the
// number getter's name, as both share the check; no library, an empty text.
HRESULT ReturnSlotText(const char* szMethod, int32_t location, const SlotCodes& codes,
                       uint32_t (*textId)(int32_t), VARIANT* out) {
    Trace(kTracePrefix, "%sS(): called", szMethod);
    int slot;
    if (HRESULT hr = Slot(szMethod, location, slot); FAILED(hr))
        return hr;
    std::string text;
    if (std::unique_ptr<LanguageLibrary> library = LoadLanguageLibrary())
        text = LibraryString(*library, textId(codes[slot]));
    Trace(kTracePrefix, "%sS(): returning %s", szMethod, text.c_str());
    return Return(out, Packed(text));
}

// The user and computer names trace as the computer name's getter did from
// the start; the log readers key on those lines.
template <size_t N>
HRESULT ReturnSystemName(bool (*getName)(char*, uint32_t*), VARIANT* name) {
    Trace(kTracePrefix, "GetComputerNameS(): called");
    if (!name)
        return E_POINTER;
    char szName[N] = {};
    uint32_t size = sizeof szName;
    if (!getName(szName, &size))
        return E_NOTIMPL;
    Trace(kTracePrefix, "GetComputerNameS(): returning %s", szName);
    VariantInit(name);
    name->vt = VT_BSTR;
    name->bstrVal = BstrFromUtf8(szName);
    return S_OK;
}

}  // namespace

CDsePrinterConfigKORVALEN::~CDsePrinterConfigKORVALEN() {
    // An object released without ExitPrinter still gives back its COM use.
    for (; m_nComInits > 0; --m_nComInits)
        CoUninitialize();
}

void CDsePrinterConfigKORVALEN::ResetDeviceValuesForTesting() {
    Values() = DeviceValues();
}

HRESULT CDsePrinterConfigKORVALEN::InitPrinter(BSTR bstrPrinterName, int32_t instance,
                                               int32_t PrinterFamily, BSTR bstrEventName,
                                               BSTR bstrPortName, BSTR bstrServerName,
                                               int32_t dwAttribute) {
    // Released after the table, which borrows it.
    ComPtr<Imgt> tableMgt;
    auto table = std::make_unique<CDsePrinterSummaryTable>();

    // A record index of the table: anything but the two devices of a tandem
    // pair is refused before it could reach past the records.
    if (instance != 0 && instance != 1)
        return E_INVALIDARG;

    char szEventName[256] = {};
    CopyText(szEventName, Utf8FromBstr(bstrEventName));
    CancelEvent cancelEvent;
    if (!cancelEvent.Open(szEventName)) {
        Trace(kTracePrefix, "Failed in opening event");
        return S_FALSE;
    }

    std::unique_ptr<LanguageLibrary> library = LoadLanguageLibrary();
    if (!library) {
        Trace(kTracePrefix, "return S_FALSE");
        return S_FALSE;
    }
    Trace(kTracePrefix, "Inside the  InitPrinter ALMISvr");

    if (cancelEvent.TakeCancel())
        return E_FAIL;
    m_nFamilyCode = PrinterFamily;

    if (cancelEvent.TakeCancel())
        return E_FAIL;
    DeviceValues& values = Values();
    if (SUCCEEDED(CoInitialize())) {
        ++m_nComInits;
        // The component is this system's own; making it creatable is what
        // installing it does on the original platform.
        RegisterMgtComponent();
        ComPtr<Imgt> mgt;
        HRESULT hr =
            CoCreateInstance(CLSID_mgt, nullptr, CLSCTX_INPROC_SERVER, IID_Imgt, mgt.OutVoid());
        if (FAILED(hr)) {
            Trace(kTracePrefix,
                  "InitPrinter failed. CoCreateInstance on CLSID_mgt/IID_Imgt. return=0x%x",
                  static_cast<unsigned>(hr));
            return hr;
        }
        // The previous call's component is given back rather than leaked.
        values.pMgt = std::move(mgt);
    }

    if (cancelEvent.TakeCancel())
        return E_FAIL;
    Variant address;
    HRESULT hr =
        GetLocalPrinterAddress(bstrPrinterName, address.Get(), cancelEvent.Handle(), PrinterFamily,
                               bstrPortName, bstrServerName, static_cast<uint32_t>(dwAttribute));
    if (FAILED(hr))
        return hr;

    if (cancelEvent.TakeCancel())
        return E_FAIL;
    char szAddress[260] = {};
    if (address->vt == VT_BSTR)
        CopyText(szAddress, Utf8FromBstr(address->bstrVal));
    table->m_nFamilyCode = PrinterFamily;
    tableMgt = values.pMgt;
    table->m_pMgt = tableMgt.Get();
    table->SetAddress(szAddress);

    if (cancelEvent.TakeCancel())
        return E_FAIL;
    if (FAILED(table->Refresh())) {
        m_bSNMPSuccess = 0;
        return S_OK;
    }
    m_bSNMPSuccess = 1;

    if (cancelEvent.TakeCancel())
        return E_FAIL;
    if (instance == 1 && !table->m_bTandem)
        return E_FAIL;
    const PrinterDeviceRecord& record = table->m_devices[instance];
    const FamilyGroup group = FamilyGroupOf(PrinterFamily);

    if (cancelEvent.TakeCancel())
        return E_FAIL;
    if (group == FamilyGroup::A) {
        CodeText finisher = FinisherOf(record.m_nFinisherType);
        values.nFinisherType = finisher.nCode;
        StoreText(values.szFinisher, LibraryString(*library, finisher.nStringId));
    } else if (group == FamilyGroup::B) {
        values.nFinisherType = GroupBFinisherType(record.m_nFinisherType);
    }

    // Drawers. A location that the table does not know leaves the read
    // values as they were, so the slot of location 5 repeats location 4 in
    // group B as it does by design in group A.
    const LANGID userLanguage = GetUserDefaultLangID();
    int32_t nPaper = 0, nMedia = 0, nPercent = 0;
    auto readSlot = [&](int32_t slotLocation, int32_t readLocation) {
        table->GetInputInfo(readLocation, &nPaper, &nMedia, &nPercent, instance);
        const int slot = SlotOfLocation(slotLocation);
        values.media[slot] = MediaCodeOf(nMedia);
        values.paper[slot] = PaperCodeOf(nPaper, slotLocation, userLanguage);
    };
    if (cancelEvent.TakeCancel())
        return E_FAIL;
    readSlot(3, 3);
    if (cancelEvent.TakeCancel())
        return E_FAIL;
    readSlot(4, 4);
    if (group != FamilyGroup::Other) {
        if (cancelEvent.TakeCancel())
            return E_FAIL;
        readSlot(5, group == FamilyGroup::A ? 4 : 5);
    }
    if (group == FamilyGroup::A) {
        if (cancelEvent.TakeCancel())
            return E_FAIL;
        readSlot(8, 8);
        if (cancelEvent.TakeCancel())
            return E_FAIL;
        readSlot(9, 9);
    }
    if (cancelEvent.TakeCancel())
        return E_FAIL;
    readSlot(13, 13);
    if (cancelEvent.TakeCancel())
        return E_FAIL;
    readSlot(15, 15);

    if (cancelEvent.TakeCancel())
        return E_FAIL;
    if (group == FamilyGroup::B) {
        values.nModel = GroupBModelCode(record.m_strModel);
        if (cancelEvent.TakeCancel())
            return E_FAIL;
        values.nPunch = GroupBPunchCode(record.m_nPunchType);
    } else if (group == FamilyGroup::A) {
        values.nModel = GroupAModelCode(record.m_strModel);
        StoreText(values.szModel, record.m_strModel);
        if (cancelEvent.TakeCancel())
            return E_FAIL;
        values.nExternalLCF = static_cast<int16_t>(record.m_bExternalFeeder);
        values.nInserter = static_cast<int16_t>(record.m_bInserter);
        values.nMemorySize = record.m_nMemorySize;
        values.nADUState = record.m_nADUState;
        if (cancelEvent.TakeCancel())
            return E_FAIL;
        CodeText pedestal = PedestalOf(record.m_nPedestal);
        values.nPedestal = pedestal.nCode;
        StoreText(values.szPedestal,
                  pedestal.nStringId ? LibraryString(*library, pedestal.nStringId) : "");
        if (cancelEvent.TakeCancel())
            return E_FAIL;
        CodeText punch = PunchOf(record.m_nPunchType);
        values.nPunch = punch.nCode;
        StoreText(values.szPunch, LibraryString(*library, punch.nStringId));
    }

    if (cancelEvent.TakeCancel())
        return E_FAIL;
    return S_OK;
}

HRESULT CDsePrinterConfigKORVALEN::ExitPrinter() {
    Values().pMgt.Reset();
    if (m_nComInits > 0) {
        --m_nComInits;
        CoUninitialize();
    }
    return S_OK;
}

HRESULT CDsePrinterConfigKORVALEN::GetModel(VARIANT* model) {
    return ReturnTraced("GetModel", Values().nModel, model);
}

HRESULT CDsePrinterConfigKORVALEN::GetModelS(VARIANT* model) {
    return ReturnTracedText("GetModelS", Values().szModel, model);
}

HRESULT CDsePrinterConfigKORVALEN::GetPedestal(VARIANT* pedestal) {
    return ReturnTraced("GetPedestal", Values().nPedestal, pedestal);
}

HRESULT CDsePrinterConfigKORVALEN::GetPedestalS(VARIANT* pedestal) {
    return ReturnTracedText("GetPedestalS", Values().szPedestal, pedestal);
}

HRESULT CDsePrinterConfigKORVALEN::GetFinisherType(VARIANT* finisher) {
    return Return(finisher, I4(Values().nFinisherType));
}

HRESULT CDsePrinterConfigKORVALEN::GetFinisherTypeS(VARIANT* finisher) {
    return ReturnTracedText("GetFinisherS", Values().szFinisher, finisher);
}

HRESULT CDsePrinterConfigKORVALEN::GetPunchUnit(VARIANT* punch_unit) {
    return ReturnTraced("GetPunchUnit", Values().nPunch, punch_unit);
}

HRESULT CDsePrinterConfigKORVALEN::GetPunchUnitS(VARIANT* punch_unit) {
    return ReturnTracedText("GetPunchUnitS", Values().szPunch, punch_unit);
}

HRESULT CDsePrinterConfigKORVALEN::GetMediaType(int32_t location, VARIANT* media) {
    return ReturnSlotCode("GetMediaType", location, Values().media, media);
}

HRESULT CDsePrinterConfigKORVALEN::GetMediaTypeS(int32_t location, VARIANT* media) {
    return ReturnSlotText("GetMediaType", location, Values().media, MediaTextId, media);
}

HRESULT CDsePrinterConfigKORVALEN::GetPaperSize(int32_t location, VARIANT* size) {
    return ReturnSlotCode("GetPaperSize", location, Values().paper, size);
}

HRESULT CDsePrinterConfigKORVALEN::GetPaperSizeS(int32_t location, VARIANT* size) {
    return ReturnSlotText("GetPaperSize", location, Values().paper, PaperTextId, size);
}

HRESULT CDsePrinterConfigKORVALEN::GetUserNameS(VARIANT* name) {
    return ReturnSystemName<251>(GetUserNameA, name);
}

HRESULT CDsePrinterConfigKORVALEN::GetComputerNameS(VARIANT* name) {
    return ReturnSystemName<16>(GetComputerNameA, name);
}

HRESULT CDsePrinterConfigKORVALEN::IsExternalLCF(VARIANT* bIsExtLCFPresent) {
    return ReturnTraced("IsExternalLCF", Values().nExternalLCF, bIsExtLCFPresent, VT_BOOL);
}

HRESULT CDsePrinterConfigKORVALEN::IsInserterPresent(VARIANT* iInserterPresent) {
    return ReturnTraced("IsInserterPresent", Values().nInserter, iInserterPresent, VT_I2);
}

HRESULT CDsePrinterConfigKORVALEN::GetMemorySize(VARIANT* memSize) {
    return ReturnTraced("GetMemorySize", Values().nMemorySize, memSize);
}

HRESULT CDsePrinterConfigKORVALEN::IsSNMPSuccess(VARIANT* bSNMP) {
    return Return(bSNMP, Variant::Of(VT_BOOL, m_bSNMPSuccess));
}

HRESULT CDsePrinterConfigKORVALEN::GetADUState(VARIANT* aduState) {
    return Return(aduState, I4(Values().nADUState));
}

}  // namespace qx
