#pragma once
// A private session bus for one test program: a dbus-daemon of our own with
// its own socket and service directory, in a temporary directory that is
// removed with it. Starting it points this process's environment (and so
// every program it starts, and every program the bus starts) at it:
// DBUS_SESSION_BUS_ADDRESS, and XDG_DATA_HOME so that the server's
// registration writes its service file where this bus looks for it. The
// daemon's environment is the one at construction: create a TempRegistry
// first when the server should use it.

#include <QDBusConnection>
#include <QString>

#include <string>

#include "support/TempRegistry.h"

class QProcess;

namespace qxtest {

class PrivateBus {
  public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool Ok() const { return !m_address.isEmpty(); }
    const QString& Address() const { return m_address; }
    std::string DataHome() const { return m_dir.Path() + "/data"; }
    std::string ServiceDir() const { return DataHome() + "/dbus-1/services"; }
    std::string Dir() const { return m_dir.Path(); }

    // A new connection of this process to the bus (its own unique name).
    QDBusConnection Connect();
    void Disconnect(QDBusConnection& connection);

    // The pid of the process that owns a bus name, or 0.
    qint64 OwnerPid(const QString& name);

  private:
    TempDir m_dir;
    QString m_address;
    QProcess* m_daemon = nullptr;
    std::string m_oldAddress, m_oldDataHome;
    bool m_hadAddress = false, m_hadDataHome = false;
    int m_connections = 0;
};

// Whether a process has ended (a zombie counts as ended).
bool ProcessGone(qint64 pid);
// Waits up to timeoutMs for the process to end; the milliseconds it took, or -1.
qint64 WaitForProcessEnd(qint64 pid, int timeoutMs);

}  // namespace qxtest
