// PostgresDatabase::appendRows: bulk loading through COPY.

#include "providers/postgres/PostgresDatabase.h"

#include <libpq-fe.h>

namespace rp {

namespace {

// One value in COPY's text format: \N for null, the few control characters escaped.
void appendCopyValue(QByteArray& line, const QVariant& value) {
    const std::optional<QByteArray> text = postgresText(value);
    if (!text) {
        line += "\\N";
        return;
    }
    for (const char c : *text) {
        switch (c) {
        case '\\':
            line += "\\\\";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += c;
        }
    }
}

} // namespace

qint64 PostgresDatabase::appendRows(const QString& table, const QStringList& columns,
                                    const std::function<bool(QVariantList& row)>& next) {
    if (columns.isEmpty())
        throw Error(QStringLiteral("No columns were named to append rows to %1.").arg(table));
    const bool own = PQtransactionStatus(m_conn) == PQTRANS_IDLE;
    executeNative(own ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT rp_append"));
    auto undo = [&] {
        takeBack(own ? QStringLiteral("ROLLBACK")
                     : QStringLiteral("ROLLBACK TO SAVEPOINT rp_append; RELEASE SAVEPOINT "
                                      "rp_append"));
    };
    const QString copy = QStringLiteral("COPY %1 (%2) FROM STDIN")
                             .arg(m_dialect->quoteIdentifier(table), rowSql().columnList(columns));
    bool copying = false;
    qint64 count = 0;
    try {
        PgResult start(PQexec(m_conn, copy.toUtf8().constData()));
        if (!start || PQresultStatus(start.get()) != PGRES_COPY_IN)
            throw serverError(QString::fromUtf8(start ? PQresultErrorMessage(start.get())
                                                      : PQerrorMessage(m_conn)));
        copying = true;
        QByteArray buffer;
        QVariantList row;
        auto flush = [&] {
            if (PQputCopyData(m_conn, buffer.constData(), int(buffer.size())) != 1)
                throw serverError(QString::fromUtf8(PQerrorMessage(m_conn)));
            buffer.clear();
        };
        while (nextRowToAppend(next, row, table, columns.size(), count)) {
            for (qsizetype i = 0; i < row.size(); ++i) {
                if (i)
                    buffer += '\t';
                appendCopyValue(buffer, row[i]);
            }
            buffer += '\n';
            ++count;
            if (buffer.size() > (1 << 20))
                flush();
        }
        flush();
        copying = false;
        if (PQputCopyEnd(m_conn, nullptr) != 1)
            throw serverError(QString::fromUtf8(PQerrorMessage(m_conn)));
        PgResult end(PQgetResult(m_conn));
        const bool ok = end && PQresultStatus(end.get()) == PGRES_COMMAND_OK;
        const QString message =
            QString::fromUtf8(end ? PQresultErrorMessage(end.get()) : PQerrorMessage(m_conn));
        while (PgResult(PQgetResult(m_conn))) {
        }
        if (!ok)
            throw serverError(
                QStringLiteral("The rows for %1 were refused: %2").arg(table, message));
    } catch (...) {
        // All or nothing, whatever went wrong: the rows sent so far are taken back.
        if (copying) {
            PQputCopyEnd(m_conn, "cancelled");
            while (PgResult(PQgetResult(m_conn))) {
            }
        }
        undo();
        throw;
    }
    executeNative(own ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE SAVEPOINT rp_append"));
    return count;
}

} // namespace rp
