#include "core/reports/NumberFormat.h"

#include "core/base/Error.h"

#include <charconv>
#include <cmath>
#include <string>

namespace rp {

namespace {

struct Pattern {
    QStringView prefix;
    QStringView suffix;
    int minIntegerDigits = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouping = false;
};

bool isPlaceholder(QChar c) {
    return c == u'#' || c == u'0';
}

Pattern parsePattern(QStringView text) {
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isPlaceholder(text[i])) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        throw Error(QStringLiteral("The number pattern \"%1\" has no digit placeholder.")
                        .arg(text.toString()));
    // A decimal point right before the first placeholder belongs to the number (".00").
    if (first > 0 && text[first - 1] == u'.')
        --first;
    Pattern p;
    p.prefix = text.first(first);
    p.suffix = text.sliced(last + 1);
    bool inDecimals = false;
    for (qsizetype i = first; i <= last; ++i) {
        const QChar c = text[i];
        if (c == u'.' && !inDecimals) {
            inDecimals = true;
        } else if (c == u',' && !inDecimals) {
            p.grouping = true;
        } else if (isPlaceholder(c)) {
            if (inDecimals) {
                ++p.maxDecimals;
                if (c == u'0')
                    p.minDecimals = p.maxDecimals;
            } else if (c == u'0') {
                ++p.minIntegerDigits;
            }
        } else {
            throw Error(
                QStringLiteral("The number pattern \"%1\" is not supported.").arg(text.toString()));
        }
    }
    return p;
}

// The value as a person reads it: significant digits without trailing zeros, and the number of
// digits before the decimal point (may be zero or negative for small values).
struct Decimal {
    std::string digits;
    int pointPos = 0;
    bool negative = false;
};

Decimal decimalOf(double value) {
    Decimal d;
    d.negative = std::signbit(value);
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const std::string text(buf, res.ptr);
    const auto e = text.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            d.digits += text[i];
    d.pointPos = std::stoi(text.substr(e + 1)) + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.pointPos = 0;
    return d;
}

// Keeps `decimals` digits after the point, rounding halves away from zero on the decimal digits.
void roundTo(Decimal& d, int decimals) {
    const int keep = d.pointPos + decimals;
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (!up)
        return;
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9')
        d.digits[i--] = '0';
    if (i >= 0) {
        ++d.digits[i];
    } else {
        d.digits.insert(d.digits.begin(), '1');
        ++d.pointPos;
    }
}

} // namespace

QString formatNumber(double value, QStringView pattern) {
    if (!std::isfinite(value))
        throw Error(QStringLiteral("Overflow: a report value is not a finite number."));
    const Pattern p = parsePattern(pattern);
    Decimal d = decimalOf(value);
    roundTo(d, p.maxDecimals);

    const int n = static_cast<int>(d.digits.size());
    std::string integer;
    for (int i = 0; i < d.pointPos; ++i)
        integer += i < n ? d.digits[i] : '0';
    const auto firstNonZero = integer.find_first_not_of('0');
    integer.erase(0, firstNonZero == std::string::npos ? integer.size() : firstNonZero);
    if (static_cast<int>(integer.size()) < p.minIntegerDigits)
        integer.insert(0, p.minIntegerDigits - integer.size(), '0');

    std::string decimals;
    for (int i = 0; i < p.maxDecimals; ++i) {
        const int idx = d.pointPos + i;
        decimals += idx >= 0 && idx < n ? d.digits[idx] : '0';
    }
    while (static_cast<int>(decimals.size()) > p.minDecimals && decimals.back() == '0')
        decimals.pop_back();

    if (p.grouping) {
        for (int i = static_cast<int>(integer.size()) - 3; i > 0; i -= 3)
            integer.insert(i, 1, ',');
    }
    // A value that rounds to zero shows no sign.
    const bool allZero = d.digits.find_first_not_of('0') == std::string::npos;

    QString out;
    out.reserve(pattern.size() + 8);
    out += p.prefix;
    if (d.negative && !allZero)
        out += u'-';
    out += QLatin1StringView(integer.data(), integer.size());
    if (!decimals.empty()) {
        out += u'.';
        out += QLatin1StringView(decimals.data(), decimals.size());
    }
    out += p.suffix;
    return out;
}

QString fm(double value, QStringView pattern) {
    const QString text = formatNumber(value, pattern);
    const qsizetype width = pattern.size();
    if (text.size() >= width)
        return text.first(width);
    return QString(width - text.size(), u' ') + text;
}

} // namespace rp
