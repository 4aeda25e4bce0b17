#pragma once

#include <QDateTime>
#include <QString>

namespace rp {

// Advancing a date by a number of interval units, as the automatic insertion of rows needs.
// Interval codes: "y" years, "m" months, "d" days, "h" hours, "n" minutes. A month or year step
// from a day the target month lacks lands on that month's last day (31 Jan + 1 month = 29 Feb
// in a leap year). Throws rp::Error for an unknown code, an empty one included.
QDateTime advanceDateTime(const QDateTime& dateTime, const QString& interval, qint64 count);

// The same on a date text as the grid shows it (month first, "3/10/2010 7:15:00 AM"); the result
// is written the way the grid shows dates. Throws rp::Error when the text is not a date.
QString advanceDateText(const QString& text, const QString& interval, qint64 count);

// The day after the date in a text, at midnight (a daily extreme's row of the next day).
QString nextDayText(const QString& text);

} // namespace rp
