#pragma once
// Runs the server program for the process tests.

#include <QProcess>
#include <QStringList>

#include <string>

#include "platform/system/ProgramPath.h"

namespace qxtest {

inline QString ServerProgram() {
    return QString::fromStdString(qx::ProgramDirectory() + "/AL1MISvr");
}

// Starts the server (from dir when given) with the given arguments; the
// environment is this process's at the time of the call.
inline QProcess* StartServer(const QStringList& args, const QString& program = ServerProgram()) {
    auto* p = new QProcess;
    p->setProgram(program);
    p->setArguments(args);
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start();
    p->waitForStarted(10000);
    return p;
}

// Ends a server that is still running and frees the process object.
inline void StopServer(QProcess* p) {
    if (!p)
        return;
    if (p->state() != QProcess::NotRunning) {
        p->terminate();
        if (!p->waitForFinished(10000)) {
            p->kill();
            p->waitForFinished(10000);
        }
    }
    delete p;
}

}  // namespace qxtest
