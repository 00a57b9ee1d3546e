#include "DeviceCheck.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>

#include <string>

#include "model/SnmpRequest.h"
#include "model/SnmpTarget.h"
#include "platform/net/HostResolver.h"
#include "platform/text/TextCase.h"
#include "trace/Trace.h"

namespace qx {

namespace {

constexpr const char* kSysObjectId = "1.3.6.1.2.1.1.2.0";
constexpr const char* kMakerArcs[] = {"1.3.6.1.4.1.32473.2.3.14", "1.3.6.1.4.1.32473.2.3.15",
                                      "1.3.6.1.4.1.32473.2.3.16"};
constexpr const char* kEndOfColumn = "No such name";

// The user sees that the program waits for a device. Only the GUI thread may
// change the cursor, and only when there is a GUI at all.
class WaitCursor {
  public:
    WaitCursor() {
        m_bShown = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr &&
                   QThread::currentThread() == QCoreApplication::instance()->thread();
        if (m_bShown)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor() {
        if (m_bShown)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    bool m_bShown = false;
};

}  // namespace

int ismfpaddress(std::string_view host) {
    WaitCursor wait;
    std::optional<Ipv4Address> ip = ResolveHostIPv4(host);
    if (!ip) {
        Trace(kTracePrefix, "ismfpaddress: %.*s does not resolve", static_cast<int>(host.size()),
              host.data());
        return 4;
    }
    const std::string dotted = DottedAddress(*ip);
    CSnmpTarget target;
    target.SetAddress(dotted);
    target.SetTimeout(kDeviceCheckTimeout);

    SnmpVarBind reply;
    if (FAILED(SnmpGet(target, kSysObjectId, reply))) {
        Trace(kTracePrefix, "ismfpaddress: %s does not answer SNMP", dotted.c_str());
        return 4;
    }
    if (reply.PrintableOid().find(kSysObjectId) == std::string::npos)
        return 4;
    const std::string value = reply.PrintableValue();
    for (const char* arc : kMakerArcs) {
        if (value.find(arc) != std::string::npos) {
            Trace(kTracePrefix, "ismfpaddress: %s is a maker device (%s)", dotted.c_str(),
                  value.c_str());
            return 3;
        }
    }
    Trace(kTracePrefix, "ismfpaddress: %s is another device (%s)", dotted.c_str(), value.c_str());
    return 4;
}

int CheckPrinterQueName(std::string_view address, std::string_view queueName) {
    if (address.empty() || queueName.empty())
        return 0;
    CSnmpTarget target;
    target.SetAddress(address);
    target.SetTimeout(kDeviceCheckTimeout);
    CSnmpSession session;
    for (int row = 1; row <= kQueueNameRows; ++row) {
        SnmpVarBind reply;
        if (FAILED(session.GetNext(target, kQueueNameColumn + std::to_string(row), reply)))
            return 0;
        const std::string value = reply.PrintableValue();
        if (EqualsNoCase(value, queueName))
            return 1;
        if (EqualsNoCase(value, kEndOfColumn))
            return 0;
    }
    return 0;
}

}  // namespace qx
