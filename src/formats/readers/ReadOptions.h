#pragma once

#include "formats/readers/ReadResult.h"

#include <QChar>
#include <QString>
#include <QStringView>
#include <optional>

namespace rp::readers {

// What the user can tell a reader that the file does not say (or says wrongly).
struct ReadOptions {
    // The site's standard offset from UTC; overrides what the file says (see ReadResult.h).
    std::optional<int> standardOffsetMinutes;
    // The offset of times written without any zone (e.g. a CSV stored in UTC: 0); unset means
    // they are local standard time already.
    std::optional<int> zonelessOffsetMinutes;
    std::optional<TimeStep> step; // overrides the step found from the file
    // Generic CSV only: the field delimiter, the date format (QDateTime::fromString form, e.g.
    // "dd.MM.yyyy HH:mm") and the 0-based date column; unset ones are found from the file.
    QChar delimiter;
    QString dateFormat;
    int dateColumn = -1;
};

// An offset from UTC as a user writes it ("0", "UTC", "Z", "-5", "-05:00", "+0530", "UTC-5", or a
// US zone code such as "EST" or "PDT") in minutes; nullopt for anything else or beyond ±14 hours.
std::optional<int> utcOffsetMinutes(QStringView text);

} // namespace rp::readers
