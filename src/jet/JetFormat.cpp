#include "jet/JetFormat.h"

#include "core/base/JetDate.h"
#include "jet/JetValue.h"

#include <QLocale>
#include <cmath>
#include <optional>

namespace rp::jet {

namespace {

enum class Kind { Date, Number, Other };

// Splits a format into sections at ';' outside quotes and escapes.
QStringList sections(const QString& f) {
    QStringList out{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('\\') && i + 1 < f.size()) {
            out.back() += c;
            out.back() += f.at(++i);
            continue;
        }
        if (!quoted && c == QLatin1Char(';'))
            out.append(QString());
        else
            out.back() += c;
    }
    return out;
}

// The characters of a format that are not quoted or escaped.
QString unquoted(const QString& f) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < f.size(); ++i) {
        if (f.at(i) == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && f.at(i) == QLatin1Char('\\'))
            ++i;
        else if (!quoted)
            out += f.at(i);
    }
    return out;
}

Kind kindOf(const QString& f) {
    const QString plain = unquoted(f).toLower();
    if (plain.contains(QLatin1Char('0')) || plain.contains(QLatin1Char('#')))
        return Kind::Number;
    for (QChar c : plain)
        if (QStringLiteral("ymdhnsqw").contains(c))
            return Kind::Date;
    return Kind::Other;
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString formatDate(const QDateTime& dt, const QString& f) {
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QDate d = dt.date();
    const QTime t = dt.time();
    const QString lower = f.toLower();
    const bool twelveHour =
        lower.contains(QLatin1String("am/pm")) || lower.contains(QLatin1String("a/p"));
    QString out;
    bool afterHour = false;
    for (qsizetype i = 0; i < f.size();) {
        const QChar c = f.at(i);
        const QChar lc = c.toLower();
        if (c == QLatin1Char('\\') && i + 1 < f.size()) {
            out += f.at(i + 1);
            i += 2;
            continue;
        }
        if (c == QLatin1Char('"')) {
            const qsizetype close = f.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? f.size() : close;
            out += f.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (lower.mid(i, 5) == QLatin1String("am/pm") || lower.mid(i, 3) == QLatin1String("a/p")) {
            const bool pm = t.hour() >= 12;
            const bool full = lower.mid(i, 5) == QLatin1String("am/pm");
            QString text = full ? (pm ? QStringLiteral("PM") : QStringLiteral("AM"))
                                : (pm ? QStringLiteral("P") : QStringLiteral("A"));
            out += c.isLower() ? text.toLower() : text;
            i += full ? 5 : 3;
            continue;
        }
        qsizetype n = 1;
        while (i + n < f.size() && f.at(i + n).toLower() == lc)
            ++n;
        bool token = true;
        switch (lc.unicode()) {
        case 'y':
            out += n >= 3   ? QString::number(d.year())
                   : n == 2 ? twoDigits(d.year() % 100)
                            : QString::number(d.dayOfYear());
            break;
        case 'm':
            if (afterHour)
                out += n >= 2 ? twoDigits(t.minute()) : QString::number(t.minute());
            else if (n >= 4)
                out += english.monthName(d.month(), QLocale::LongFormat);
            else if (n == 3)
                out += english.monthName(d.month(), QLocale::ShortFormat);
            else
                out += n == 2 ? twoDigits(d.month()) : QString::number(d.month());
            break;
        case 'd':
            if (n >= 4)
                out += english.dayName(d.dayOfWeek(), QLocale::LongFormat);
            else if (n == 3)
                out += english.dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else
                out += n == 2 ? twoDigits(d.day()) : QString::number(d.day());
            break;
        case 'h': {
            const int h = twelveHour ? (t.hour() % 12 == 0 ? 12 : t.hour() % 12) : t.hour();
            out += n >= 2 ? twoDigits(h) : QString::number(h);
            break;
        }
        case 'n':
            out += n >= 2 ? twoDigits(t.minute()) : QString::number(t.minute());
            break;
        case 's':
            out += n >= 2 ? twoDigits(t.second()) : QString::number(t.second());
            break;
        case 'q':
            out += QString::number((d.month() - 1) / 3 + 1);
            break;
        case 'w':
            // ww: the week of the year, Sunday first, the week of 1 January being week 1.
            out += n >= 2 ? QString::number(
                                (d.dayOfYear() - 1 + QDate(d.year(), 1, 1).dayOfWeek() % 7) / 7 + 1)
                          : QString::number(d.dayOfWeek() % 7 + 1);
            break;
        default:
            token = false;
            out += f.mid(i, n);
            break;
        }
        if (token)
            afterHour = lc == QLatin1Char('h');
        i += n;
    }
    return out;
}

struct NumberPattern {
    QString prefix, suffix;
    int intZeros = 0;
    bool hasDigits = false;
    bool point = false;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouping = false;
    bool percent = false;
};

NumberPattern parseNumberPattern(const QString& f) {
    NumberPattern p;
    bool quoted = false;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f.at(i);
        QString literal;
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            continue;
        }
        if (quoted) {
            literal = c;
        } else if (c == QLatin1Char('\\') && i + 1 < f.size()) {
            literal = f.at(++i);
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            p.hasDigits = true;
            if (p.point) {
                ++p.maxDecimals;
                if (c == QLatin1Char('0'))
                    p.minDecimals = p.maxDecimals;
            } else if (c == QLatin1Char('0')) {
                ++p.intZeros;
            }
            continue;
        } else if (c == QLatin1Char('.') && !p.point) {
            p.point = true;
            p.hasDigits = true;
            continue;
        } else if (c == QLatin1Char(',') && p.hasDigits && !p.point) {
            p.grouping = true;
            continue;
        } else {
            p.percent = p.percent || c == QLatin1Char('%');
            literal = c;
        }
        (p.hasDigits ? p.suffix : p.prefix) += literal;
    }
    return p;
}

