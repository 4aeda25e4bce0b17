#include "providers/sqlite/SqliteStatement.h"

#include "core/base/CivilDays.h"
#include "core/base/Error.h"
#include "core/base/JetDate.h"

#include <QDateTime>
#include <sqlite3.h>

namespace rp {

QString sqliteErrorText(sqlite3* db) {
    const QString text = QString::fromUtf8(sqlite3_errmsg(db));
    const int code = sqlite3_extended_errcode(db);
    if (code == SQLITE_READONLY_DBMOVED)
        return QStringLiteral("The database file was replaced (for example compacted) while it "
                              "was open; nothing was written. Connect again and repeat the "
                              "change. (%1)")
            .arg(text);
    if ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED)
        return QStringLiteral("The database is busy: another program (for example a compaction) "
                              "is using it. Nothing was written; try again when it has "
                              "finished. (%1)")
            .arg(text);
    return text;
}

namespace {

void putDigits(char* at, int value, int count) {
    for (int i = count - 1; i >= 0; --i, value /= 10)
        at[i] = char('0' + value % 10);
}

// "YYYY-MM-DD HH:MM:SS[.mmm]" written by hand, as a bulk load binds one per row; 0 for what the
// general formatting handles (invalid date-times, years of other than four digits).
int dateTimeChars(const QDateTime& dateTime, char* out) {
    if (!dateTime.isValid())
        return 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    if (dateTime.timeSpec() == Qt::UTC) {
        // Straight from the milliseconds: a load formats one per row.
        const qint64 ms = dateTime.toMSecsSinceEpoch();
        const qint64 days = floorDays(ms);
        const qint64 rest = ms - days * msecsPerDay;
        const CivilDate date = civilFromDays(days);
        year = date.year, month = date.month, day = date.day;
        hour = int(rest / 3600000);
        minute = int(rest / 60000 % 60);
        second = int(rest / 1000 % 60);
        msec = int(rest % 1000);
    } else {
        dateTime.date().getDate(&year, &month, &day);
        const QTime t = dateTime.time();
        hour = t.hour(), minute = t.minute(), second = t.second(), msec = t.msec();
    }
    if (year < 1000 || year > 9999)
        return 0;
    putDigits(out, year, 4);
    out[4] = '-';
    putDigits(out + 5, month, 2);
    out[7] = '-';
    putDigits(out + 8, day, 2);
    out[10] = ' ';
    putDigits(out + 11, hour, 2);
    out[13] = ':';
    putDigits(out + 14, minute, 2);
    out[16] = ':';
    putDigits(out + 17, second, 2);
    if (msec == 0)
        return 19;
    out[19] = '.';
    putDigits(out + 20, msec, 3);
    return 23;
}

} // namespace

QString sqliteDateTimeText(const QDateTime& dateTime) {
    char chars[24];
    if (const int n = dateTimeChars(dateTime, chars))
        return QString::fromLatin1(chars, n);
    const QTime t = dateTime.time();
    return dateTime.toString(t.msec() == 0 ? QStringLiteral("yyyy-MM-dd HH:mm:ss")
                                           : QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

SqliteStatement::SqliteStatement(sqlite3* db, const QString& sql) : m_db(db) {
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, &tail) != SQLITE_OK)
        fail();
    if (!m_stmt)
        throw Error(QStringLiteral("The statement is empty."));
    // Only blanks, semicolons and comments may follow the statement.
    while (tail && *tail) {
        if (*tail == ' ' || *tail == '\t' || *tail == '\r' || *tail == '\n' || *tail == ';') {
            ++tail;
            continue;
        }
        sqlite3_stmt* next = nullptr;
        const int rc = sqlite3_prepare_v2(db, tail, -1, &next, nullptr);
        sqlite3_finalize(next);
        if (rc == SQLITE_OK && !next)
            break;
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw Error(QStringLiteral("Characters found after end of SQL statement."));
    }
    // Sized once: a bound text must not move.
    m_dateTexts.resize(size_t(sqlite3_bind_parameter_count(m_stmt)));
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::fail() const {
    throw Error(sqliteErrorText(m_db));
}

int SqliteStatement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

void SqliteStatement::bind(int index, const QVariant& value) {
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        // The types a bulk load binds by the hundred thousand are read straight from the variant.
        case QMetaType::Int:
            rc = sqlite3_bind_int64(m_stmt, index, *static_cast<const int*>(value.constData()));
            break;
        case QMetaType::LongLong:
            rc = sqlite3_bind_int64(m_stmt, index,
                                    *static_cast<const qlonglong*>(value.constData()));
            break;
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::ULongLong:
            rc = value.toULongLong() > quint64(std::numeric_limits<qint64>::max())
                     ? sqlite3_bind_double(m_stmt, index, value.toDouble())
                     : sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(m_stmt, index, *static_cast<const double*>(value.constData()));
            break;
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                     SQLITE_TRANSIENT);
            break;
        }
        default: {
            if (value.typeId() == QMetaType::QDateTime && index >= 1 &&
                size_t(index) <= m_dateTexts.size()) {
                char* chars = m_dateTexts[size_t(index) - 1].data();
                if (const int n =
                        dateTimeChars(*static_cast<const QDateTime*>(value.constData()), chars)) {
                    rc = sqlite3_bind_text64(m_stmt, index, chars, sqlite3_uint64(n), SQLITE_STATIC,
                                             SQLITE_UTF8);
                    break;
                }
            }
            QString text;
            if (value.typeId() == QMetaType::QDateTime)
                text = sqliteDateTimeText(value.toDateTime());
            else if (value.typeId() == QMetaType::QDate)
                text = sqliteDateTimeText(naiveDateTime(value.toDate()));
            else
                text = value.toString();
            const QByteArray utf8 = text.toUtf8();
            rc = sqlite3_bind_text64(m_stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        fail();
}

bool SqliteStatement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail();
}

qint64 SqliteStatement::run() {
    const sqlite3_int64 before = sqlite3_total_changes64(m_db);
    while (step()) {
    }
    return qint64(sqlite3_total_changes64(m_db) - before);
}

void SqliteStatement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void SqliteStatement::rewind() {
    sqlite3_reset(m_stmt);
}

} // namespace rp
