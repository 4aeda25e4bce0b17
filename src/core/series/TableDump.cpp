#include "core/series/TableDump.h"

#include "core/base/Error.h"
#include "core/db/RecordSet.h"

#include <QIODevice>
#include <QSaveFile>

namespace rp {

namespace {

void put(QIODevice& out, QByteArray& buffer, bool force) {
    if ((force || buffer.size() >= (1 << 20)) && !buffer.isEmpty()) {
        if (out.write(buffer) != buffer.size())
            throw Error(
                QStringLiteral("The table dump cannot be written: %1").arg(out.errorString()));
        buffer.clear();
    }
}

} // namespace

void writeTableDump(const RecordSet& records, QIODevice& out) {
    QByteArray buffer;
    const int fields = records.fieldCount();
    for (int f = 0; f < fields; ++f) {
        buffer += records.fieldName(f).toLatin1();
        buffer += '\t';
    }
    buffer += "\r\n";
    const qsizetype count = records.recordCount();
    for (qsizetype row = 0; row < count; ++row) {
        for (int f = 0; f < fields; ++f) {
            buffer += records.displayText(row, f).toLatin1();
            buffer += '\t';
        }
        buffer += "\r\n";
        put(out, buffer, false);
    }
    put(out, buffer, true);
}

void writeTableDump(const RecordSet& records, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(
            QStringLiteral("The file %1 cannot be created: %2").arg(path, file.errorString()));
    writeTableDump(records, file);
    if (!file.commit())
        throw Error(
            QStringLiteral("The file %1 cannot be written: %2").arg(path, file.errorString()));
}

} // namespace rp
