#include "jet/JetTextFunctions.h"

#include "jet/JetValue.h"

namespace rp::jet {

namespace {

qsizetype nonNegative(const QVariant& value, QStringView function, const char* what) {
    const qint64 n = toWholeNumber(value, function);
    if (n < 0)
        invalidArgument(function,
                        QStringLiteral("the %1 must not be negative.").arg(QLatin1String(what)));
    return qsizetype(qMin<qint64>(n, std::numeric_limits<int>::max()));
}

qsizetype position(const QVariant& value, QStringView function) {
    const qint64 n = toWholeNumber(value, function);
    if (n < 1)
        invalidArgument(function, QStringLiteral("the start must be 1 or more."));
    return qsizetype(qMin<qint64>(n, std::numeric_limits<int>::max()));
}

// A text of n characters, bounded so that a query cannot ask for all the memory there is.
qsizetype repeatCount(const QVariant& value, QStringView function) {
    const qsizetype n = nonNegative(value, function, "length");
    if (n > 1000000)
        invalidArgument(function, QStringLiteral("%1 characters is too long a text.").arg(n));
    return n;
}

template <typename F> QVariant onText(const QVariant& text, F f) {
    if (text.isNull())
        return {};
    return f(valueText(text));
}

} // namespace

QVariant len(const QVariant& text) {
    return onText(text, [](const QString& s) { return qint64(s.size()); });
}

QVariant left(const QVariant& text, const QVariant& length) {
    if (length.isNull())
        return {};
    const qsizetype n = nonNegative(length, u"Left", "length");
    return onText(text, [n](const QString& s) { return s.left(n); });
}

QVariant right(const QVariant& text, const QVariant& length) {
    if (length.isNull())
        return {};
    const qsizetype n = nonNegative(length, u"Right", "length");
    return onText(text, [n](const QString& s) { return s.right(n); });
}

QVariant mid(const QVariant& text, const QVariant& start, const QVariant& length) {
    if (start.isNull())
        return {};
    const qsizetype from = position(start, u"Mid") - 1;
    const qsizetype n = length.isNull() ? -1 : nonNegative(length, u"Mid", "length");
    return onText(text, [from, n](const QString& s) { return s.mid(from, n); });
}

QVariant ucase(const QVariant& text) {
    return onText(text, [](const QString& s) { return s.toUpper(); });
}

QVariant lcase(const QVariant& text) {
    return onText(text, [](const QString& s) { return s.toLower(); });
}

QVariant ltrim(const QVariant& text) {
    return onText(text, [](const QString& s) {
        qsizetype i = 0;
        while (i < s.size() && s.at(i) == QLatin1Char(' '))
            ++i;
        return s.mid(i);
    });
}

QVariant rtrim(const QVariant& text) {
    return onText(text, [](const QString& s) {
        qsizetype n = s.size();
        while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
            --n;
        return s.left(n);
    });
}

QVariant trim(const QVariant& text) {
    return text.isNull() ? QVariant() : ltrim(rtrim(text));
}

QVariant instr(const QVariant& start, const QVariant& text, const QVariant& sought,
               const QVariant& compare) {
    if (start.isNull())
        invalidArgument(u"InStr", QStringLiteral("the start must not be Null."));
    const qsizetype from = position(start, u"InStr");
    const bool caseSensitive = !compare.isNull() && toWholeNumber(compare, u"InStr") == 0;
    if (text.isNull() || sought.isNull())
        return {};
    const QString s = valueText(text);
    const QString t = valueText(sought);
    if (from > s.size())
        return qint64(0);
    const qsizetype at =
        s.indexOf(t, from - 1, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    return qint64(at + 1);
}

QVariant replace(const QVariant& text, const QVariant& find, const QVariant& with,
                 const QVariant& start, const QVariant& count) {
    if (text.isNull())
        return {};
    const qsizetype from = position(start, u"Replace") - 1;
    qint64 left = toWholeNumber(count, u"Replace");
    if (left < -1)
        invalidArgument(u"Replace", QStringLiteral("the count must be -1 or more."));
    const QString s = valueText(text).mid(from);
    const QString f = valueText(find);
    const QString w = valueText(with);
    if (f.isEmpty())
        return s;
    QString out;
    qsizetype i = 0;
    while (left != 0) {
        const qsizetype at = s.indexOf(f, i);
        if (at < 0)
            break;
        out += s.mid(i, at - i) + w;
        i = at + f.size();
        if (left > 0)
            --left;
    }
    return out + s.mid(i);
}

QVariant space(const QVariant& count) {
    if (count.isNull())
        return {};
    return QString(repeatCount(count, u"Space"), QLatin1Char(' '));
}

QVariant string(const QVariant& count, const QVariant& character) {
    if (count.isNull() || character.isNull())
        return {};
    const qsizetype n = repeatCount(count, u"String");
    QChar c;
    if (isNumber(character)) {
        const qint64 code = toWholeNumber(character, u"String");
        if (code < 0 || code > 0xFFFF)
            invalidArgument(u"String", QStringLiteral("%1 is not a character code.").arg(code));
        c = QChar(char16_t(code));
    } else {
        const QString text = valueText(character);
        if (text.isEmpty())
            invalidArgument(u"String", QStringLiteral("the character must not be empty."));
        c = text.at(0);
    }
    return QString(n, c);
}

QVariant strComp(const QVariant& a, const QVariant& b, const QVariant& compare) {
    if (a.isNull() || b.isNull())
        return {};
    const Qt::CaseSensitivity cs = !compare.isNull() && toWholeNumber(compare, u"StrComp") == 0
                                       ? Qt::CaseSensitive
                                       : Qt::CaseInsensitive;
    const int order = valueText(a).compare(valueText(b), cs);
    return qint64((order > 0) - (order < 0));
}

} // namespace rp::jet