QString formatNumber(double v, const QString& f) {
    const QStringList parts = sections(f);
    QString section = parts.at(0);
    bool sign = v < 0;
    if (v < 0 && parts.size() >= 2 && !parts.at(1).isEmpty()) {
        section = parts.at(1);
        sign = false;
    } else if (v == 0 && parts.size() >= 3 && !parts.at(2).isEmpty()) {
        section = parts.at(2);
    }
    const NumberPattern p = parseNumberPattern(section);
    if (!p.hasDigits)
        return (sign ? QStringLiteral("-") : QString()) + p.prefix + p.suffix;
    const double scaled = std::fabs(v) * (p.percent ? 100.0 : 1.0);
    const double rounded = roundDecimal(scaled, p.maxDecimals, Rounding::HalfAwayFromZero);
    const QString text = QString::number(rounded, 'f', p.maxDecimals);
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    QString whole = dot < 0 ? text : text.left(dot);
    QString fraction = dot < 0 ? QString() : text.mid(dot + 1);
    while (fraction.size() > p.minDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (whole == QLatin1String("0") && p.intZeros == 0)
        whole.clear();
    whole = whole.rightJustified(p.intZeros, QLatin1Char('0'));
    if (p.grouping)
        for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
            whole.insert(i, QLatin1Char(','));
    QString out =
        p.prefix + whole + (p.point ? QStringLiteral(".") + fraction : QString()) + p.suffix;
    if (sign && rounded != 0.0)
        out.prepend(QLatin1Char('-'));
    return out;
}

QString namedPattern(const QString& name, Kind* kind) {
    static const std::pair<const char*, const char*> dates[] = {
        {"long date", "dddd, mmmm d, yyyy"}, {"medium date", "dd-mmm-yy"},
        {"short date", "m/d/yyyy"},          {"long time", "h:nn:ss AM/PM"},
        {"medium time", "hh:nn AM/PM"},      {"short time", "hh:nn"}};
    static const std::pair<const char*, const char*> numbers[] = {
        {"currency", "$#,##0.00;($#,##0.00)"},
        {"fixed", "0.00"},
        {"standard", "#,##0.00"},
        {"percent", "0.00%"}};
    for (const auto& [n, pattern] : dates)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) {
            *kind = Kind::Date;
            return QLatin1String(pattern);
        }
    for (const auto& [n, pattern] : numbers)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) {
            *kind = Kind::Number;
            return QLatin1String(pattern);
        }
    return {};
}

// Named formats that are not patterns: "General Date", "General Number", "Scientific" and the
// truth formats.
std::optional<QString> specialFormat(const QVariant& value, const QString& name) {
    const QString n = name.toLower();
    if (n == QLatin1String("general date")) {
        if (auto dt = toDateTime(value))
            return gridDateTimeText(*dt);
        return valueText(value);
    }
    static const std::pair<const char*, std::pair<const char*, const char*>> truths[] = {
        {"yes/no", {"Yes", "No"}}, {"true/false", {"True", "False"}}, {"on/off", {"On", "Off"}}};
    const bool numeric = isNumber(value) || numberFromText(valueText(value)).has_value();
    if (n == QLatin1String("general number"))
        return numeric ? numberText(toNumber(value, u"Format")) : valueText(value);
    if (n == QLatin1String("scientific"))
        return numeric ? QString::number(toNumber(value, u"Format"), 'E', 2) : valueText(value);
    for (const auto& [t, words] : truths)
        if (n == QLatin1String(t)) {
            if (!numeric)
                return valueText(value);
            return QLatin1String(toNumber(value, u"Format") != 0 ? words.first : words.second);
        }
    return std::nullopt;
}

} // namespace

QVariant format(const QVariant& value, const QVariant& fmt) {
    const QString f = fmt.isNull() ? QString() : valueText(fmt);
    if (value.isNull()) {
        // The fourth section is the text for Null.
        const QStringList parts = sections(f);
        if (parts.size() >= 4)
            return unquoted(parts.at(3));
        return {};
    }
    if (f.isEmpty())
        return valueText(value);
    if (auto special = specialFormat(value, f))
        return *special;
    Kind kind = Kind::Other;
    QString pattern = namedPattern(f, &kind);
    if (pattern.isEmpty()) {
        pattern = f;
        kind = kindOf(f);
    }
    if (kind == Kind::Date) {
        if (isNumber(value))
            return valueText(value); // numbers are not dates here
        if (auto dt = toDateTime(value))
            return formatDate(*dt, pattern);
        return valueText(value);
    }
    if (kind == Kind::Number) {
        if (isNumber(value))
            return formatNumber(toNumber(value, u"Format"), pattern);
        if (auto v = numberFromText(valueText(value)))
            return formatNumber(*v, pattern);
        return valueText(value);
    }
    if (f == QLatin1String(">"))
        return valueText(value).toUpper();
    if (f == QLatin1String("<"))
        return valueText(value).toLower();
    return valueText(value);
}

} // namespace rp::jet
