#include "jet/JetDateFunctions.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "jet/JetValue.h"

#include <cmath>

namespace rp::jet {

namespace {

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval toInterval(const QVariant& value, QStringView function) {
    static const std::pair<const char*, Interval> names[] = {
        {"yyyy", Interval::Year},   {"q", Interval::Quarter}, {"m", Interval::Month},
        {"y", Interval::DayOfYear}, {"d", Interval::Day},     {"w", Interval::Weekday},
        {"ww", Interval::Week},     {"h", Interval::Hour},    {"n", Interval::Minute},
        {"s", Interval::Second}};
    const QString text = value.toString().trimmed();
    for (const auto& [name, interval] : names)
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return interval;
    invalidArgument(function, QStringLiteral("\"%1\" is not an interval (yyyy, q, m, y, d, w, ww, "
                                             "h, n or s).")
                                  .arg(text));
}

[[noreturn]] void outOfRange(QStringView function) {
    invalidArgument(function, QStringLiteral("the date lies outside the years 100 to 9999."));
}

int firstDay(const QVariant& value, QStringView function) {
    const qint64 day = value.isNull() ? 1 : toWholeNumber(value, function);
    if (day < 0 || day > 7)
        invalidArgument(function, QStringLiteral("the first day of the week must be 0 to 7."));
    return day == 0 ? 1 : int(day);
}

// Seconds since the start of the Julian day count; exact for whole seconds.
qint64 secondsOf(const QDateTime& dt) {
    return dt.date().toJulianDay() * 86400 + dt.time().msecsSinceStartOfDay() / 1000;
}

qint64 floorDiv(qint64 a, qint64 b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Weeks counted so that each starts on firstDayOfWeek (1 = Sunday); Julian day 0 is a Monday.
qint64 weekIndex(const QDate& date, int firstDayOfWeek) {
    return floorDiv(date.toJulianDay() + 2 - firstDayOfWeek, 7);
}

int weekdayOf(const QDate& date, int firstDayOfWeek) {
    const int sundayBased = date.dayOfWeek() % 7 + 1; // Qt: 1 = Monday … 7 = Sunday
    return (sundayBased - firstDayOfWeek + 7) % 7 + 1;
}

QDate fromJulian(qint64 jd, QStringView function) {
    const QDate date = QDate::fromJulianDay(jd);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        outOfRange(function);
    return date;
}

// Years as DateSerial reads them: 0-29 are 2000-2029, 30-99 are 1930-1999.
qint64 windowedYear(qint64 year) {
    if (year >= 0 && year < 30)
        return 2000 + year;
    if (year >= 30 && year < 100)
        return 1900 + year;
    return year;
}

template <typename F> QVariant part(const QVariant& date, QStringView function, F f) {
    if (date.isNull())
        return {};
    return qint64(f(toDateTime(date, function)));
}

} // namespace

QVariant year(const QVariant& d) {
    return part(d, u"Year", [](const QDateTime& dt) { return dt.date().year(); });
}
QVariant month(const QVariant& d) {
    return part(d, u"Month", [](const QDateTime& dt) { return dt.date().month(); });
}
QVariant day(const QVariant& d) {
    return part(d, u"Day", [](const QDateTime& dt) { return dt.date().day(); });
}
QVariant hour(const QVariant& d) {
    return part(d, u"Hour", [](const QDateTime& dt) { return dt.time().hour(); });
}
QVariant minute(const QVariant& d) {
    return part(d, u"Minute", [](const QDateTime& dt) { return dt.time().minute(); });
}
QVariant second(const QVariant& d) {
    return part(d, u"Second", [](const QDateTime& dt) { return dt.time().second(); });
}

QVariant weekday(const QVariant& date, const QVariant& firstDayOfWeek) {
    const int first = firstDay(firstDayOfWeek, u"Weekday");
    return part(date, u"Weekday",
                [first](const QDateTime& dt) { return weekdayOf(dt.date(), first); });
}

QVariant dateAdd(const QVariant& interval, const QVariant& number, const QVariant& date) {
    if (interval.isNull() || number.isNull() || date.isNull())
        return {};
    const Interval iv = toInterval(interval, u"DateAdd");
    const qint64 n = toWholeNumber(number, u"DateAdd");
    const QDateTime dt = toDateTime(date, u"DateAdd");
    if (std::llabs(n) > 1000000000000LL) // beyond any date, and safe to multiply
        outOfRange(u"DateAdd");
    const auto months = [&](qint64 count) {
        if (std::llabs(count) > 12 * 10000)
            outOfRange(u"DateAdd");
        return naiveDateTime(dt.date().addMonths(int(count)), dt.time());
    };
    const auto seconds = [&](qint64 count) {
        const qint64 s = secondsOf(dt) + count;
        return naiveDateTime(
            fromJulian(floorDiv(s, 86400), u"DateAdd"),
            QTime::fromMSecsSinceStartOfDay(int(s - floorDiv(s, 86400) * 86400) * 1000));
    };
    QDateTime result;
    switch (iv) {
    case Interval::Year:
        result = months(n * 12);
        break;
    case Interval::Quarter:
        result = months(n * 3);
        break;
    case Interval::Month:
        result = months(n);
        break;
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday:
        result = seconds(n * 86400);
        break;
    case Interval::Week:
        result = seconds(n * 7 * 86400);
        break;
    case Interval::Hour:
        result = seconds(n * 3600);
        break;
    case Interval::Minute:
        result = seconds(n * 60);
        break;
    case Interval::Second:
        result = seconds(n);
        break;
    }
    return dateResult(result);
}

QVariant dateDiff(const QVariant& interval, const QVariant& date1, const QVariant& date2,
                  const QVariant& firstDayOfWeek) {
    if (interval.isNull() || date1.isNull() || date2.isNull())
        return {};
    const Interval iv = toInterval(interval, u"DateDiff");
    const int first = firstDay(firstDayOfWeek, u"DateDiff");
    const QDateTime a = toDateTime(date1, u"DateDiff");
    const QDateTime b = toDateTime(date2, u"DateDiff");
    const auto monthsOf = [](const QDateTime& dt) {
        return qint64(dt.date().year()) * 12 + dt.date().month() - 1;
    };
    const qint64 days = b.date().toJulianDay() - a.date().toJulianDay();
    switch (iv) {
    case Interval::Year:
        return qint64(b.date().year() - a.date().year());
    case Interval::Quarter:
        return monthsOf(b) / 3 - monthsOf(a) / 3;
    case Interval::Month:
        return monthsOf(b) - monthsOf(a);
    case Interval::DayOfYear:
    case Interval::Day:
        return days;
    case Interval::Weekday:
        return days / 7; // whole weeks, towards zero
    case Interval::Week:
        return weekIndex(b.date(), first) - weekIndex(a.date(), first);
    case Interval::Hour:
        return floorDiv(secondsOf(b), 3600) - floorDiv(secondsOf(a), 3600);
    case Interval::Minute:
        return floorDiv(secondsOf(b), 60) - floorDiv(secondsOf(a), 60);
    case Interval::Second:
        return secondsOf(b) - secondsOf(a);
    }
    return {};
}

QVariant datePart(const QVariant& interval, const QVariant& date, const QVariant& firstDayOfWeek) {
    if (interval.isNull() || date.isNull())
        return {};
    const Interval iv = toInterval(interval, u"DatePart");
    const int first = firstDay(firstDayOfWeek, u"DatePart");
    const QDateTime dt = toDateTime(date, u"DatePart");
    const QDate d = dt.date();
    switch (iv) {
    case Interval::Year:
        return qint64(d.year());
    case Interval::Quarter:
        return qint64((d.month() - 1) / 3 + 1);
    case Interval::Month:
        return qint64(d.month());
    case Interval::DayOfYear:
        return qint64(d.dayOfYear());
    case Interval::Day:
        return qint64(d.day());
    case Interval::Weekday:
        return qint64(weekdayOf(d, first));
    case Interval::Week: // the week holding 1 January is week 1
        return weekIndex(d, first) - weekIndex(QDate(d.year(), 1, 1), first) + 1;
    case Interval::Hour:
        return qint64(dt.time().hour());
    case Interval::Minute:
        return qint64(dt.time().minute());
    case Interval::Second:
        return qint64(dt.time().second());
    }
    return {};
}

QVariant dateSerial(const QVariant& year, const QVariant& month, const QVariant& day) {
    if (year.isNull() || month.isNull() || day.isNull())
        return {};
    const qint64 y = windowedYear(toWholeNumber(year, u"DateSerial"));
    const qint64 m = toWholeNumber(month, u"DateSerial");
    const qint64 d = toWholeNumber(day, u"DateSerial");
    if (y < 0 || y > 20000 || std::llabs(m) > 240000 || std::llabs(d) > 10000000)
        outOfRange(u"DateSerial");
    const qint64 months = y * 12 + m - 1;
    const QDate firstOfMonth(int(floorDiv(months, 12)), int(months - floorDiv(months, 12) * 12) + 1,
                             1);
    if (!firstOfMonth.isValid())
        outOfRange(u"DateSerial");
    const QDate date = fromJulian(firstOfMonth.toJulianDay() + d - 1, u"DateSerial");
    return dateResult(naiveDateTime(date));
}

QVariant timeSerial(const QVariant& hour, const QVariant& minute, const QVariant& second) {
    if (hour.isNull() || minute.isNull() || second.isNull())
        return {};
    const qint64 h = toWholeNumber(hour, u"TimeSerial");
    const qint64 m = toWholeNumber(minute, u"TimeSerial");
    const qint64 s = toWholeNumber(second, u"TimeSerial");
    if (std::llabs(h) > 10000000 || std::llabs(m) > 100000000 || std::llabs(s) > 1000000000)
        outOfRange(u"TimeSerial");
    return dateResult(naiveDateTime(QDate(1899, 12, 30)).addSecs(h * 3600 + m * 60 + s));
}

QVariant dateValue(const QVariant& date) {
    if (date.isNull())
        return {};
    return dateResult(naiveDateTime(toDateTime(date, u"DateValue").date()));
}

QVariant now() {
    const QDateTime local = QDateTime::currentDateTime();
    const QTime t = local.time();
    return isoDateTimeText(naiveDateTime(local.date(), QTime(t.hour(), t.minute(), t.second())));
}

QVariant today() {
    return isoDateTimeText(naiveDateTime(QDate::currentDate()));
}

} // namespace rp::jet
