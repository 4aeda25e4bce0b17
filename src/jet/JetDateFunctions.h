#pragma once

#include <QVariant>

namespace rp::jet {

// Jet's date functions. Dates arrive as date-time values, ISO text or Jet date text and leave
// as "YYYY-MM-DD HH:MM:SS" text; Null in gives Null out. Bad arguments throw rp::Error.

QVariant year(const QVariant& date);
QVariant month(const QVariant& date);
QVariant day(const QVariant& date);
QVariant hour(const QVariant& date);
QVariant minute(const QVariant& date);
QVariant second(const QVariant& date);
// 1 for Sunday … 7 for Saturday, or counted from firstDayOfWeek (1 = Sunday).
QVariant weekday(const QVariant& date, const QVariant& firstDayOfWeek = 1);

// Intervals: yyyy q m y d w ww h n s.
QVariant dateAdd(const QVariant& interval, const QVariant& number, const QVariant& date);
// Counts the interval boundaries crossed from date1 to date2, as Jet does: from 31-Dec to
// 1-Jan is one year.
QVariant dateDiff(const QVariant& interval, const QVariant& date1, const QVariant& date2,
                  const QVariant& firstDayOfWeek = 1);
QVariant datePart(const QVariant& interval, const QVariant& date,
                  const QVariant& firstDayOfWeek = 1);
// Months and days beyond their range carry over: (1999, 13, 1) is 1-Jan-2000, day 0 the last
// day of the month before. Years 0-29 are 2000-2029, 30-99 are 1930-1999.
QVariant dateSerial(const QVariant& year, const QVariant& month, const QVariant& day);
// A time of day on day zero (30-Dec-1899); minutes and seconds beyond their range carry over.
QVariant timeSerial(const QVariant& hour, const QVariant& minute, const QVariant& second);
// The date part of a date or date text, at midnight.
QVariant dateValue(const QVariant& date);
QVariant now();
QVariant today();

} // namespace rp::jet
