#pragma once
// Identification of devices that answered a discovery run or that the
// management component reported: what kind of device an address is, whether
// the dialog shows it, and under which name, model and location; accepted
// devices become rows of the dialog's device list. The two dialogs differ in
// what they show: CLocalDeviceIdentification and
// CNetworkDeviceIdentification.
//
// BroadCastQuery identifies one address on the calling thread.
// IdentifyAddresses identifies many at once, at most maxParallel at a time,
// and still adds the rows in the order of the addresses and writes each
// address's trace lines together, as one BroadCastQuery after the other
// would; a device that answered the run and then fell silent no longer holds
// up the others for its two time-outs.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DeviceList.h"
#include "IdentificationTrace.h"
#include "model/Imgt.h"
#include "model/SnmpRequest.h"
#include "model/SysObjectId.h"

namespace qx {

// Objects read during identification.
inline constexpr const char* kOidDeviceName = "1.3.6.1.4.1.32473.2.3.50.1.2.3.1.2.1";
inline constexpr const char* kOidSysName = "1.3.6.1.2.1.1.5.0";
inline constexpr const char* kOidHrDeviceDescrColumn = "1.3.6.1.2.1.25.3.2.1.3";
inline constexpr const char* kOidHrDeviceDescr1 = "1.3.6.1.2.1.25.3.2.1.3.1";
inline constexpr const char* kOidFaxEnabled = "1.3.6.1.4.1.32473.2.3.50.1.2.4.1.11.1.1";
inline constexpr int32_t kFaxEnabledNoFax = 4;

// Language strings holding the two RK-2020 model texts.
inline constexpr uint32_t kStringRk2020ModelA = 458;
inline constexpr uint32_t kStringRk2020ModelB = 459;

// The identification time-out of a family: the DWORD "TimeOut" under its
// client key, in hundredths of a second, 3000 when absent.
inline constexpr uint32_t kDefaultIdentificationTimeOut = 3000;
uint32_t IdentificationTimeOut(uint32_t family);

// The texts of a reply that fields are made of: an octet string up to its
// first zero byte and at most 259 bytes (never a broken UTF-8 sequence at
// the cut); any other value gives "".
std::string ReplyText(const SnmpVarBind& reply);

// A GET-NEXT on a column whose answer lies inside the column; anything past
// its end is no value of it.
HRESULT GetNextInColumn(CSnmpSession& session, const CSnmpTarget& target, const char* column,
                        SnmpVarBind& reply);

// The first question of an identification: the sysObjectID of address with
// the family's time-out, which is traced first; a failure is traced as the
// first attempt's. target is left pointed at the device for what follows.
HRESULT AskSysObjectId(CSnmpSession& session, CSnmpTarget& target, const std::string& address,
                       uint32_t nTimeOut, CIdentificationTrace& trace, SnmpVarBind& reply);

// The outcome of one address, before it reaches the list.
struct IdentifiedDevice {
    bool bAdd = false;
    DeviceRow row;
    int32_t nIconFlag = 0;
    CIdentificationTrace trace;
};

// What miGetDevice reads of a device the component reported.
struct MgtDevice {
    std::string name, address, location, typeText, model;
    int32_t nIcon = 0;
};

class CDeviceIdentification {
  public:
    static constexpr size_t kDefaultParallel = 16;

    explicit CDeviceIdentification(CDeviceList& list) : m_list(list) {}
    virtual ~CDeviceIdentification() = default;
    CDeviceIdentification(const CDeviceIdentification&) = delete;
    CDeviceIdentification& operator=(const CDeviceIdentification&) = delete;

    CDeviceList& List() { return m_list; }

    void BroadCastQuery(const std::string& address);
    void IdentifyAddresses(const std::vector<std::string>& addresses,
                           size_t maxParallel = kDefaultParallel);
    // Safe to call from several threads at once: it only reads this object.
    virtual IdentifiedDevice Identify(const std::string& address) const = 0;

    // The management component that reports devices (not owned; null: none).
    void SetMgt(Imgt* mgt) { m_pMgt = mgt; }
    // Called on code 4, where the dialog takes its idle look again.
    void SetDiscoveryFinished(std::function<void()> finished) { m_finished = std::move(finished); }
    // The handler of the component's event: code 0 reports the device whose
    // handle is the 32-bit value in data, code 4 the end of its discovery.
    void OnMgtInterfaceNotify(int32_t code, int32_t, int32_t, int32_t, int32_t, int32_t,
                              const VARIANT& data);

  protected:
    // Reads one reported device; local adds the type text, network traces more.
    HRESULT miGetDevice(int32_t handle, bool bLocal, CIdentificationTrace& trace,
                        MgtDevice& device) const;
    virtual void OnDeviceReported(int32_t handle) = 0;
    void Commit(IdentifiedDevice& device);

    CDeviceList& m_list;
    Imgt* m_pMgt = nullptr;
    std::function<void()> m_finished;
};

}  // namespace qx
