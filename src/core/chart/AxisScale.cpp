#include "core/chart/AxisScale.h"

#include "core/base/Error.h"
#include "core/base/ValueText.h"

#include <array>
#include <cmath>
#include <limits>

namespace rp {

namespace {

// The decimal logarithm to seven digits: exact powers of ten come out slightly above the whole
// number, which the step search relies on.
constexpr double log10Factor = 0.4342945;

double roundToSixDigits(double x) {
    const double a = std::abs(x);
    const double g = 5 - std::floor(std::log(a) * log10Factor);
    const double scale = std::pow(10.0, g);
    return std::copysign(std::floor(a * scale + 0.5) / scale, x);
}

bool endsNearlyWhole(const QString& text) {
    return text.size() >= 9 && (text[8] == u'9' || text[8] == u'1');
}

} // namespace

QString axisNumberText(double x) {
    QString text = numberText(x);
    if (text.startsWith(u"0."))
        text.remove(0, 1);
    else if (text.startsWith(u"-0."))
        text.remove(1, 1);
    if (!text.startsWith(u'-'))
        text.prepend(u' ');
    return text;
}

double clean(double x) {
    const QString t = axisNumberText(x);
    if (t.size() == 9 && endsNearlyWhole(t))
        x = roundToSixDigits(x);
    else if (t.indexOf(u'E') >= 9 && endsNearlyWhole(t))
        x = roundToSixDigits(x);
    bool ok = false;
    const double back = axisNumberText(x).trimmed().toDouble(&ok);
    return ok ? back : x;
}

AxisScale computeAxisScale(double smallest, double& largest) {
    double span = largest - smallest;
    if (span == 0) {
        largest = smallest + 1;
        span = 1;
    }
    if (!(span > 0) || !std::isfinite(span))
        throw Error(QStringLiteral("The axis cannot be scaled: there are no values between %1 "
                                   "and %2.")
                        .arg(numberText(smallest), numberText(largest)));
    const double e = std::log(span) * log10Factor;
    const double power = std::pow(10.0, std::floor(e) + 1);
    const double f = span / power;

    constexpr std::array<double, 4> factors{0.02, 0.05, 0.1, 0.2};
    double k = factors.back();
    for (double factor : factors) {
        const double d = 1 + f / factor;
        if (d >= 5 && d < 12) {
            k = factor;
            break;
        }
    }
    AxisScale scale;
    scale.step = clean(power * k);
    scale.lower = clean(std::floor(clean(smallest / scale.step)) * scale.step);
    scale.upper = clean(std::floor((largest + scale.step) / scale.step) * scale.step);
    if (axisNumberText(largest) == axisNumberText(clean(scale.upper - scale.step)))
        scale.upper = largest;
    const double divisions = std::nearbyint((scale.upper - scale.lower) / scale.step);
    if (divisions > std::numeric_limits<qint16>::max())
        throw Error(QStringLiteral("The axis needs too many divisions."));
    scale.divisions = int(divisions);
    return scale;
}

} // namespace rp
