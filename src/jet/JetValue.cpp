#include "jet/JetValue.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "jet/JetDateLiteral.h"

#include <QRegularExpression>
#include <cmath>

namespace rp::jet {

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return !value.isNull();
    default:
        return false;
    }
}

bool isWhole(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

std::optional<double> numberFromText(QStringView text) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!re.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

void invalidArgument(QStringView function, const QString& why) {
    throw Error(QStringLiteral("%1: %2").arg(function, why));
}

double toNumber(const QVariant& value, QStringView function) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? -1.0 : 0.0; // Jet's True is -1
    if (isNumber(value))
        return value.toDouble();
    if (value.typeId() == QMetaType::QString)
        if (auto v = numberFromText(value.toString()))
            return *v;
    invalidArgument(function, QStringLiteral("\"%1\" is not a number.").arg(valueText(value)));
}

qint64 toWholeNumber(const QVariant& value, QStringView function) {
    const double v = roundDecimal(toNumber(value, function), 0, Rounding::HalfEven);
    if (std::fabs(v) > 9.0e15)
        invalidArgument(function, QStringLiteral("%1 is too large.").arg(numberText(v)));
    return qint64(v);
}

std::optional<QDateTime> toDateTime(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid())
            return std::nullopt;
        return naiveDateTime(dt.date(), dt.time());
    }
    case QMetaType::QDate:
        if (!value.toDate().isValid())
            return std::nullopt;
        return naiveDateTime(value.toDate());
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (auto dt = parseIsoDateTime(text))
            return dt;
        if (auto dt = parseJetDateTime(text))
            return dt;
        return parseJetDateLiteral(text); // month names: "January 5, 2000", "5-Jan-2000"
    }
    default:
        return std::nullopt;
    }
}

QDateTime toDateTime(const QVariant& value, QStringView function) {
    if (auto dt = toDateTime(value))
        return *dt;
    invalidArgument(function, QStringLiteral("\"%1\" is not a date.").arg(valueText(value)));
}

std::optional<QDateTime> storedDate(const QVariant& value) {
    if (value.typeId() == QMetaType::QString)
        return parseIsoDateTime(value.toString().trimmed());
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate)
        return toDateTime(value);
    return std::nullopt;
}

double dateSerialNumber(const QDateTime& dateTime) {
    const qint64 days = QDate(1899, 12, 30).daysTo(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    return days < 0 ? double(days) - fraction : double(days) + fraction;
}

bool toTruth(const QVariant& value, QStringView function) {
    if (value.isNull())
        return false;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return toNumber(value, function) != 0.0;
}

QVariant dateResult(const QDateTime& dateTime) {
    if (dateTime.date().year() < 100 || dateTime.date().year() > 9999)
        throw Error(QStringLiteral("The date lies outside the years 100 to 9999."));
    return isoDateTimeText(dateTime);
}

QString valueText(const QVariant& value) {
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        if (auto dt = toDateTime(value))
            return isoDateTimeText(*dt);
        return {};
    default:
        return value.toString();
    }
}

double roundDecimal(double value, int places, Rounding rounding) {
    if (!std::isfinite(value) || value == 0.0)
        return value;
    // The shortest decimal digits that read back as the value: d.ddd e±x.
    const QString text = QString::number(std::fabs(value), 'e', QLocale::FloatingPointShortest);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    QString digits = text.left(e).remove(QLatin1Char('.'));
    const int exponent = text.mid(e + 1).toInt();
    const qsizetype keep = exponent + 1 + places; // digits before the rounding position
    if (keep >= digits.size())
        return value;
    if (keep < 0)
        return 0.0 * value;
    const QChar first = digits.at(keep);
    bool up = first > QLatin1Char('5');
    if (first == QLatin1Char('5')) {
        const bool beyond =
            digits.mid(keep + 1).contains(QRegularExpression(QStringLiteral("[1-9]")));
        const bool lastOdd = keep > 0 && (digits.at(keep - 1).digitValue() % 2) == 1;
        up = beyond || rounding == Rounding::HalfAwayFromZero || lastOdd;
    }
    QString kept = digits.left(keep);
    if (kept.isEmpty())
        kept = QStringLiteral("0");
    if (up) {
        qsizetype i = kept.size() - 1;
        while (i >= 0 && kept.at(i) == QLatin1Char('9'))
            kept[i--] = QLatin1Char('0');
        if (i < 0)
            kept.prepend(QLatin1Char('1'));
        else
            kept[i] = QChar(kept.at(i).unicode() + 1);
    }
    const double rounded = QStringLiteral("%1e%2").arg(kept).arg(-places).toDouble();
    return value < 0 ? -rounded : rounded;
}

} // namespace rp::jet
