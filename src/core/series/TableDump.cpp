#include "core/series/TableDump.h"

#include "core/base/Error.h"
#include "core/base/SaveFile.h"
#include "core/db/RecordSet.h"

#include <QIODevice>

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
    SaveFile file(path);
    writeTableDump(records, file.device());
    file.commit();
}

} // namespace rp
