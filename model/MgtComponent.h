#pragma once
// This system's own management component behind CLSID_mgt: it answers
// element values of a device through the mapping files beside the program and
// the SNMP reader, for the device that SelectDevice chose.
//
// Devices are known by handle: setElement(EID_DEVICEADDRESS, handle, address
// as VT_BSTR) gives handle its address (VT_EMPTY forgets it). SelectDevice(0,
// h) selects handle h and its unit 0; SelectDevice(1, n) selects unit n of the
// selected device (n = 1: its tandem partner); device -1 drops the selection.
//
// getElement(id, index, value):
//   - EID_DEVICEADDRESS: the address of handle index, VT_BSTR;
//   - any mapped element, read from the selected device: a column at the
//     indexes (unit + 1, index), index 0 or less meaning none; a scalar
//     without indexes. Numbers come back as VT_I4, octet strings as VT_BSTR
//     (text as UTF-8; bytes that are not text one character U+0000 to
//     U+00FF per byte), other values as their printable text.
// getRowCount(id, count): the rows of a column for the selected unit, i.e.
//   the instances found below "column.(unit+1)." by GET-NEXT, at most
//   kMaxRows (1 when there are none but "column.(unit+1)" itself answers:
//   a column indexed by device only); for a scalar 1 when it answers, else 0.
// Unknown elements, no selected device and failed reads give E_FAIL, and
// getElement then leaves the caller's value as it was. Requests use the SNMP library's
// default time-out. Method2, Method4 and Method6 answer E_NOTIMPL.
//
// Discovery: SelectDevice(0, -1), as a dialog's run starts, checks the
// addresses remembered under the family's Discovery\LastDiscovered and
// Discovery\LastLookUp (family from setElement(EID_MGT_DISCOVERY_FAMILY)) by
// unicast sysObjectID GETs, so that devices beyond the broadcast's reach
// are found again. Each maker device gets a handle (from
// kFirstDiscoveredHandle on, the same for an address while the component
// lives) and is reported with code 0, then code 4 ends the discovery; the
// elements EID_MGT_DEVICE_* answer for a handle, and (0, d), (1, d) selects
// the device itself (unit 0), so its mapped elements read it too.

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Imgt.h"
#include "MIBMappingTable.h"

namespace qx {

constexpr HRESULT DISP_E_NONAMEDARGS = static_cast<HRESULT>(0x80020007);
constexpr DISPID DISPID_UNKNOWN = -1;

class CMgtComponent : public Imgt {
  public:
    static constexpr int32_t kMaxRows = 1000;
    static constexpr int32_t kFirstDiscoveredHandle = 0x10000;
    static constexpr size_t kDiscoveryParallel = 16;

    // The owner's side of the event: post hands each notification to the
    // owner's thread (a dialog posts to its event loop), where sink runs, as
    // a control's events reach its container. After Unadvise nothing more
    // reaches the old sink, not even what was posted before.
    using NotifySink = std::function<void(int32_t code, const VARIANT& data)>;
    using Post = std::function<void(std::function<void()>)>;
    void Advise(NotifySink sink, Post post);
    void Unadvise();
    // Waits until a running discovery has sent its last notification.
    void WaitForDiscovery();

    CMgtComponent();
    virtual ~CMgtComponent();
    CMgtComponent(const CMgtComponent&) = delete;
    CMgtComponent& operator=(const CMgtComponent&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetTypeInfoCount(uint32_t* count) override;
    HRESULT GetTypeInfo(uint32_t index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, const OLECHAR* const* names, uint32_t count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, uint16_t flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, uint32_t* argErr) override;

    HRESULT SelectDevice(int32_t mode, int32_t device) override;
    HRESULT Method2(int32_t, VARIANT*) override { return E_NOTIMPL; }
    HRESULT getElement(int32_t elementId, int32_t index, VARIANT* value) override;
    HRESULT Method4(int32_t, int32_t) override { return E_NOTIMPL; }
    HRESULT getRowCount(int32_t elementId, int32_t* count) override;
    HRESULT setElement(int32_t elementId, int32_t index, VARIANT* value) override;
    HRESULT Method6(int32_t, int32_t, VARIANT*) override { return E_NOTIMPL; }

  private:
    struct FoundDevice {
        std::string address, location, typeText;
        int32_t nIcon = 1;
    };
    struct SinkState {
        std::mutex lock;
        NotifySink sink;
        Post post;
        bool bAlive = true;
    };

    // The selected device's address and unit; false when none is selected.
    bool Selected(std::string& address, int32_t& unit);
    void StartDiscovery();
    void Discover(std::vector<std::string> addresses, std::shared_ptr<SinkState> sink);
    static void Notify(const std::shared_ptr<SinkState>& sink, int32_t code, int32_t handle);
    HRESULT GetFoundElement(int32_t elementId, int32_t handle, VARIANT* value);

    std::atomic<ULONG> m_nRefs{1};
    std::shared_ptr<const MIBMappingTable> m_pMibTable;  // null when the files did not load
    std::mutex m_lock;
    std::map<int32_t, std::string> m_devices;  // handle -> address
    int32_t m_nHandle = -1;
    int32_t m_nUnit = 0;

    std::map<int32_t, FoundDevice> m_found;     // handle -> what discovery read
    std::map<std::string, int32_t> m_handleOf;  // lower-case address -> handle
    int32_t m_nNextHandle = kFirstDiscoveredHandle;
    uint32_t m_nDiscoveryFamily = 1;
    std::shared_ptr<SinkState> m_pSink;
    std::thread m_discovery;
    std::atomic<bool> m_bDiscovering{false};
    std::atomic<bool> m_bStop{false};
};

// Makes CLSID_mgt creatable in this process (CoCreateInstance with
// CLSCTX_INPROC_SERVER). Safe to call more than once.
HRESULT RegisterMgtComponent();
void RevokeMgtComponent();

}  // namespace qx
