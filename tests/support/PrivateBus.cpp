#include "support/PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace qxtest {

PrivateBus::PrivateBus() {
    std::filesystem::create_directories(ServiceDir());
    std::string socket = m_dir.Path() + "/bus.sock";
    std::string config = m_dir.Path() + "/bus.conf";
    {
        std::ofstream out(config);
        out << "<busconfig><type>session</type>\n"
            << " <listen>unix:path=" << socket << "</listen><auth>EXTERNAL</auth>\n"
            << " <servicedir>" << ServiceDir() << "</servicedir>\n"
            << " <policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
            << "  <allow eavesdrop=\"true\"/><allow own=\"*\"/><allow "
               "user=\"*\"/></policy></busconfig>\n";
    }
    if (const char* a = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        m_hadAddress = true;
        m_oldAddress = a;
    }
    if (const char* d = std::getenv("XDG_DATA_HOME")) {
        m_hadDataHome = true;
        m_oldDataHome = d;
    }
    m_address = QString::fromStdString("unix:path=" + socket);
    setenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8().constData(), 1);
    setenv("XDG_DATA_HOME", DataHome().c_str(), 1);

    m_daemon = new QProcess;
    m_daemon->setProgram(QStringLiteral("dbus-daemon"));
    m_daemon->setArguments({QStringLiteral("--config-file=") + QString::fromStdString(config),
                            QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    m_daemon->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon->start();
    if (!m_daemon->waitForStarted(10000) || !m_daemon->waitForReadyRead(10000)) {
        m_address.clear();
        return;
    }
}

PrivateBus::~PrivateBus() {
    if (m_daemon) {
        m_daemon->terminate();
        if (!m_daemon->waitForFinished(5000)) {
            m_daemon->kill();
            m_daemon->waitForFinished(5000);
        }
        delete m_daemon;
    }
    if (m_hadAddress)
        setenv("DBUS_SESSION_BUS_ADDRESS", m_oldAddress.c_str(), 1);
    else
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    if (m_hadDataHome)
        setenv("XDG_DATA_HOME", m_oldDataHome.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

QDBusConnection PrivateBus::Connect() {
    QString name =
        QStringLiteral("qxtest-%1-%2").arg(reinterpret_cast<quintptr>(this)).arg(++m_connections);
    return QDBusConnection::connectToBus(m_address, name);
}

void PrivateBus::Disconnect(QDBusConnection& connection) {
    QString name = connection.name();
    connection = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(name);
}

qint64 PrivateBus::OwnerPid(const QString& name) {
    QDBusConnection c = Connect();
    qint64 pid = 0;
    if (c.interface()) {
        auto reply = c.interface()->servicePid(name);
        if (reply.isValid())
            pid = reply.value();
    }
    Disconnect(c);
    return pid;
}

bool ProcessGone(qint64 pid) {
    if (pid <= 0)
        return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat)
        return true;
    std::string line;
    std::getline(stat, line);
    auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() &&
           (line[close + 2] == 'Z' || line[close + 2] == 'X');
}

qint64 WaitForProcessEnd(qint64 pid, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!ProcessGone(pid)) {
        if (timer.elapsed() > timeoutMs)
            return -1;
        QThread::msleep(20);
    }
    return timer.elapsed();
}

}  // namespace qxtest
