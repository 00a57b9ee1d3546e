#pragma once
// The end of a discovery run outside the dialogs (qxctl discover): the
// answering addresses identified in their order by the local or the network
// variant, together with the devices that the management component finds
// again among the remembered addresses, into one device list.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "DeviceIdentification.h"
#include "DeviceList.h"

namespace qx {

struct IdentificationRequest {
    bool bNetwork = false;
    int nCaller = 0;       // local variant: kinds, filter, family and time-out
    uint32_t nFamily = 1;  // network variant
    int nMode = 1;         // network variant: 17 the maker's devices only
    bool bComponent = true;
    size_t nParallel = CDeviceIdentification::kDefaultParallel;
};

// The owner's event loop for the component's notifications: Post from any
// thread, RunUntil on the owner's.
class CNotificationQueue {
  public:
    void Post(std::function<void()> fn);
    // Runs what arrives until done() holds or limitMs passed; done()'s value.
    bool RunUntil(const std::function<bool()>& done, int limitMs);

  private:
    std::mutex m_lock;
    std::deque<std::function<void()>> m_queue;
};

// The component's discovery starts first, as at the start of a dialog's
// run; its reports are handled after the answering addresses, so a device
// found both ways keeps the row of the broadcast's answer.
std::vector<DeviceRow> IdentifyDevices(const std::vector<std::string>& addresses,
                                       const IdentificationRequest& request);

}  // namespace qx
