// qxmonitor: a stand-in for the Tendra monitor, for demonstrations and tests.
// It creates the monitor's event "QXTENDRA_MONITOR_DOCUMENT", waits on it and
// prints each submission record that appeared since it started, one line each
// ("<id> <address> <printer>", or a JSON object with --json). "--exit"
// broadcasts "Tendra_Exit" on the session bus instead, as the monitor does
// when it ends. It runs until it is stopped; its event goes with it.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "automation/CDseTendra.h"
#include "platform/bus/TendraExit.h"
#include "platform/registry/RegistryKey.h"
#include "platform/sync/NamedEvent.h"
#include "platform/system/Win32Error.h"

namespace {

// Submission records are written below one base key per family.
constexpr int kFamilies[] = {1, 2};

std::set<std::string> RecordNames(int family) {
    std::set<std::string> names;
    std::vector<std::string> list;
    qx::reg::Key key;
    if (qx::reg::Key::Open(qx::reg::Hive::CurrentUser, qx::CDseTendra::SubmissionsKey(family),
                           qx::reg::Access::Read, key) == qx::ERROR_SUCCESS &&
        key.SubKeyNames(list) == qx::ERROR_SUCCESS)
        names.insert(list.begin(), list.end());
    return names;
}

void PrintRecord(int family, const std::string& id, bool json) {
    qx::reg::Key key;
    std::string address, printer;
    if (qx::reg::Key::Open(qx::reg::Hive::CurrentUser,
                           qx::CDseTendra::SubmissionsKey(family) + "\\" + id,
                           qx::reg::Access::Read, key) == qx::ERROR_SUCCESS) {
        key.GetString("Address", address);
        key.GetString("Printer", printer);
    }
    if (json) {
        QJsonObject o{{"id", QString::fromStdString(id)},
                      {"address", QString::fromStdString(address)},
                      {"printer", QString::fromStdString(printer)},
                      {"family", family}};
        std::printf("%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
    } else {
        std::printf("%s %s %s\n", id.c_str(), address.c_str(), printer.c_str());
    }
    std::fflush(stdout);
}

int Broadcast(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !qx::bus::EmitTendraExit(bus)) {
        std::fprintf(stderr, "qxmonitor: no session bus to broadcast Tendra_Exit on\n");
        return 1;
    }
    // A call to the bus after the signal returns once the signal has left.
    bus.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                            "org.freedesktop.DBus", "GetId"));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool json = false, exitBroadcast = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (std::strcmp(argv[i], "--exit") == 0) {
            exitBroadcast = true;
        } else {
            std::fprintf(stderr, "usage: qxmonitor [--json] | qxmonitor --exit\n");
            return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
        }
    }
    if (exitBroadcast)
        return Broadcast(argc, argv);

    qx::NamedEvent event;
    bool existed = false;
    long err =
        event.Create(qx::kMonitorEventName, qx::NamedEvent::ResetMode::Auto, false, &existed);
    if (err != qx::ERROR_SUCCESS) {
        std::fprintf(stderr, "qxmonitor: cannot create the monitor event: %s\n",
                     qx::SystemMessageLine(err).c_str());
        return 1;
    }
    if (existed) {
        std::fprintf(stderr, "qxmonitor: another monitor is running in this session\n");
        return 1;
    }
    std::set<std::string> seen[2];
    for (int i = 0; i < 2; ++i)
        seen[i] = RecordNames(kFamilies[i]);
    std::fprintf(stderr, "qxmonitor: waiting for submissions\n");
    while (event.Wait() == qx::NamedEvent::WaitResult::Signalled) {
        // One wake may stand for several submissions made in a row.
        for (int i = 0; i < 2; ++i) {
            for (const std::string& id : RecordNames(kFamilies[i]))
                if (seen[i].insert(id).second)
                    PrintRecord(kFamilies[i], id, json);
        }
    }
    std::fprintf(stderr, "qxmonitor: waiting on the monitor event failed\n");
    return 1;
}
