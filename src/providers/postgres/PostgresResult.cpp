#include "providers/postgres/PostgresResult.h"

#include "core/base/IsoDateTime.h"
#include "core/db/RecordColumn.h"
#include "core/db/RecordSetBuilder.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <cstdlib>
#include <libpq-fe.h>
#include <vector>

namespace rp {

namespace {

// Type oids of the built-in types (pg_type.h).
enum : Oid {
    BoolOid = 16,
    ByteaOid = 17,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    OidOid = 26,
    Float4Oid = 700,
    Float8Oid = 701,
    DateOid = 1082,
    TimestampOid = 1114,
    TimestampTzOid = 1184,
    NumericOid = 1700,
};

enum class Kind { Boolean, Integer, Real, DateTime, Blob, Text };

Kind kindOf(Oid type) {
    switch (type) {
    case BoolOid:
        return Kind::Boolean;
    case Int2Oid:
    case Int4Oid:
    case Int8Oid:
    case OidOid:
        return Kind::Integer;
    case Float4Oid:
    case Float8Oid:
    case NumericOid:
        return Kind::Real;
    case DateOid:
    case TimestampOid:
    case TimestampTzOid:
        return Kind::DateTime;
    case ByteaOid:
        return Kind::Blob;
    default:
        return Kind::Text;
    }
}

FieldType fieldTypeOf(Kind kind) {
    switch (kind) {
    case Kind::Boolean:
    case Kind::Integer:
        return FieldType::Integer;
    case Kind::Real:
        return FieldType::Real;
    case Kind::DateTime:
        return FieldType::DateTime;
    case Kind::Blob:
        return FieldType::Blob;
    case Kind::Text:
        return FieldType::Text;
    }
    return FieldType::Null;
}

double readReal(const char* text) {
    // The server writes NaN, Infinity and -Infinity; strtod reads all three.
    return std::strtod(text, nullptr);
}

// A timestamp with a time zone comes in the session's zone ("…+02"); the wall-clock part is
// what the user sees, so the offset is dropped. BC dates and infinities are not calendar dates.
std::optional<qint64> readDateTime(const char* text, int length) {
    QByteArrayView view(text, length);
    if (length > 19 && (view.at(19) == '+' || view.at(19) == '-'))
        view = view.first(19);
    else if (length > 20) {
        // "…:SS.ffffff+02": cut at the zone sign after the fraction.
        for (qsizetype i = 20; i < view.size(); ++i)
            if (view.at(i) == '+' || view.at(i) == '-') {
                view = view.first(i);
                break;
            }
    }
    return isoDateTimeMSecs(view);
}

} // namespace

void PgResultDeleter::operator()(pg_result* result) const {
    PQclear(result);
}

std::optional<QByteArray> postgresText(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QByteArray("1") : QByteArray("0");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (std::isnan(d))
            return QByteArray("NaN");
        if (std::isinf(d))
            return d > 0 ? QByteArray("Infinity") : QByteArray("-Infinity");
        // The shortest text that reads back as the same number, for float and numeric alike.
        return QString::number(d, 'g', QLocale::FloatingPointShortest).toLatin1();
    }
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate).toLatin1();
    case QMetaType::QByteArray:
        return QByteArray("\\x") + value.toByteArray().toHex();
    default:
        return value.toString().toUtf8();
    }
}

std::unique_ptr<RecordSet> readPostgresResult(pg_result* result, RecordSet::Builder& builder) {
    const int fields = PQnfields(result);
    const int rows = PQntuples(result);
    std::vector<Kind> kinds;
    kinds.reserve(size_t(fields));
    for (int f = 0; f < fields; ++f) {
        kinds.push_back(kindOf(PQftype(result, f)));
        builder.addField(QString::fromUtf8(PQfname(result, f)), fieldTypeOf(kinds.back()));
    }
    builder.reserve(rows);
    for (int f = 0; f < fields; ++f) {
        const Kind kind = kinds[size_t(f)];
        for (int r = 0; r < rows; ++r) {
            if (PQgetisnull(result, r, f)) {
                builder.appendNull(f);
                continue;
            }
            const char* text = PQgetvalue(result, r, f);
            switch (kind) {
            case Kind::Boolean:
                builder.appendInteger(f, text[0] == 't' ? -1 : 0);
                break;
            case Kind::Integer:
                builder.appendInteger(f, std::strtoll(text, nullptr, 10));
                break;
            case Kind::Real:
                builder.appendReal(f, readReal(text));
                break;
            case Kind::DateTime:
                if (const auto msecs = readDateTime(text, PQgetlength(result, r, f)))
                    builder.appendDateTime(f, *msecs);
                else
                    builder.appendNull(f);
                break;
            case Kind::Blob: {
                size_t length = 0;
                unsigned char* bytes =
                    PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &length);
                builder.appendBlob(
                    f, QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(length)));
                PQfreemem(bytes);
                break;
            }
            case Kind::Text:
                builder.appendText(f, QString::fromUtf8(text, PQgetlength(result, r, f)));
                break;
            }
        }
    }
    return builder.build();
}

} // namespace rp
