#include "core/base/JetDate.h"

#include "core/base/TimeStep.h"

#include <QRegularExpression>

namespace rp {

namespace {

// Two-digit years as the Jet engine reads them: 00-29 are 20xx, 30-99 are 19xx.
int fullYear(int year, int digits) {
    if (digits > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

int monthFromName(QStringView name) {
    static const char* const full[] = {"january",   "february", "march",    "april",
                                       "may",       "june",     "july",     "august",
                                       "september", "october",  "november", "december"};
    if (name.size() == 3)
        return monthFromAbbreviation(name);
    for (int m = 0; m < 12; ++m)
        if (name.compare(QLatin1String(full[m]), Qt::CaseInsensitive) == 0)
            return m + 1;
    return 0;
}

std::optional<QTime> parseTime(QStringView text) {
    static const QRegularExpression re(
        QStringLiteral(R"(^(\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3})\d*)?)?\s*([AaPp][Mm])?$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int hour = m.capturedView(1).toInt();
    const int minute = m.capturedView(2).toInt();
    const int second = m.capturedView(3).isEmpty() ? 0 : m.capturedView(3).toInt();
    QString fraction = m.captured(4);
    const int msec = fraction.isEmpty() ? 0 : fraction.leftJustified(3, QLatin1Char('0')).toInt();
    const QStringView ampm = m.capturedView(5);
    if (!ampm.isEmpty()) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        const bool pm = ampm.at(0).toUpper() == QLatin1Char('P');
        hour = (hour % 12) + (pm ? 12 : 0);
    }
    QTime time(hour, minute, second, msec);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

std::optional<QDate> parseDate(QStringView text) {
    static const QRegularExpression named(
        QStringLiteral(R"(^(\d{1,2})-([A-Za-z]{3,9})-(\d{2}|\d{4})$)"));
    static const QRegularExpression monthFirst(
        QStringLiteral(R"(^(\d{1,2})/(\d{1,2})/(\d{2}|\d{4})$)"));
    static const QRegularExpression iso(QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2})$)"));
    int y = 0, mo = 0, d = 0;
    if (auto m = named.match(text); m.hasMatch()) {
        d = m.capturedView(1).toInt();
        mo = monthFromName(m.capturedView(2));
        y = fullYear(m.capturedView(3).toInt(), int(m.capturedView(3).size()));
    } else if (auto m = monthFirst.match(text); m.hasMatch()) {
        mo = m.capturedView(1).toInt();
        d = m.capturedView(2).toInt();
        y = fullYear(m.capturedView(3).toInt(), int(m.capturedView(3).size()));
    } else if (auto m = iso.match(text); m.hasMatch()) {
        y = m.capturedView(1).toInt();
        mo = m.capturedView(2).toInt();
        d = m.capturedView(3).toInt();
    } else {
        return std::nullopt;
    }
    const QDate date(y, mo, d);
    if (mo == 0 || !date.isValid())
        return std::nullopt;
    return date;
}

} // namespace

QDateTime naiveDateTime(QDate date, QTime time) {
    return QDateTime(date, time, Qt::UTC);
}

std::optional<QDateTime> parseJetDateTime(QStringView text) {
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    // The date ends at the first blank or 'T' (ISO); what follows is the time of day.
    qsizetype split = text.indexOf(QLatin1Char(' '));
    if (split < 0 && text.size() > 10 && text.at(10) == QLatin1Char('T'))
        split = 10;
    const auto date = parseDate(split < 0 ? text : text.left(split));
    if (!date)
        return std::nullopt;
    if (split < 0)
        return naiveDateTime(*date);
    const auto time = parseTime(text.mid(split + 1).trimmed());
    if (!time)
        return std::nullopt;
    return naiveDateTime(*date, *time);
}

QString isoDateTimeText(const QDateTime& dateTime) {
    return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::optional<QDateTime> parseIsoDateTime(QStringView text) {
    static const QRegularExpression re(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})(?:[ T](\d{2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3})\d*)?)?)?$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.capturedView(1).toInt(), m.capturedView(2).toInt(),
                     m.capturedView(3).toInt());
    const QString fraction = m.captured(7);
    const QTime time(m.capturedView(4).toInt(), m.capturedView(5).toInt(),
                     m.capturedView(6).toInt(),
                     fraction.isEmpty() ? 0 : fraction.leftJustified(3, QLatin1Char('0')).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return naiveDateTime(date, time);
}

QString gridDateTimeText(const QDateTime& dateTime) {
    const QDate d = dateTime.date();
    const QTime t = dateTime.time();
    QString text = QStringLiteral("%1/%2/%3").arg(d.month()).arg(d.day()).arg(d.year());
    if (t.msecsSinceStartOfDay() == 0)
        return text;
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return text + QStringLiteral(" %1:%2:%3 %4")
                      .arg(hour12)
                      .arg(t.minute(), 2, 10, QLatin1Char('0'))
                      .arg(t.second(), 2, 10, QLatin1Char('0'))
                      .arg(t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

} // namespace rp
