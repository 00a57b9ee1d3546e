#include "MgtComponent.h"

#include <strings.h>

#include <optional>

#include "SharedMappingTable.h"
#include "SlotOrderRun.h"
#include "SnmpReader.h"
#include "SnmpRequest.h"
#include "SysObjectId.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/RegistryKey.h"
#include "platform/text/Utf8.h"
#include "settings/Settings.h"
#include "trace/Trace.h"

namespace qx {

namespace {

struct MethodName {
    const char* name;
    DISPID id;
};

constexpr MethodName kMethodNames[] = {
    {"SelectDevice", DISPID_MGT_SELECTDEVICE}, {"Method2", DISPID_MGT_METHOD2},
    {"getElement", DISPID_MGT_GETELEMENT},     {"Method4", DISPID_MGT_METHOD4},
    {"setElement", DISPID_MGT_SETELEMENT},     {"Method6", DISPID_MGT_METHOD6},
    {"getRowCount", DISPID_MGT_GETROWCOUNT},
};

// Invoke's arguments, first argument first (automation passes them last first).
class Arguments {
  public:
    Arguments(DISPPARAMS* params, uint32_t* argErr) : m_params(params), m_argErr(argErr) {}

    HRESULT Check(uint32_t expected) const {
        if (!m_params)
            return expected == 0 ? S_OK : DISP_E_BADPARAMCOUNT;
        if (m_params->cNamedArgs != 0)
            return DISP_E_NONAMEDARGS;
        if (m_params->cArgs != expected || (expected && !m_params->rgvarg))
            return DISP_E_BADPARAMCOUNT;
        return S_OK;
    }

    // VTS_I4
    HRESULT Long(uint32_t position, int32_t& value) const {
        VARIANT& v = At(position);
        switch (v.vt) {
            case VT_I4:
                value = v.lVal;
                return S_OK;
            case VT_I2:
                value = v.iVal;
                return S_OK;
            case VT_BYREF | VT_I4:
                if (v.plVal) {
                    value = *v.plVal;
                    return S_OK;
                }
                break;
            default:
                break;
        }
        return Mismatch(position);
    }

    // VTS_PI4
    HRESULT LongPointer(uint32_t position, int32_t*& value) const {
        VARIANT& v = At(position);
        if (v.vt != (VT_BYREF | VT_I4) || !v.plVal)
            return Mismatch(position);
        value = v.plVal;
        return S_OK;
    }

    // VTS_PVARIANT; a value passed directly is taken as the VARIANT itself
    // when the method only reads it.
    HRESULT VariantPointer(uint32_t position, VARIANT*& value, bool readOnly) const {
        VARIANT& v = At(position);
        if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) {
            value = v.pvarVal;
            return S_OK;
        }
        if (readOnly && !(v.vt & VT_BYREF)) {
            value = &v;
            return S_OK;
        }
        return Mismatch(position);
    }

  private:
    VARIANT& At(uint32_t position) const {
        return m_params->rgvarg[m_params->cArgs - 1 - position];
    }
    HRESULT Mismatch(uint32_t position) const {
        if (m_argErr)
            *m_argErr = m_params->cArgs - 1 - position;
        return DISP_E_TYPEMISMATCH;
    }

