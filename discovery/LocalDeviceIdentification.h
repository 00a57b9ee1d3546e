#pragma once
// Identification for the local discovery dialog: shows only the device
// kinds the user selected, and for the Address Book Viewer only devices
// that can fax.

#include "DeviceIdentification.h"

namespace qx {

struct DeviceKinds {
    bool bRk2020 = false;
    bool bRk2030 = false;
    bool bQx2 = false;
    bool bKorvalen = false;
    bool bBrisel = false;
    bool bOrven = false;
};

// What a caller number starts the dialog with: its settings family (1 for
// callers 0 to 5, else 2), its kinds (the controllers always cleared) and
// its device filter (5 with Korvalen among the kinds, else 0).
uint32_t CallerFamily(int nCaller);
DeviceKinds InitialDeviceKinds(int nCaller);
int InitialDeviceFilter(int nCaller);
// The identification time-out: the Korvalen key's for callers 0 to 5, the
// Orven key's for 6 to 14 and 21, the default for any other caller.
uint32_t CallerTimeOut(int nCaller);

class CLocalDeviceIdentification : public CDeviceIdentification {
  public:
    // Kinds and filter start as the caller number says.
    CLocalDeviceIdentification(CDeviceList& list, int nCaller);

    int Caller() const { return m_nCaller; }
    DeviceKinds& Kinds() { return m_kinds; }
    void SetDeviceFilter(int filter) { m_nDeviceFilter = filter; }
    int DeviceFilterValue() const { return m_nDeviceFilter; }
    uint32_t TimeOut() const { return m_nTimeOut; }

    IdentifiedDevice Identify(const std::string& address) const override;

  protected:
    void OnDeviceReported(int32_t handle) override;

  private:
    int m_nCaller;
    DeviceKinds m_kinds;
    int m_nDeviceFilter;
    uint32_t m_nTimeOut;
};

}  // namespace qx
