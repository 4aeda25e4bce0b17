#pragma once

// What every data-file reader returns: series with their metadata and values, plus warnings that
// point at lines of the file.
//
// Time rule: every timestamp is the site's local STANDARD time (never daylight time), held as a
// QDateTime with the Qt::UTC timeSpec, whose wall clock is that local standard time (no machine
// zone applies). A timestamp with an offset (WaterML, ISO text) is moved to the site's standard
// offset; an RDB tz_cd code names its zone and daylight codes (EDT, CDT, MDT, PDT, AKDT, HDT) map
// to that zone's standard time (EST, CST, MST, PST, AKST, HST). The site's standard offset comes,
// first found, from the options, the file's own statement of it (WaterML defaultTimeZone, an RDB
// tz_cd code) or the smallest offset the file uses (daylight time is always ahead of standard
// time). Text without any zone is taken as local standard time already. Day, Month and Year values
// are dated by their first day at 00:00; a time of 24:00 is 00:00 of the next day.

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>
#include <stdexcept>

namespace rp::readers {

// Bounds on what a hostile file can make a reader take; past them the read is refused.
inline constexpr qsizetype kMaxInputBytes = 256 * 1024 * 1024;
inline constexpr qsizetype kMaxLineLength = 64 * 1024;
inline constexpr qsizetype kMaxSeries = 1000;
inline constexpr qsizetype kMaxValues = 10'000'000; // all series together
inline constexpr qsizetype kMaxWarnings = 1000;     // further warnings are counted, not kept
inline constexpr int kMaxQuotedChars = 80;

enum class StepKind { Unit, Hour, Day, Month, Year };

struct TimeStep {
    StepKind kind = StepKind::Day;
    int minutes = 0; // Unit only: 15, 30 or 60; 0 when the spacing is irregular
    bool operator==(const TimeStep&) const = default;
};

// Whose qualifier codes a series carries (see Qualifiers.h).
enum class QualifierScheme { Usgs, Hydat };

struct Value {
    QDateTime time; // local standard time, Qt::UTC timeSpec (see above)
    double value = 0;
    QString qualifier; // the file's own code (A, P, e, Ice, A:e, B …), empty when none
};

struct Series {
    QString siteId;    // site or station number as the file writes it
    QString siteName;  // empty when the file does not name the site
    QString parameter; // parameter code or name (00060, Streamflow, FLOW …)
    QString parameterName;
    QString unit;
    QString statistic; // e.g. 00003 or "Mean"; empty for instantaneous values
    TimeStep step;
    std::optional<int> standardOffsetMinutes; // the site's standard offset from UTC when known
    QualifierScheme qualifiers = QualifierScheme::Usgs;
    QList<Value> values; // ascending by time, missing values absent
};

enum class WarningKind {
    NonDataLine,    // a line that is not data (HTML, footnotes, text) was skipped
    BadDate,        // a date or time that does not parse; the row was skipped
    BadValue,       // a value that is not a number; that value was skipped
    MissingColumns, // a row with fewer fields than its header; the absent values were skipped
    DuplicateTime,  // a second value for a time already read; the first one is kept
    OutOfOrder,     // rows not ascending; the values were sorted
    UnknownZone,    // a time-zone code the reader does not know; times taken as standard time
    Truncated,      // more warnings than are kept
};

struct ReadWarning {
    WarningKind kind = WarningKind::NonDataLine;
    qsizetype line = 0; // 1-based; 0 when the warning is about the whole file
    QString message;    // short, quotes at most kMaxQuotedChars characters of the line
};

struct ReadResult {
    QList<Series> series;
    QList<ReadWarning> warnings;
    qsizetype droppedWarnings = 0;
};

// A file the reader refuses as a whole (too large, not of its format, limits passed). The message
// is written for the user to read.
class ReadError : public std::runtime_error {
public:
    explicit ReadError(const QString& message, qsizetype line = 0)
        : std::runtime_error(message.toStdString()), m_message(message), m_line(line) {}
    const QString& message() const noexcept { return m_message; }
    qsizetype line() const noexcept { return m_line; }

private:
    QString m_message;
    qsizetype m_line;
};

} // namespace rp::readers

// A value moves in memory as plain bytes (its members all do): growing a list of millions of them
// copies memory instead of constructing and destroying each.
Q_DECLARE_TYPEINFO(rp::readers::Value, Q_RELOCATABLE_TYPE);
