#include "core/writeback/AggregateRows.h"

#include "core/base/Error.h"
#include "core/db/ConnectionString.h"
#include "core/db/Database.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace rp {

QString monthRowDate(int year, int month) {
    return QStringLiteral("%1/01/%2").arg(month).arg(year, 4, 10, QLatin1Char('0'));
}

QString yearRowDate(int year) {
    return QStringLiteral("01/01/%1").arg(year, 4, 10, QLatin1Char('0'));
}

qint64 aggregateParameter(const QString& modeText) {
    bool ok = false;
    const QString text = modeText.trimmed();
    const qint64 id = text.toLongLong(&ok);
    // Only digits: the identifier is pasted into the delete statement.
    if (!ok || text.isEmpty() || !text.front().isDigit())
        throw Error(QStringLiteral("Monthly and yearly values can only be written for a retrieved "
                                   "series; \"%1\" is not a datatype_site_id.")
                        .arg(text));
    return id;
}

QString aggregateDeleteStatement(const QString& table, qint64 parameter, const QString& date) {
    return QStringLiteral("Delete * from %1 where datatype_site_id=%2 and date_time= #%3#;")
        .arg(table)
        .arg(parameter)
        .arg(date);
}

double aggregateNumber(const QVariant& value) {
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const double number = QLocale::c().toDouble(value.toString().trimmed(), &ok);
        if (!ok)
            throw Error(QStringLiteral("The value \"%1\" cannot be stored: it is not a number.")
                            .arg(value.toString().trimmed()));
        return number;
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        throw Error(QStringLiteral("The value cannot be stored: it is not a number."));
    return number;
}

QString writeBackRefusal(const QString& connectionString) {
    try {
        const ConnectionString cs = ConnectionString::parse(connectionString);
        switch (cs.backendKind()) {
        case BackendKind::Access:
            return QStringLiteral("An Access database is opened read-only; convert it to SQLite "
                                  "to write monthly and yearly values.");
        case BackendKind::Sqlite: {
            const QFileInfo file(cs.databasePath());
            if (file.exists() && !file.isWritable())
                return QStringLiteral("The database file %1 is read-only.")
                    .arg(QDir::toNativeSeparators(file.filePath()));
            return {};
        }
        case BackendKind::PostgreSql:
        case BackendKind::Workbook:
            return {};
        }
    } catch (const Error& e) {
        return e.message();
    }
    return {};
}

QString writeBackRefusal(const Database* open, const QString& connectionString) {
    if (open)
        if (QString why = open->readOnlyReason(); !why.isEmpty())
            return why;
    return writeBackRefusal(connectionString);
}

} // namespace rp
