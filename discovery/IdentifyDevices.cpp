#include "IdentifyDevices.h"

#include <chrono>
#include <memory>
#include <thread>

#include "LocalDeviceIdentification.h"
#include "NetworkDeviceIdentification.h"
#include "model/MgtComponent.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"

namespace qx {

namespace {

// Long enough for the component to check every remembered address of a
// family against silent devices; it always ends with code 4 before that.
constexpr int kComponentLimitMs = 10 * 60 * 1000;

}  // namespace

void CNotificationQueue::Post(std::function<void()> fn) {
    std::lock_guard lock(m_lock);
    m_queue.push_back(std::move(fn));
}

bool CNotificationQueue::RunUntil(const std::function<bool()>& done, int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done() && std::chrono::steady_clock::now() < end) {
        std::deque<std::function<void()>> batch;
        {
            std::lock_guard lock(m_lock);
            batch.swap(m_queue);
        }
        for (auto& fn : batch)
            fn();
        if (batch.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

std::vector<DeviceRow> IdentifyDevices(const std::vector<std::string>& addresses,
                                       const IdentificationRequest& request) {
    CDeviceList list;
    std::unique_ptr<CDeviceIdentification> id;
    uint32_t family;
    if (request.bNetwork) {
        id = std::make_unique<CNetworkDeviceIdentification>(list, request.nFamily, request.nMode);
        family = request.nFamily == 1 ? 1 : 2;
    } else {
        id = std::make_unique<CLocalDeviceIdentification>(list, request.nCaller);
        family = CallerFamily(request.nCaller);
    }

    CNotificationQueue events;
    bool bFinished = false;
    ComPtr<Imgt> mgt;
    CMgtComponent* component = nullptr;
    const bool bCom = request.bComponent && SUCCEEDED(RegisterMgtComponent());
    if (bCom) {
        CoInitialize();
        if (SUCCEEDED(CoCreateInstance(CLSID_mgt, nullptr, CLSCTX_INPROC_SERVER, IID_Imgt,
                                       mgt.OutVoid())))
            component = dynamic_cast<CMgtComponent*>(mgt.Get());
    }
    if (component) {
        Variant familyValue(static_cast<int32_t>(family));
        mgt->setElement(EID_MGT_DISCOVERY_FAMILY, 0, familyValue.Get());
        id->SetMgt(mgt.Get());
        id->SetDiscoveryFinished([&] { bFinished = true; });
        CDeviceIdentification* target = id.get();
        component->Advise(
            [target](int32_t code, const VARIANT& data) {
                target->OnMgtInterfaceNotify(code, 0, 0, 0, 0, 0, data);
            },
            [&events](std::function<void()> fn) { events.Post(std::move(fn)); });
        mgt->SelectDevice(0, -1);
    }

    id->IdentifyAddresses(addresses, request.nParallel);

    if (component) {
        events.RunUntil([&] { return bFinished; }, kComponentLimitMs);
        component->Unadvise();
        mgt->SelectDevice(1, -1);
        component->WaitForDiscovery();
    }
    mgt.Reset();
    if (bCom)
        CoUninitialize();
    return list.Rows();
}

}  // namespace qx
