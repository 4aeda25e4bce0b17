#include "jet/JetOperators.h"

#include "core/base/Error.h"
#include "core/base/ValueText.h"
#include "jet/JetValue.h"

#include <cmath>

namespace rp::jet {

namespace {

QVariant laterBy(const QDateTime& date, double d) {
    if (std::fabs(d) > 3.0e6)
        throw Error(QStringLiteral("The date lies outside the years 100 to 9999."));
    return dateResult(date.addSecs(std::llround(d * 86400.0)));
}

std::pair<qint64, qint64> wholeOperands(const QVariant& a, const QVariant& b,
                                        QStringView function) {
    const qint64 x = toWholeNumber(a, function);
    const qint64 y = toWholeNumber(b, function);
    if (y == 0)
        throw Error(QStringLiteral("Division by zero"));
    return {x, y};
}

} // namespace

QVariant add(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return {};
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
        return a.toString() + b.toString();
    const auto first = storedDate(a);
    const auto second = storedDate(b);
    if (first && !second)
        return laterBy(*first, toNumber(b, u"+"));
    if (second && !first)
        return laterBy(*second, toNumber(a, u"+"));
    if (isWhole(a) && isWhole(b)) {
        qint64 sum = 0;
        if (!qAddOverflow(a.toLongLong(), b.toLongLong(), &sum))
            return sum;
    }
    return toNumber(a, u"+") + toNumber(b, u"+");
}

QVariant subtract(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return {};
    const auto first = storedDate(a);
    const auto second = storedDate(b);
    if (first && second)
        return dateSerialNumber(*first) - dateSerialNumber(*second);
    if (first)
        return laterBy(*first, -toNumber(b, u"-"));
    if (isWhole(a) && isWhole(b)) {
        qint64 difference = 0;
        if (!qSubOverflow(a.toLongLong(), b.toLongLong(), &difference))
            return difference;
    }
    return toNumber(a, u"-") - toNumber(b, u"-");
}

QVariant power(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return {};
    const double result = std::pow(toNumber(a, u"^"), toNumber(b, u"^"));
    if (!std::isfinite(result))
        throw Error(QStringLiteral("Overflow"));
    return result;
}

QVariant integerDivide(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return {};
    const auto [x, y] = wholeOperands(a, b, u"\\");
    return x / y;
}

QVariant modulo(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return {};
    const auto [x, y] = wholeOperands(a, b, u"Mod");
    return x % y;
}

} // namespace rp::jet
