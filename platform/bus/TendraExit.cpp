#include "TendraExit.h"

#include <QDBusMessage>

#include <unistd.h>

#include <mutex>

namespace qx::bus {

namespace {

std::mutex g_endMutex;
std::function<void()>& EndOverride() {
    static std::function<void()> end;
    return end;
}

}  // namespace

TendraExitWatcher::TendraExitWatcher(QDBusConnection connection, QObject* parent)
    : QObject(parent), m_connection(std::move(connection)) {
    m_listening =
        m_connection.isConnected() &&
        m_connection.connect(QString(), QString(), QLatin1String(kTendraInterface),
                             QLatin1String(kTendraExitSignal), this, SLOT(OnTendraExit()));
}

TendraExitWatcher::~TendraExitWatcher() {
    if (m_listening)
        m_connection.disconnect(QString(), QString(), QLatin1String(kTendraInterface),
                                QLatin1String(kTendraExitSignal), this, SLOT(OnTendraExit()));
}

void TendraExitWatcher::OnTendraExit() {
    emit TendraExit();
}

void EndProcessNow() {
    std::function<void()> end;
    {
        std::lock_guard lock(g_endMutex);
        end = EndOverride();
    }
    if (end) {
        end();
        return;
    }
    _exit(0);
}

void SetEndProcessForTesting(std::function<void()> end) {
    std::lock_guard lock(g_endMutex);
    EndOverride() = std::move(end);
}

TendraExitWatcher* EndProcessOnTendraExit(QObject* parent, QDBusConnection connection) {
    auto* watcher = new TendraExitWatcher(std::move(connection), parent);
    QObject::connect(watcher, &TendraExitWatcher::TendraExit, watcher, [] { EndProcessNow(); });
    return watcher;
}

bool EmitTendraExit(QDBusConnection connection) {
    QDBusMessage signal =
        QDBusMessage::createSignal(QLatin1String(kTendraPath), QLatin1String(kTendraInterface),
                                   QLatin1String(kTendraExitSignal));
    return connection.send(signal);
}

}  // namespace qx::bus
