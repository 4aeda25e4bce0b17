#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace rp {

// Date and time texts as the program and its users write them. Date-times are "naive" (no time
// zone): they are always held as QDateTime in Qt::UTC so no daylight-saving shift can touch them.

// Reads a date, with an optional time of day, the way the text between # marks is read:
// 05-Mar-1999, 5-March-1999, 3/5/1999 and 3/5/99 (month first), 1999-03-05, each optionally
// followed by 13:45, 13:45:10, 1:45 PM or 1:45:10 pm. Returns nothing for anything else,
// including dates that are not on the calendar (31-Feb-2012).
std::optional<QDateTime> parseJetDateTime(QStringView text);

// Makes a naive date-time (Qt::UTC) from a date and a time.
QDateTime naiveDateTime(QDate date, QTime time = QTime(0, 0));

// "YYYY-MM-DD HH:MM:SS": how the embedded database stores date_time.
QString isoDateTimeText(const QDateTime& dateTime);
// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM", "YYYY-MM-DD HH:MM:SS" (optionally with fractional
// seconds or a 'T' separator). Returns nothing for anything else.
std::optional<QDateTime> parseIsoDateTime(QStringView text);

// How the grid shows a date-time: month first, "3/5/1999" at midnight, "3/5/1999 7:15:00 AM"
// otherwise.
QString gridDateTimeText(const QDateTime& dateTime);

} // namespace rp
