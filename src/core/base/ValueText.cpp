#include "core/base/ValueText.h"

#include "core/base/JetDate.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace rp {

namespace {

constexpr int maxNumberText = 32;

// %.15g of a normal double whose shortest round-trip form has at most 15 digits: that form is
// then the 15-digit rounding too, and it is several times quicker to get. Returns the length,
// or 0 when the value needs the full conversion.
int shortNumberText(double value, char* out) {
    char scientific[32];
    const auto end = std::to_chars(scientific, scientific + sizeof scientific, value,
                                   std::chars_format::scientific)
                         .ptr;
    const char* p = scientific;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    char digits[24];
    int count = 0;
    for (; p < end && *p != 'e'; ++p)
        if (*p != '.') {
            if (count == 15)
                return 0;
            digits[count++] = *p;
        }
    int exponent = 0;
    if (p + 1 < end)
        std::from_chars(p + 1 + (p[1] == '+'), end, exponent);
    while (count > 1 && digits[count - 1] == '0')
        --count;

    char* o = out;
    if (negative)
        *o++ = '-';
    if (exponent < -4 || exponent >= 15) {
        *o++ = digits[0];
        if (count > 1) {
            *o++ = '.';
            o = std::copy(digits + 1, digits + count, o);
        }
        *o++ = 'E';
        *o++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10)
            *o++ = '0';
        o = std::to_chars(o, o + 4, magnitude).ptr;
    } else if (exponent < 0) {
        *o++ = '0';
        *o++ = '.';
        o = std::fill_n(o, -exponent - 1, '0');
        o = std::copy(digits, digits + count, o);
    } else {
        for (int i = 0; i <= exponent; ++i)
            *o++ = i < count ? digits[i] : '0';
        if (count > exponent + 1) {
            *o++ = '.';
            o = std::copy(digits + exponent + 1, digits + count, o);
        }
    }
    return int(o - out);
}

// The number text in Latin-1; returns its length (at most maxNumberText).
int numberTextLatin1(double value, char* out) {
    auto literal = [out](const char* text) {
        const auto n = std::strlen(text);
        std::memcpy(out, text, n);
        return int(n);
    };
    if (std::isnan(value))
        return literal("NaN");
    if (std::isinf(value))
        return literal(value > 0 ? "Infinity" : "-Infinity");
    if (value == 0) // also -0
        return literal("0");
    if (std::fabs(value) >= std::numeric_limits<double>::min())
        if (const int n = shortNumberText(value, out))
            return n;
    // %g with 15 significant digits drops trailing zeros and hides the binary noise of sums
    // such as 0.1 + 0.2.
    QByteArray text = QByteArray::number(value, 'g', 15);
    text.replace('e', 'E');
    const int n = int(std::min<qsizetype>(text.size(), maxNumberText));
    std::memcpy(out, text.constData(), size_t(n));
    return n;
}

} // namespace

QString numberText(double value) {
    char text[maxNumberText];
    return QString::fromLatin1(text, numberTextLatin1(value, text));
}

void appendNumberText(QByteArray& out, double value) {
    char text[maxNumberText];
    out.append(text, numberTextLatin1(value, text));
}

QString integerText(qint64 value) {
    return QString::number(value);
}

QString valueText(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
        return integerText(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return QString::number(value.toULongLong());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDateTime:
        return gridDateTimeText(value.toDateTime());
    case QMetaType::QDate:
        return gridDateTimeText(naiveDateTime(value.toDate()));
    case QMetaType::QByteArray:
        return QStringLiteral("(%1 bytes)").arg(value.toByteArray().size());
    default:
        return value.toString();
    }
}

} // namespace rp
