#include "providers/access/AccessFileCheck.h"

#include "core/base/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace rp {

namespace {

// The table catalogue (MSysObjects) is described on page 2; a table definition page begins
// with these two bytes.
constexpr qint64 catalogPage = 2;
constexpr char tableDefinitionMark[] = {0x02, 0x01};

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void cutShort(const QString& path, qint64 size) {
    throw Error(QStringLiteral("%1 is damaged: it ends in the middle of a page (%2 bytes), as a "
                               "file cut short in copying does.")
                    .arg(shown(path))
                    .arg(size));
}

} // namespace

AccessFileFormat checkAccessFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw Error(QStringLiteral("The Access database file %1 does not exist.").arg(shown(path)));
    if (info.isDir())
        throw Error(QStringLiteral("%1 is a folder, not an Access database.").arg(shown(path)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("%1 cannot be read: %2").arg(shown(path), file.errorString()));

    const QByteArray head = file.read(0x20);
    const bool jet = head.mid(4, 16) == QByteArray("Standard Jet DB\0", 16);
    const bool ace = head.mid(4, 16) == QByteArray("Standard ACE DB\0", 16);
    if (!head.startsWith(QByteArray("\0\1\0\0", 4)) || (!jet && !ace))
        throw Error(QStringLiteral("%1 is not an Access database.").arg(shown(path)));
    if (head.size() < 0x20)
        cutShort(path, info.size());

    AccessFileFormat format;
    format.version = static_cast<unsigned char>(head.at(0x14));
    // ACE files of Access 2010 and later mark their version with 0x01 in the next byte.
    if (jet && format.version == 0) {
        format.pageSize = 2048;
        format.name = QStringLiteral("Jet 3");
    } else if (jet && format.version == 1) {
        format.pageSize = 4096;
        format.name = QStringLiteral("Jet 4");
    } else if (ace && format.version >= 2 && format.version <= 6) {
        format.pageSize = 4096;
        format.name = QStringLiteral("ACE %1").arg(format.version == 2 ? 12 : 11 + format.version);
    } else {
        throw Error(QStringLiteral("%1 is an Access database of a version (%2) this program "
                                   "cannot read.")
                        .arg(shown(path))
                        .arg(format.version));
    }

    const qint64 size = info.size();
    format.pageCount = size / format.pageSize;
    if (size % format.pageSize != 0)
        cutShort(path, size);
    if (format.pageCount <= catalogPage)
        throw Error(QStringLiteral("%1 is damaged: it is too short (%2 bytes) to hold its table "
                                   "catalogue.")
                        .arg(shown(path))
                        .arg(size));
    if (!file.seek(catalogPage * format.pageSize) ||
        file.read(2) != QByteArray(tableDefinitionMark, 2))
        throw Error(QStringLiteral("%1 is damaged: its table catalogue is not where an Access "
                                   "database keeps it.")
                        .arg(shown(path)));
    return format;
}

} // namespace rp
