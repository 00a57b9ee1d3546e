// A client that creates an object of the server and then hangs on to it
// until it is killed: what a crashed client leaves behind.

#include <QCoreApplication>
#include <QDBusConnection>

#include <unistd.h>

#include <cstdio>

#include "automation/TypeLibrary.h"
#include "platform/bus/RemoteObject.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    void* object = nullptr;
    HRESULT hr = qx::bus::CreateRemoteInstance(
        QDBusConnection::sessionBus(), qx::KORVALENMISvrEndpoint(),
        QStringLiteral("KORVALENMISvr.DseTendraOrven"), IID_IDispatch, &object);
    std::printf("%s 0x%08X\n", SUCCEEDED(hr) ? "ready" : "failed", static_cast<unsigned>(hr));
    std::fflush(stdout);
    if (FAILED(hr))
        return 1;
    for (;;)
        pause();
}
