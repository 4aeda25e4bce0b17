#include "providers/sqlite/SqliteJetFunctions.h"

#include "core/base/Error.h"
#include "jet/JetFunctions.h"
#include "providers/sqlite/SqliteDialect.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>
#include <sqlite3.h>

namespace rp {

namespace {

QVariant fromSqlite(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_value_int64(value));
    case SQLITE_FLOAT:
        return sqlite3_value_double(value);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                 sqlite3_value_bytes(value));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_value_blob(value)),
                          sqlite3_value_bytes(value));
    default:
        return {};
    }
}

void toSqlite(sqlite3_context* context, const QVariant& value) {
    if (value.isNull()) {
        sqlite3_result_null(context);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        sqlite3_result_int(context, value.toBool() ? 1 : 0);
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
        sqlite3_result_int64(context, value.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double v = value.toDouble();
        if (std::isfinite(v))
            sqlite3_result_double(context, v);
        else
            sqlite3_result_null(context);
        return;
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_result_blob64(context, bytes.constData(), sqlite3_uint64(bytes.size()),
                              SQLITE_TRANSIENT);
        return;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_result_text64(context, text.constData(), sqlite3_uint64(text.size()),
                              SQLITE_TRANSIENT, SQLITE_UTF8);
        return;
    }
    }
}

void callJetFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const auto* f = static_cast<const jet::FunctionInfo*>(sqlite3_user_data(context));
    QVariantList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(fromSqlite(argv[i]));
    // Nothing may be thrown through SQLite's C frames: every failure becomes the query's error.
    try {
        toSqlite(context, f->call(arguments));
    } catch (const Error& e) {
        const QByteArray message = e.message().toUtf8();
        sqlite3_result_error(context, message.constData(), int(message.size()));
    } catch (const std::exception& e) {
        sqlite3_result_error(context, e.what(), -1);
    }
}

void deleteRegex(void* regex) {
    delete static_cast<QRegularExpression*>(regex);
}

// value REGEXP pattern, for Jet's LIKE patterns; the compiled pattern is kept for the next row.
void regexpFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    auto* regex = static_cast<QRegularExpression*>(sqlite3_get_auxdata(context, 0));
    if (!regex) {
        const QVariant pattern = fromSqlite(argv[0]);
        regex = new QRegularExpression(pattern.toString());
        if (!regex->isValid()) {
            const QByteArray message =
                QStringLiteral("Invalid pattern: %1").arg(regex->errorString()).toUtf8();
            delete regex;
            sqlite3_result_error(context, message.constData(), int(message.size()));
            return;
        }
        sqlite3_set_auxdata(context, 0, regex, deleteRegex);
        regex = static_cast<QRegularExpression*>(sqlite3_get_auxdata(context, 0));
        if (!regex) {
            sqlite3_result_error_nomem(context);
            return;
        }
    }
    sqlite3_result_int(context, regex->match(fromSqlite(argv[1]).toString()).hasMatch() ? -1 : 0);
}

// First and Last keep one value of the group: the first row's, or the latest row's.
struct KeptValue {
    sqlite3_value* value;
};

template <bool last> void keepValue(sqlite3_context* context, int, sqlite3_value** argv) {
    auto* kept = static_cast<KeptValue*>(sqlite3_aggregate_context(context, sizeof(KeptValue)));
    if (!kept) {
        sqlite3_result_error_nomem(context);
        return;
    }
    if (kept->value && !last)
        return;
    sqlite3_value* copy = sqlite3_value_dup(argv[0]);
    if (!copy) {
        sqlite3_result_error_nomem(context);
        return;
    }
    sqlite3_value_free(kept->value);
    kept->value = copy;
}

void keptResult(sqlite3_context* context) {
    auto* kept = static_cast<KeptValue*>(sqlite3_aggregate_context(context, 0));
    if (!kept || !kept->value) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_value(context, kept->value);
    sqlite3_value_free(kept->value);
    kept->value = nullptr;
}

void registerFunction(sqlite3* db, const QByteArray& name, const jet::FunctionInfo& f) {
    const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
    // One registration per argument count, so SQLite itself rejects a wrong count.
    for (int n = f.minArguments; n <= f.maxArguments; ++n) {
        const int rc = sqlite3_create_function_v2(db, name.constData(), n, flags,
                                                  const_cast<jet::FunctionInfo*>(&f),
                                                  callJetFunction, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw Error(QStringLiteral("The database refused the function %1: %2")
                            .arg(QLatin1String(f.name), QString::fromUtf8(sqlite3_errmsg(db))));
    }
}

} // namespace

void registerJetFunctions(sqlite3* db) {
    if (!db)
        throw Error(QStringLiteral("The database connection is not open."));
    const SqliteDialect dialect;
    for (const jet::FunctionInfo& f : jet::functions())
        registerFunction(db, dialect.functionName(QLatin1String(f.name)).toUtf8(), f);
    for (const jet::FunctionInfo& f : jet::operatorFunctions())
        registerFunction(db, QByteArray(f.name), f);
    const auto refused = [db](const char* name) {
        return Error(QStringLiteral("The database refused the function %1: %2")
                         .arg(QLatin1String(name), QString::fromUtf8(sqlite3_errmsg(db))));
    };
    if (sqlite3_create_function_v2(db, "regexp", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   regexpFunction, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw refused("regexp");
    if (sqlite3_create_function_v2(db, "jet_first", 1, SQLITE_UTF8, nullptr, nullptr,
                                   keepValue<false>, keptResult, nullptr) != SQLITE_OK)
        throw refused("jet_first");
    if (sqlite3_create_function_v2(db, "jet_last", 1, SQLITE_UTF8, nullptr, nullptr,
                                   keepValue<true>, keptResult, nullptr) != SQLITE_OK)
        throw refused("jet_last");
}

} // namespace rp
