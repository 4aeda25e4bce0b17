#include "core/db/FieldValue.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/base/ValueText.h"
#include "jet/JetValue.h"

#include <cmath>
#include <limits>

namespace rp {

namespace {

bool isNullValue(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

using jet::isNumber;

bool isIntegral(const QVariant& v) {
    return isNumber(v) && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float;
}

QDateTime naive(const QDateTime& dt) {
    return naiveDateTime(dt.date(), dt.time());
}

[[noreturn]] void refuse(const QVariant& value, const QString& fieldName, const char* what) {
    throw Error(QStringLiteral("\"%1\" is not %2, which the field %3 needs.")
                    .arg(valueText(value), QLatin1String(what), fieldName));
}

// A whole double that fits is kept as an integer, as an integer field would store it.
QVariant integerOrReal(double d) {
    if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e18)
        return QVariant(qlonglong(d));
    return QVariant(d);
}

QVariant fromText(const QString& raw, FieldType type, const QString& fieldName) {
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return {};
    switch (type) {
    case FieldType::Integer: {
        bool ok = false;
        const qlonglong i = text.toLongLong(&ok);
        if (ok)
            return QVariant(i);
        const double d = text.toDouble(&ok);
        if (ok)
            return integerOrReal(d);
        refuse(raw, fieldName, "a number");
    }
    case FieldType::Real: {
        bool ok = false;
        const double d = text.toDouble(&ok);
        if (!ok)
            refuse(raw, fieldName, "a number");
        return QVariant(d);
    }
    case FieldType::DateTime: {
        if (auto dt = parseJetDateTime(text))
            return QVariant(*dt);
        if (auto dt = parseIsoDateTime(text))
            return QVariant(*dt);
        refuse(raw, fieldName, "a date");
    }
    case FieldType::Blob:
        return QVariant(raw.toUtf8());
    case FieldType::Null:
    case FieldType::Text:
        break;
    }
    return QVariant(raw);
}

} // namespace

QVariant coerceFieldValue(const QVariant& value, FieldType fieldType, const QString& fieldName) {
    if (isNullValue(value))
        return {};
    if (value.typeId() == QMetaType::QString) {
        // A text field keeps the text as it stands, blanks included.
        if (fieldType == FieldType::Text)
            return value;
        if (fieldType == FieldType::Null && value.toString().trimmed().isEmpty())
            return value;
        return fromText(value.toString(), fieldType, fieldName);
    }
    const bool isDate =
        value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate;
    const QDateTime date = value.typeId() == QMetaType::QDate ? naiveDateTime(value.toDate())
                                                              : naive(value.toDateTime());
    switch (fieldType) {
    case FieldType::Integer:
        if (isIntegral(value))
            return QVariant(value.toLongLong());
        if (isNumber(value))
            return integerOrReal(value.toDouble());
        return fromText(value.toString(), fieldType, fieldName);
    case FieldType::Real:
        if (isNumber(value))
            return QVariant(value.toDouble());
        return fromText(value.toString(), fieldType, fieldName);
    case FieldType::DateTime:
        if (isDate)
            return QVariant(date);
        if (isNumber(value))
            refuse(value, fieldName, "a date");
        return fromText(value.toString(), fieldType, fieldName);
    case FieldType::Text:
        return isDate ? QVariant(isoDateTimeText(date)) : QVariant(valueText(value));
    case FieldType::Blob:
        if (value.typeId() == QMetaType::QByteArray)
            return value;
        return QVariant(valueText(value).toUtf8());
    case FieldType::Null:
        break;
    }
    // A field of unknown type takes the value as it comes, in one of the held types.
    if (isDate)
        return QVariant(date);
    if (isIntegral(value))
        return QVariant(value.toLongLong());
    if (isNumber(value))
        return QVariant(value.toDouble());
    if (value.typeId() == QMetaType::QByteArray)
        return value;
    return QVariant(value.toString());
}

} // namespace rp
