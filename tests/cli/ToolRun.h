#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace rp::test {

// What one run of a command-line tool gave.
struct ToolRun {
    int status; // -1 when the tool crashed
    QString out;
    QString err;
};

inline ToolRun runTool(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(120000))
        qFatal("%s did not finish", qPrintable(program));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace rp::test
