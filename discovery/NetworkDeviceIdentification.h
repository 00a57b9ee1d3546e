#pragma once
// Identification for the network discovery dialog: every maker device, and
// outside mode 17 other makers' devices too, named by their sysName.

#include "DeviceIdentification.h"

namespace qx {

class CNetworkDeviceIdentification : public CDeviceIdentification {
  public:
    static constexpr int kModeMakerOnly = 17;

    // family 1 reads the Korvalen client key's time-out, any other the Orven one's.
    CNetworkDeviceIdentification(CDeviceList& list, uint32_t family, int mode);

    uint32_t Family() const { return m_nFamily; }
    int Mode() const { return m_nMode; }
    uint32_t TimeOut() const { return m_nTimeOut; }

    IdentifiedDevice Identify(const std::string& address) const override;

  protected:
    void OnDeviceReported(int32_t handle) override;

  private:
    uint32_t m_nFamily;
    int m_nMode;
    uint32_t m_nTimeOut;
};

}  // namespace qx
