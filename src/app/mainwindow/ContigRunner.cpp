#include "app/mainwindow/ContigRunner.h"

#include "core/settings/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace rp {

ProcessContigRunner::ProcessContigRunner(QString program) : m_program(std::move(program)) {}

QString ProcessContigRunner::locate() {
    const QString name = QLatin1String(toolName);
    for (const QString& folder :
         {QCoreApplication::applicationDirPath(), AppPaths::programFolder()}) {
        const QFileInfo candidate(QDir(folder).filePath(name));
        if (!folder.isEmpty() && candidate.isFile() && candidate.isExecutable())
            return candidate.absoluteFilePath();
    }
    return QStandardPaths::findExecutable(name);
}

bool ProcessContigRunner::run(const QStringList& arguments, const QString& reportPath) {
    const QString program = m_program.isEmpty() ? locate() : m_program;
    if (program.isEmpty())
        return false;
    QProcess process;
    process.setStandardOutputFile(reportPath, QIODevice::Truncate);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted())
        return false;
    // The tool rewrites the database file: wait for it however long it takes.
    process.waitForFinished(-1);
    return true;
}

} // namespace rp
