#pragma once

// Pieces every reader shares: bounded line splitting, number and timestamp parsing, time-zone
// codes, and the builder that checks the limits and hands back sorted series.

#include "formats/readers/ReadOptions.h"
#include "formats/readers/ReadResult.h"

#include <QByteArrayView>
#include <QDate>
#include <QHash>
#include <climits>
#include <optional>

namespace rp::readers::detail {

// At most kMaxQuotedChars characters of a line, for a warning.
QString quoted(QByteArrayView line);

// Refuses input larger than kMaxInputBytes.
void checkInputSize(qsizetype size);

// Splits bytes into lines (LF or CR LF), numbered from 1; a line longer than kMaxLineLength is
// refused with its number.
class Lines {
public:
    explicit Lines(QByteArrayView bytes) : m_bytes(bytes) { checkInputSize(bytes.size()); }
    bool next();
    QByteArrayView line() const { return m_line; }
    qsizetype number() const { return m_number; }

private:
    QByteArrayView m_bytes;
    QByteArrayView m_line;
    qsizetype m_pos = 0;
    qsizetype m_number = 0;
};

QByteArrayView trimmed(QByteArrayView text);

// A finite decimal number (leading and trailing blanks allowed), or nothing.
std::optional<double> parseNumber(QByteArrayView text);

// A timestamp as written: date, seconds after midnight (86400 for 24:00) and its offset from UTC
// when the text carries one.
struct Stamp {
    QDate date;
    int seconds = 0;
    bool hasTime = false;
    std::optional<int> offsetMinutes;
};

// YYYY-MM-DD, YYYY-MM (first of the month), each optionally followed by " " or "T" and HH,
// HH:MM or HH:MM:SS[.fff], then optionally Z or ±HH[:MM]. 24:00 is allowed; nothing else
// past 23:59:59.
std::optional<Stamp> parseIsoStamp(QByteArrayView text);

// A US time-zone code (EST, EDT, CST … UTC) as its offset from UTC; daylight is set for daylight
// codes. Nothing for an unknown code.
struct ZoneCode {
    int offsetMinutes = 0;
    int standardOffsetMinutes = 0;
};
std::optional<ZoneCode> zoneCode(QByteArrayView code);

// Splits a line at a one-character delimiter, honouring double quotes (a doubled quote inside
// quotes is one quote); with collapse, runs of the delimiter count as one (DateValue's blanks).
QList<QByteArray> splitFields(QByteArrayView line, char delimiter, bool collapse = false);

// The same split without a copy per field, for the data lines: views into the line when it
// quotes nothing, else into unquoted copies held here. Reused from line to line.
class FieldViews {
public:
    void split(QByteArrayView line, char delimiter, bool collapse = false);
    qsizetype size() const { return m_views.size(); }
    bool isEmpty() const { return m_views.isEmpty(); }
    QByteArrayView operator[](qsizetype i) const { return m_views[i]; }
    QByteArrayView value(qsizetype i) const {
        return i >= 0 && i < m_views.size() ? m_views[i] : QByteArrayView();
    }
    const QByteArrayView* begin() const { return m_views.cbegin(); }
    const QByteArrayView* end() const { return m_views.cend(); }

private:
    QVarLengthArray<QByteArrayView, 16> m_views;
    QList<QByteArray> m_unquoted;
};

// A USGS statistic code as its name (00003 → Mean); unknown codes stay as they are.
QString statisticName(const QString& code);

// Text with numeric character references (&#176;) written out, as WaterML names carry them.
QString withCharacterReferences(QString text);

// Steps from the most common spacing of sorted times; instantaneous readings of 60 minutes are
// Unit 60, aggregated ones Hour.
TimeStep stepFromSpacing(const QList<Value>& values, bool instantaneous);

// Collects series and values within the limits, and finishes them: times moved to the site's
// standard time, values sorted ascending, duplicates and disorder reported.
class Builder {
public:
    enum class StepFrom { File, Spacing, SpacingInstantaneous };
    explicit Builder(const ReadOptions& options) : m_options(options) {}
    int addSeries(Series series, StepFrom stepFrom = StepFrom::File);
    Series& series(int index) { return m_result.series[index]; }
    int seriesCount() const { return int(m_result.series.size()); }
    void add(int series, const Stamp& stamp, double value, const QString& qualifier,
             qsizetype line);
    void warn(WarningKind kind, qsizetype line, const QString& message);
    QString qualifier(QByteArrayView code);
    ReadResult finish();

private:
    struct Pending {
        QList<qsizetype> lines;
        QList<int> offsets; // INT_MIN: the time was written without a zone
        StepFrom stepFrom = StepFrom::File;
    };
    void finishSeries(Series& series, Pending& pending);
    QString qualifierText(QByteArrayView code);

    ReadOptions m_options;
    ReadResult m_result;
    QList<Pending> m_pending;
    QHash<QByteArray, QString> m_qualifiers;
    QByteArray m_lastCode;
    QString m_lastQualifier;
    qsizetype m_values = 0;
};

} // namespace rp::readers::detail
