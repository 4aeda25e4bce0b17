#pragma once

#include <QDate>
#include <QString>
#include <array>

namespace rp {

// The eight retrieval granularities, in the order of the main window's option buttons.
enum class TimeStep { Year, Month, Day, Hour, Unit, DayMax, DayMin, UnitShift };

inline constexpr int timeStepCount = 8;
inline constexpr TimeStep defaultTimeStep = TimeStep::Day;

struct TimeStepInfo {
    TimeStep step;
    const char* caption;  // option button caption
    const char* table;    // value table
    bool allColumns;      // "SELECT *" rather than the four named columns
    const char* interval; // interval code: y m d h n
    bool endDateMovedOn;  // upper bound is the end date plus one day
    const char* heading;  // series file heading
    const char* code;     // series file code: a digit and one space
};

const std::array<TimeStepInfo, timeStepCount>& timeSteps();
const TimeStepInfo& timeStepInfo(TimeStep step);
// Index 0..7 as the option buttons number them; anything else throws rp::Error.
TimeStep timeStepFromIndex(int index);
inline int timeStepIndex(TimeStep step) {
    return static_cast<int>(step);
}

// "dd-MMM-yyyy" with English month abbreviations whatever the locale: 05-Mar-1999.
QString jetDateText(QDate date);
// Month m (1..12) from the fixed month table "  JanFeb...Dec".
QString monthAbbreviation(int month);
// 1..12 for an English three-letter abbreviation (any case), 0 otherwise.
int monthFromAbbreviation(QStringView text);

// The upper bound of a retrieval: the end date as typed (trimmed), or, for the steps that move it,
// the end date read as a date plus one day written "dd-MMM-yyyy". Throws rp::Error when the end
// date must be read and is not a date.
QString retrievalUpperBound(TimeStep step, const QString& endDate);

// "SELECT * FROM rday WHERE datatype_site_id=K AND date_time BETWEEN #S# AND #E# ORDER BY
// date_time;"
QString retrievalStatement(TimeStep step, const QString& key, const QString& start,
                           const QString& upperBound);

// A table as a workbook names it in SQL: [rday$].
QString worksheetName(const QString& table);

} // namespace rp
