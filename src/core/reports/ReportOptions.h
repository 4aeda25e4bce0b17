#pragma once

#include <QDate>
#include <QString>

namespace rp {

class AggregateSink;

// What a table report needs besides its input and output.
struct ReportOptions {
    // Lay the report out for import into a spreadsheet ("Excel" ticked).
    bool excel = false;
    // The station identifier of the chosen site; "1".."4" select the agency prefix.
    QString stationId;
    // The date printed in the daily table's title.
    QDate today = QDate::currentDate();
    // Page the daily table by water year (October to September) instead of calendar year.
    bool waterYear = false;
    // Where the daily table hands its monthly and yearly aggregates; none when null.
    AggregateSink* sink = nullptr;
};

} // namespace rp
