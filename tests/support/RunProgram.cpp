#include "support/RunProgram.h"

#include <QProcess>

#include "platform/system/ProgramPath.h"

namespace qxtest {

ProgramResult RunProgram(const QString& name, const QStringList& args, const QByteArray& input,
                         int timeoutMs) {
    QProcess p;
    p.start(QString::fromStdString(qx::ProgramDirectory()) + "/" + name, args);
    ProgramResult r;
    if (!p.waitForStarted(timeoutMs))
        return r;
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

}  // namespace qxtest
