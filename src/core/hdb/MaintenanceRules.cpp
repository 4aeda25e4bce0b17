#include "core/hdb/MaintenanceRules.h"

#include <QFileInfo>
#include <QStringList>

namespace rp {

int accessMarkerPosition(const QString& path) {
    return static_cast<int>(path.toUpper().indexOf(QLatin1String(".M"))) + 1;
}

MaintenanceNames maintenanceNames(const QString& path, bool sqliteFile) {
    qsizetype at = -1;
    if (sqliteFile) {
        // Before the extension of the file name, never inside a folder name.
        const qsizetype nameStart =
            std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
        const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
        at = dot > nameStart ? dot : path.size();
    } else {
        at = accessMarkerPosition(path) - 1;
        if (at < 0)
            at = path.size();
    }
    return {path.left(at) + QStringLiteral("_backup") + path.mid(at),
            path.left(at) + QStringLiteral("_new") + path.mid(at)};
}

QString kilobytesText(qint64 bytes) {
    qint64 kilobytes = bytes / 1024;
    const qint64 rest = bytes % 1024;
    if (rest > 512 || (rest == 512 && kilobytes % 2 != 0))
        ++kilobytes;
    QString digits = QString::number(kilobytes);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

FragmentationReport readFragmentationReport(const QString& text) {
    FragmentationReport report;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.contains(QLatin1String("fragment")))
            continue;
        report.found = true;
        report.line = line;
        report.fragmented = !line.contains(QLatin1String("defragmented"));
        // The last "is in": a file name may hold the words too.
        const qsizetype isIn = line.lastIndexOf(QLatin1String("is in"));
        report.fragments = line.mid(isIn >= 0 ? isIn + 6 : 5);
        break;
    }
    return report;
}

} // namespace rp
