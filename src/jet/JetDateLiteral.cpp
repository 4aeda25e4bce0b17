#include "jet/JetDateLiteral.h"

#include "core/base/JetDate.h"

#include <QRegularExpression>
#include <QStringList>

namespace rp {

namespace {

// 1-12 for a month name or its first three letters, 0 otherwise.
int monthNumber(const QString& word) {
    static const char* const names[] = {"january",   "february", "march",    "april",
                                        "may",       "june",     "july",     "august",
                                        "september", "october",  "november", "december"};
    const QString w = word.toLower();
    if (w.size() < 3)
        return 0;
    for (int m = 0; m < 12; ++m) {
        const QLatin1StringView name(names[m]);
        if (w == name || (w.size() == 3 && name.startsWith(w)) ||
            (w == QLatin1String("sept") && m == 8))
            return m + 1;
    }
    return 0;
}

// Jet's window for two-digit years.
int fullYear(const QString& digits) {
    const int y = digits.toInt();
    if (digits.size() > 2)
        return y;
    return y < 30 ? 2000 + y : 1900 + y;
}

std::optional<QTime> parseTimePart(const QString& text) {
    static const QRegularExpression re(
        QStringLiteral(R"(^(\d{1,2})(?::(\d{1,2}))?(?::(\d{1,2}))?\s*([AaPp][Mm])?$)"));
    const auto m = re.match(text);
    // A bare number is not a time; "1 PM" is.
    if (!m.hasMatch() || (m.capturedView(2).isEmpty() && m.capturedView(4).isEmpty()))
        return std::nullopt;
    int hour = m.capturedView(1).toInt();
    const QString half = m.captured(4).toUpper();
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (half == QLatin1String("PM") ? 12 : 0);
    }
    const QTime t(hour, m.capturedView(2).toInt(), m.capturedView(3).toInt());
    return t.isValid() ? std::optional<QTime>(t) : std::nullopt;
}

std::optional<QDate> dateOf(int year, int month, int day) {
    const QDate d(year, month, day);
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

std::optional<QDate> parseDatePart(const QStringList& parts) {
    if (parts.size() != 3)
        return std::nullopt;
    static const QRegularExpression digits(QStringLiteral("^\\d{1,4}$"));
    int monthAt = -1;
    for (int i = 0; i < 3; ++i) {
        if (digits.match(parts[i]).hasMatch())
            continue;
        if (monthAt >= 0 || monthNumber(parts[i]) == 0)
            return std::nullopt;
        monthAt = i;
    }
    if (monthAt < 0) {
        // Year first only with four digits; otherwise month first.
        if (parts[0].size() == 4)
            return dateOf(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
        if (parts[0].size() > 2 || parts[1].size() > 2)
            return std::nullopt;
        return dateOf(fullYear(parts[2]), parts[0].toInt(), parts[1].toInt());
    }
    const int month = monthNumber(parts[monthAt]);
    QStringList numbers = parts;
    numbers.removeAt(monthAt);
    // The day comes before the year, except in 2026 Dec 5 where the year leads.
    if (numbers[0].size() == 4)
        return numbers[1].size() > 2 ? std::nullopt
                                     : dateOf(numbers[0].toInt(), month, numbers[1].toInt());
    if (numbers[0].size() > 2)
        return std::nullopt;
    return dateOf(fullYear(numbers[1]), month, numbers[0].toInt());
}

} // namespace

std::optional<QDateTime> parseJetDateLiteral(QStringView text) {
    const QString s = text.trimmed().toString();
    if (s.isEmpty())
        return std::nullopt;
    // The time starts at the first number followed by ':' or by AM/PM.
    static const QRegularExpression timeStart(QStringLiteral(
        R"((?:^|\s)(\d{1,2}(?::\d{1,2}){1,2}(?:\s*[AaPp][Mm])?|\d{1,2}\s*[AaPp][Mm])$)"));
    const auto tm = timeStart.match(s);
    QTime time(0, 0);
    QString datePart = s;
    if (tm.hasMatch()) {
        const auto t = parseTimePart(tm.captured(1));
        if (!t)
            return std::nullopt;
        time = *t;
        datePart = s.left(tm.capturedStart(1)).trimmed();
        if (datePart.isEmpty())
            return naiveDateTime(QDate(1899, 12, 30), time);
    }
    static const QRegularExpression separators(QStringLiteral("[\\s/,.-]+"));
    const QStringList parts = datePart.split(separators, Qt::SkipEmptyParts);
    const auto date = parseDatePart(parts);
    if (!date)
        return std::nullopt;
    return naiveDateTime(*date, time);
}

} // namespace rp
