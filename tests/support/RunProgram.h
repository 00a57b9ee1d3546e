#pragma once
// Runs one of the project's programs (built beside the test programs) and
// collects what it printed.

#include <QByteArray>
#include <QStringList>

namespace qxtest {

struct ProgramResult {
    int exitCode = -1;  // -1 when it crashed or could not start
    QByteArray out;
    QByteArray err;
};

ProgramResult RunProgram(const QString& name, const QStringList& args, const QByteArray& input = {},
                         int timeoutMs = 60000);

}  // namespace qxtest
