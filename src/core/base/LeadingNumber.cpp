#include "core/base/LeadingNumber.h"

#include "core/base/Error.h"
#include "core/base/LineExcerpt.h"

#include <charconv>
#include <string>

namespace rp {

double leadingNumber(QStringView text) {
    const qsizetype n = text.size();
    const auto digitAt = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    qsizetype i = 0;
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    // The number's characters, normalised for from_chars: no '+', a digit before a bare point,
    // 'e' for the exponent.
    std::string number;
    number.reserve(32);
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-')
            number += '-';
        ++i;
    }
    bool mantissa = false;
    while (digitAt(i)) {
        number += char(text[i++].unicode());
        mantissa = true;
    }
    if (i < n && text[i] == u'.') {
        if (!mantissa)
            number += '0';
        number += '.';
        ++i;
        while (digitAt(i)) {
            number += char(text[i++].unicode());
            mantissa = true;
        }
    }
    if (!mantissa)
        return 0.0;
    // An exponent counts only when digits follow it: "12e" reads as 12.
    bool negativeExponent = false;
    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        qsizetype k = i + 1;
        if (k < n && (text[k] == u'-' || text[k] == u'+'))
            negativeExponent = text[k++] == u'-';
        if (digitAt(k)) {
            number += negativeExponent ? "e-" : "e";
            while (digitAt(k))
                number += char(text[k++].unicode());
        }
    }
    double value = 0.0;
    const auto res = std::from_chars(number.data(), number.data() + number.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // from_chars reports both ends of the range; only the large end is an error.
        if (negativeExponent)
            return 0.0;
        throw Error(
            QStringLiteral("Overflow: the number \"%1\" is too large.")
                .arg(lineExcerpt(QString::fromLatin1(number.data(), qsizetype(number.size())))));
    }
    return value;
}

} // namespace rp
