#include "app/mainwindow/DatabaseMaintenance.h"

#include "app/mainwindow/ContigRunner.h"
#include "core/base/CommandPrompts.h"
#include "core/hdb/MaintenanceRules.h"
#include "core/settings/AppPaths.h"
#include "providers/sqlite/SqliteCompactor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace rp {

DatabaseMaintenance::DatabaseMaintenance(CommandPrompts& prompts, ConnectionView& view,
                                         ContigRunner& contig, SqliteCompactor& compactor)
    : m_prompts(prompts), m_view(view), m_contig(contig), m_compactor(compactor) {}

QString DatabaseMaintenance::reportPath() {
    return QDir(AppPaths::programFolder()).filePath(QStringLiteral("myHDB_contig_info.txt"));
}

QString DatabaseMaintenance::runContig(const QStringList& arguments) {
    const QString report = reportPath();
    // A missing or failing tool leaves no report line, and then nothing is offered.
    if (QFileInfo::exists(report))
        QFile::remove(report);
    m_view.processEvents();
    m_contig.run(arguments, report);
    m_view.processEvents();
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll());
}

void DatabaseMaintenance::run(const QString& path, qint64 length, bool sqlite,
                              const QString& savedCaption) {
    const FragmentationReport analysis =
        readFragmentationReport(runContig({QStringLiteral("-a"), path}));
    if (analysis.found)
        m_view.setCaption(analysis.line);

    if (analysis.fragmented &&
        m_prompts.askYesNo(QStringLiteral("Current defragramentation: ") + analysis.fragments,
                           QStringLiteral("Do you want to Defrag: ") + path)) {
        // The tool puts a new file in the database's place: no connection may hold the old one.
        m_view.releaseDatabase();
        m_view.setBusy(true);
        m_view.setCaption(QStringLiteral("Wait... Defragging..."));
        const FragmentationReport after = readFragmentationReport(runContig({path}));
        m_view.setBusy(false);
        if (after.found)
            m_view.setCaption(after.line);
    }

    if (!sqlite) {
        m_prompts.message(QStringLiteral("Current size ") + kilobytesText(length) +
                              QStringLiteral(" kbytes"),
                          QStringLiteral("%1 is not an SQLite database: this program compacts and "
                                         "repairs SQLite files only. Convert an Access database "
                                         "to an SQLite HDB to keep it compact here.")
                              .arg(path));
        return;
    }
    if (!m_prompts.askYesNo(QStringLiteral("Current size ") + kilobytesText(length) +
                                QStringLiteral(" kbytes"),
                            QStringLiteral("Do you want to Compact and Repair: ") + path))
        return;

    m_view.setBusy(true);
    m_view.setCaption(QStringLiteral("Compact and Repair..."));
    m_view.releaseDatabase();
    m_view.processEvents();
    const CompactionResult result = m_compactor.compact(path, maintenanceNames(path, sqlite));
    m_view.processEvents();

    m_view.setCaption(savedCaption);
    m_view.setBusy(false);
    m_prompts.message(QStringLiteral("Current size ") + kilobytesText(result.sizeAfter) +
                          QStringLiteral(" kbytes"),
                      QStringLiteral("Compact and repair complete..."));
}

} // namespace rp