    DISPPARAMS* m_params;
    uint32_t* m_argErr;
};

// Whether an octet string reads as text: UTF-8 without control characters
// other than TAB, CR and LF. Anything else is binary (a MAC address, bit
// flags, a filler of 0xFF bytes).
bool IsText(const std::string& octets) {
    auto p = reinterpret_cast<const unsigned char*>(octets.data());
    size_t n = octets.size();
    while (n > 0) {
        char32_t cp = 0;
        size_t len = DecodeUtf8(p, n, cp);
        if (len == 0 || (cp < 0x20 && cp != '\t' && cp != '\r' && cp != '\n') || cp == 0x7F)
            return false;
        p += len;
        n -= len;
    }
    return true;
}

// Text comes back as its characters; bytes that are not text come back as
// themselves, one character (U+0000 to U+00FF) per byte, as the device sent
// them and as the local reads hand them over, rather than as U+FFFD.
BSTR BstrFromOctets(const std::string& octets) {
    if (IsText(octets))
        return BstrFromUtf8(octets);
    std::u16string bytes(octets.size(), u'\0');
    for (size_t i = 0; i < octets.size(); ++i)
        bytes[i] = static_cast<unsigned char>(octets[i]);
    return SysAllocStringLen(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

bool IsColumnInstanceOf(const std::string& oid, const std::string& prefix) {
    return oid.size() > prefix.size() && oid.compare(0, prefix.size(), prefix) == 0 &&
           oid[prefix.size()] == '.';
}

class CMgtClassFactory : public IClassFactory {
  public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // A process-wide object: references do not govern its life.
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* component = new CMgtComponent();
        HRESULT hr = component->QueryInterface(riid, ppv);
        component->Release();
        return hr;
    }
    HRESULT LockServer(bool) override { return S_OK; }
};

CMgtClassFactory g_factory;

constexpr int kLastDiscoveredMax = 1028;
constexpr const char* kOidHrDeviceDescr1 = "1.3.6.1.2.1.25.3.2.1.3.1";
constexpr int kLastLookUpMax = 15;

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The addresses a family's dialogs found before: the local history, then
// the network dialog's watched devices; each once.
std::vector<std::string> RememberedAddresses(uint32_t family) {
    std::vector<std::string> addresses;
    std::map<std::string, bool> seen;
    auto add = [&](const std::string& address) {
        if (!address.empty() && !seen[LowerCase(address)])
            addresses.push_back(address);
        seen[LowerCase(address)] = true;
    };
    const std::string discovery = DiscoveryKey(family);
    reg::Key key;
    if (reg::Key::Open(reg::Hive::CurrentUser, discovery + "\\LastDiscovered", reg::Access::Read,
                       key) == 0) {
        std::string address;
        for (int n = 0; n < kLastDiscoveredMax && key.GetString(std::to_string(n), address) == 0;
             ++n)
            add(address);
    }
    if (reg::Key::Open(reg::Hive::CurrentUser, discovery + "\\LastLookUp", reg::Access::Read,
                       key) == 0) {
        std::string address;
        for (int n = 0; n < kLastLookUpMax; ++n)
            if (key.GetString("Address" + std::to_string(n), address) == 0)
                add(address);
    }
    return addresses;
}

std::string OctetText(const SnmpVarBind& reply) {
    if (reply.type != SNMP_TYPE_OCTETS)
        return {};
    return reply.octets.substr(0, reply.octets.find('\0'));
}

}  // namespace

CMgtComponent::CMgtComponent() {
    std::string error;
    m_pMibTable = LoadSharedMappingTable(MapFilePaths(), &error);
    if (!m_pMibTable)
        Trace(kTracePrefix, "Management component: mapping files not loaded: %s", error.c_str());
}

CMgtComponent::~CMgtComponent() {
    Unadvise();
    m_bStop = true;
    if (m_discovery.joinable())
        m_discovery.join();
}

void CMgtComponent::Advise(NotifySink sink, Post post) {
    auto state = std::make_shared<SinkState>();
    state->sink = std::move(sink);
    state->post = std::move(post);
    std::lock_guard lock(m_lock);
    if (m_pSink) {
        std::lock_guard old(m_pSink->lock);
        m_pSink->bAlive = false;
    }
    m_pSink = std::move(state);
}

void CMgtComponent::Unadvise() {
    std::lock_guard lock(m_lock);
    if (!m_pSink)
        return;
    std::lock_guard old(m_pSink->lock);
    m_pSink->bAlive = false;
    m_pSink.reset();
}

void CMgtComponent::WaitForDiscovery() {
    if (m_discovery.joinable())
        m_discovery.join();
}

void CMgtComponent::Notify(const std::shared_ptr<SinkState>& sink, int32_t code, int32_t handle) {
    Post post;
    {
        std::lock_guard lock(sink->lock);
        if (!sink->bAlive || !sink->post)
            return;
        post = sink->post;
    }
    post([sink, code, handle] {
        NotifySink target;
        {
            std::lock_guard lock(sink->lock);
            if (!sink->bAlive)
                return;
            target = sink->sink;
        }
        if (target) {
            Variant data(handle);
            target(code, *data.Get());
        }
    });
}

void CMgtComponent::StartDiscovery() {
    // One discovery at a time: a run that starts while the last one still
    // checks addresses gets its reports from that one.
    if (m_bDiscovering.exchange(true))
        return;
    if (m_discovery.joinable())
        m_discovery.join();
    std::shared_ptr<SinkState> sink;
    uint32_t family;
    {
        std::lock_guard lock(m_lock);
        sink = m_pSink;
        family = m_nDiscoveryFamily;
    }
    if (!sink) {
        m_bDiscovering = false;
        return;
    }
    m_bStop = false;
    // The registry is read here, on the caller's thread; only the devices
    // are asked on the discovery's own.
    m_discovery = std::thread(&CMgtComponent::Discover, this, RememberedAddresses(family), sink);
}

void CMgtComponent::Discover(std::vector<std::string> addresses, std::shared_ptr<SinkState> sink) {
    Trace(kTracePrefix, "Management component: checking %zu remembered addresses",
          addresses.size());
    RunInSlotOrder<std::optional<FoundDevice>>(
        addresses.size(), kDiscoveryParallel,
        [&](size_t slot) -> std::optional<FoundDevice> {
            if (m_bStop)
                return std::nullopt;
            CSnmpTarget target;
            target.SetAddress(addresses[slot]);
            CSnmpSession session;
            SnmpVarBind reply;
            if (FAILED(session.Get(target, kOidSysObjectId, reply)))
                return std::nullopt;
            const std::string sysObjectId = reply.PrintableValue();
            if (ClassifySysObjectId(sysObjectId) == SysObjectIdKind::Other)
                return std::nullopt;
            FoundDevice device;
            device.address = addresses[slot];
            if (SUCCEEDED(session.Get(target, kOidDeviceLocation, reply)))
                device.location = OctetText(reply);
            if (SUCCEEDED(session.Get(target, kOidControllerModel, reply)))
                device.typeText = OctetText(reply);
            // The model as the device names it: a controller's model text,
            // else its first hrDeviceDescr, else what its sysObjectID says.
            if (device.typeText.empty() &&
                SUCCEEDED(session.Get(target, kOidHrDeviceDescr1, reply)))
                device.typeText = OctetText(reply);
            if (device.typeText.empty())
                device.typeText = sysObjectId;
            return device;
        },
        [&](size_t, std::optional<FoundDevice>& device) {
            if (!device)
                return;
            int32_t handle;
            {
                std::lock_guard lock(m_lock);
                auto [it, added] = m_handleOf.emplace(LowerCase(device->address), m_nNextHandle);
                if (added)
                    ++m_nNextHandle;
                handle = it->second;
                m_devices[handle] = device->address;
                m_found[handle] = std::move(*device);
            }
            Notify(sink, DISCOVER_QUORVIA, handle);
        });
    m_bDiscovering = false;
    Notify(sink, DISCOVER_FINISHED, 0);
}

HRESULT CMgtComponent::GetFoundElement(int32_t elementId, int32_t handle, VARIANT* value) {
    std::lock_guard lock(m_lock);
    auto it = m_found.find(handle);
    if (it == m_found.end())
        return E_FAIL;  // the caller's value stays as it was
    VariantClear(value);
    const FoundDevice& device = it->second;
    if (elementId == EID_MGT_DEVICE_ICON) {
        value->vt = VT_I4;
        value->lVal = device.nIcon;
        return S_OK;
    }
    const std::string& text = elementId == EID_MGT_DEVICE_ADDRESS    ? device.address
                              : elementId == EID_MGT_DEVICE_LOCATION ? device.location
                                                                     : device.typeText;
    value->bstrVal = BstrFromUtf8(text);
    value->vt = VT_BSTR;
    return S_OK;
}

HRESULT CMgtComponent::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_Imgt) {
        *ppv = static_cast<Imgt*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CMgtComponent::AddRef() {
    return ++m_nRefs;
}

ULONG CMgtComponent::Release() {
    ULONG n = --m_nRefs;
    if (n == 0)
        delete this;
    return n;
}

HRESULT CMgtComponent::GetTypeInfoCount(uint32_t* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CMgtComponent::GetTypeInfo(uint32_t, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CMgtComponent::GetIDsOfNames(REFIID, const OLECHAR* const* names, uint32_t count, LCID,
                                     DISPID* ids) {
    if (!names || !ids)
        return E_POINTER;
    HRESULT hr = S_OK;
    for (uint32_t i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i == 0 && names[0]) {
            std::string name = Utf8FromUtf16(names[0]);
            for (const MethodName& m : kMethodNames)
                if (strcasecmp(name.c_str(), m.name) == 0)
                    ids[0] = m.id;
        }
        if (ids[i] == DISPID_UNKNOWN)
            hr = DISP_E_UNKNOWNNAME;  // no named arguments
    }
    return hr;
}

HRESULT CMgtComponent::Invoke(DISPID id, REFIID, LCID, uint16_t flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO*, uint32_t* argErr) {
    if (!(flags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    if (result)
        VariantInit(result);  // the methods return nothing but their HRESULT
    Arguments args(params, argErr);
    int32_t a = 0, b = 0;
    VARIANT* v = nullptr;
    int32_t* p = nullptr;
    HRESULT hr = S_OK;
    switch (id) {
        case DISPID_MGT_SELECTDEVICE:
        case DISPID_MGT_METHOD4:
            if (FAILED(hr = args.Check(2)) || FAILED(hr = args.Long(0, a)) ||
                FAILED(hr = args.Long(1, b)))
                return hr;
            return id == DISPID_MGT_SELECTDEVICE ? SelectDevice(a, b) : Method4(a, b);
        case DISPID_MGT_METHOD2:
            if (FAILED(hr = args.Check(2)) || FAILED(hr = args.Long(0, a)) ||
                FAILED(hr = args.VariantPointer(1, v, false)))
                return hr;
            return Method2(a, v);
        case DISPID_MGT_GETELEMENT:
        case DISPID_MGT_SETELEMENT:
        case DISPID_MGT_METHOD6:
            if (FAILED(hr = args.Check(3)) || FAILED(hr = args.Long(0, a)) ||
                FAILED(hr = args.Long(1, b)) ||
                FAILED(hr = args.VariantPointer(2, v, id == DISPID_MGT_SETELEMENT)))
                return hr;
            if (id == DISPID_MGT_GETELEMENT)
                return getElement(a, b, v);
            return id == DISPID_MGT_SETELEMENT ? setElement(a, b, v) : Method6(a, b, v);
        case DISPID_MGT_GETROWCOUNT:
            if (FAILED(hr = args.Check(2)) || FAILED(hr = args.Long(0, a)) ||
                FAILED(hr = args.LongPointer(1, p)))
                return hr;
            return getRowCount(a, p);
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT CMgtComponent::SelectDevice(int32_t mode, int32_t device) {
    if (device == -1) {
        {
            std::lock_guard lock(m_lock);
            m_nHandle = -1;
            m_nUnit = 0;
        }
        if (mode == 0)
            StartDiscovery();
        else
            m_bStop = true;  // the dialog's run has ended: check no further addresses
        return S_OK;
    }
    std::lock_guard lock(m_lock);
    if (device < 0)
        return E_INVALIDARG;
    switch (mode) {
        case 0:
            m_nHandle = device;
            m_nUnit = 0;
            return S_OK;
        case 1:
            // (0, d), (1, d) selects a discovered device d itself; a unit
            // number equal to the selected handle means a unit only for
            // devices the component did not discover.
            m_nUnit = device == m_nHandle && m_found.count(device) ? 0 : device;
            return S_OK;
        default:
            return E_INVALIDARG;
    }
}

bool CMgtComponent::Selected(std::string& address, int32_t& unit) {
    std::lock_guard lock(m_lock);
    auto it = m_devices.find(m_nHandle);
    if (it == m_devices.end())
        return false;
    address = it->second;
    unit = m_nUnit;
    return true;
}

HRESULT CMgtComponent::getElement(int32_t elementId, int32_t index, VARIANT* value) {
    if (!value)
        return E_POINTER;
    // The caller's value is replaced only by a value read: a failed call
    // leaves it as it was.
    if (elementId == EID_MGT_DEVICE_ADDRESS || elementId == EID_MGT_DEVICE_LOCATION ||
        elementId == EID_MGT_DEVICE_ICON || elementId == EID_MGT_DEVICE_TYPE)
        return GetFoundElement(elementId, index, value);
    if (elementId == EID_DEVICEADDRESS) {
        std::lock_guard lock(m_lock);
        auto it = m_devices.find(index);
        if (it == m_devices.end())
            return E_FAIL;
        VariantClear(value);
        value->bstrVal = BstrFromUtf8(it->second);
        value->vt = VT_BSTR;
        return S_OK;
    }
    const MIBMappingEntry* entry = m_pMibTable ? m_pMibTable->GetEntryById(elementId) : nullptr;
    std::string address;
    int32_t unit = 0;
    if (!entry || !Selected(address, unit))
        return E_FAIL;

    CSnmpReader reader;
    reader.Target().SetAddress(address);
    SnmpVarBind reply;
    HRESULT hr = entry->bColumnar
                     ? reader.ReadElement(entry, unit + 1, index > 0 ? index : -1, reply)
                     : reader.ReadElement(entry, -1, -1, reply);
    if (FAILED(hr))
        return E_FAIL;
    int32_t number = 0;
    if (reply.GetInt32(number)) {
        VariantClear(value);
        value->vt = VT_I4;
        value->lVal = number;
        return S_OK;
    }
    BSTR text = reply.type == SNMP_TYPE_OCTETS ? BstrFromOctets(reply.octets)
                                               : BstrFromUtf8(reply.PrintableValue());
    if (!text)
        return E_OUTOFMEMORY;
    VariantClear(value);
    value->bstrVal = text;
    value->vt = VT_BSTR;
    return S_OK;
}

HRESULT CMgtComponent::getRowCount(int32_t elementId, int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    const MIBMappingEntry* entry = m_pMibTable ? m_pMibTable->GetEntryById(elementId) : nullptr;
    std::string address;
    int32_t unit = 0;
    if (!entry || !Selected(address, unit))
        return E_FAIL;

    CSnmpReader reader;
    reader.Target().SetAddress(address);
    if (!entry->bColumnar) {
        SnmpVarBind reply;
        *count = SUCCEEDED(reader.ReadElement(entry, -1, -1, reply)) ? 1 : 0;
        return S_OK;
    }
    const std::string unitOid = ElementOidText(*entry, unit + 1, -1);
    std::string oid = unitOid, next;
    int32_t rows = 0;
    while (rows < kMaxRows && SUCCEEDED(reader.GetNextPrintableValue(oid, &next, nullptr)) &&
           IsColumnInstanceOf(next, unitOid)) {
        ++rows;
        oid = next;
    }
    // A column indexed by device only has one instance per unit.
    if (rows == 0 && SUCCEEDED(reader.GetPrintableValue(unitOid, nullptr)))
        rows = 1;
    *count = rows;
    return S_OK;
}

HRESULT CMgtComponent::setElement(int32_t elementId, int32_t index, VARIANT* value) {
    if (!value)
        return E_POINTER;
    const VARIANT* v =
        value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal ? value->pvarVal : value;
    if (elementId == EID_MGT_DISCOVERY_FAMILY) {
        if (v->vt != VT_I4)
            return E_INVALIDARG;
        std::lock_guard lock(m_lock);
        m_nDiscoveryFamily = v->lVal == 1 ? 1 : 2;
        return S_OK;
    }
    if (elementId != EID_DEVICEADDRESS)
        return E_NOTIMPL;
    std::lock_guard lock(m_lock);
    if (v->vt == VT_EMPTY) {
        m_devices.erase(index);
        return S_OK;
    }
    if (v->vt != VT_BSTR)
        return E_INVALIDARG;
    m_devices[index] = Utf8FromBstr(v->bstrVal);
    return S_OK;
}

HRESULT RegisterMgtComponent() {
    return RegisterInprocClass(CLSID_mgt, &g_factory);
}

void RevokeMgtComponent() {
    RevokeInprocClass(CLSID_mgt);
}

}  // namespace qx
