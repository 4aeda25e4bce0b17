#include "jet/JetNumberFunctions.h"

#include "core/base/LeadingNumber.h"

#include "core/base/JetDate.h"
#include "jet/JetValue.h"

#include <QRegularExpression>
#include <cmath>

namespace rp::jet {

namespace {

template <typename F> QVariant onNumber(const QVariant& value, QStringView function, F f) {
    if (value.isNull())
        return {};
    return f(toNumber(value, function));
}

QVariant whole(const QVariant& value, QStringView function, qint64 low, qint64 high) {
    if (value.isNull())
        return {};
    const double v = roundDecimal(toNumber(value, function), 0, Rounding::HalfEven);
    if (v < double(low) || v > double(high))
        invalidArgument(function, QStringLiteral("%1 is outside %2 to %3 (overflow).")
                                      .arg(numberText(v))
                                      .arg(low)
                                      .arg(high));
    return qint64(v);
}

} // namespace

QVariant val(const QVariant& value) {
    if (value.isNull())
        return {};
    if (isNumber(value))
        return toNumber(value, u"Val");
    // Blanks, tabs and line feeds do not end the number: Val(" 2 45 7") is 2457.
    QString text = valueText(value);
    text.remove(QLatin1Char(' ')).remove(QLatin1Char('\t')).remove(QLatin1Char('\n'));
    return rp::leadingNumber(text);
}

QVariant intPart(const QVariant& value) {
    if (isWhole(value))
        return value.toLongLong();
    if (auto date = storedDate(value))
        return std::floor(dateSerialNumber(*date));
    return onNumber(value, u"Int", [](double v) { return std::floor(v); });
}

QVariant fix(const QVariant& value) {
    if (isWhole(value))
        return value.toLongLong();
    return onNumber(value, u"Fix", [](double v) { return std::trunc(v); });
}

QVariant abs(const QVariant& value) {
    if (isWhole(value) && value.toLongLong() != std::numeric_limits<qint64>::min())
        return std::llabs(value.toLongLong());
    return onNumber(value, u"Abs", [](double v) { return std::fabs(v); });
}

QVariant sgn(const QVariant& value) {
    return onNumber(value, u"Sgn", [](double v) { return qint64((v > 0) - (v < 0)); });
}

QVariant sqr(const QVariant& value) {
    return onNumber(value, u"Sqr", [](double v) {
        if (v < 0)
            invalidArgument(u"Sqr", QStringLiteral("the number must not be negative."));
        return std::sqrt(v);
    });
}

QVariant round(const QVariant& value, const QVariant& places) {
    if (value.isNull())
        return {};
    const qint64 p = places.isNull() ? 0 : toWholeNumber(places, u"Round");
    if (p < 0)
        invalidArgument(u"Round", QStringLiteral("the number of decimals must not be negative."));
    if (isWhole(value))
        return value.toLongLong();
    return roundDecimal(toNumber(value, u"Round"), int(qMin<qint64>(p, 400)), Rounding::HalfEven);
}

QVariant str(const QVariant& value) {
    return onNumber(value, u"Str", [](double v) {
        const QString text = numberText(v);
        return v < 0 ? text : QLatin1Char(' ') + text;
    });
}

QVariant cstr(const QVariant& value) {
    return value.isNull() ? QVariant() : valueText(value);
}

QVariant cdbl(const QVariant& value) {
    if (auto date = storedDate(value))
        return dateSerialNumber(*date);
    return onNumber(value, u"CDbl", [](double v) { return v; });
}

QVariant cint(const QVariant& value) {
    return whole(value, u"CInt", -32768, 32767);
}

QVariant clng(const QVariant& value) {
    return whole(value, u"CLng", std::numeric_limits<qint32>::min(),
                 std::numeric_limits<qint32>::max());
}

QVariant cdate(const QVariant& value) {
    if (value.isNull())
        return {};
    if (isNumber(value)) {
        // Whole days from day zero; the fraction of a day is the time, to the second.
        const double serial = toNumber(value, u"CDate");
        if (std::fabs(serial) > 3.0e6)
            invalidArgument(
                u"CDate",
                QStringLiteral("%1 is outside the dates Jet can hold.").arg(numberText(serial)));
        const double days = std::trunc(serial);
        const qint64 seconds = std::llround(std::fabs(serial - days) * 86400.0);
        const QDate zero(1899, 12, 30);
        const QDateTime dt =
            naiveDateTime(zero.addDays(qint64(days)), QTime(0, 0)).addSecs(seconds);
        return dateResult(dt);
    }
    return dateResult(toDateTime(value, u"CDate"));
}

QVariant iif(const QVariant& condition, const QVariant& whenTrue, const QVariant& whenFalse) {
    return toTruth(condition, u"IIf") ? whenTrue : whenFalse;
}

QVariant nz(const QVariant& value) {
    return value.isNull() ? QVariant(QString()) : value;
}

QVariant nz(const QVariant& value, const QVariant& replacement) {
    return value.isNull() ? replacement : value;
}

QVariant isNull(const QVariant& value) {
    return value.isNull();
}

QVariant isNumeric(const QVariant& value) {
    return isNumber(value) ||
           (value.typeId() == QMetaType::QString && numberFromText(value.toString()).has_value());
}

QVariant isDate(const QVariant& value) {
    return toDateTime(value).has_value();
}

} // namespace rp::jet
