#pragma once

#include "core/base/TimeStep.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

namespace rp {

// The slot table of a gap-filled series: rows are years (Year, Month) or days (the others), each
// with its slots (12 months, 24 hours, or one), bounded by the dates of the date boxes. A later
// record for a slot replaces an earlier one.
class SeriesSlots {
public:
    // Throws rp::Error when the date boxes do not hold dates (or years).
    SeriesSlots(TimeStep step, const QString& startText, const QString& endText);

    // Puts a record's value text in its slot; throws rp::Error when it lies outside the span.
    void store(const QDateTime& when, const QString& value);

    using LineWriter = std::function<void(const QByteArray& dateField, const QString& value)>;
    // Writes one line per slot from the first record's row (the start year for Year) up to the
    // end of the span, not past the last record's date and time (years and months run to the end
    // year).
    void write(const QDateTime& last, const LineWriter& line) const;

private:
    struct Entry {
        qint64 row;
        int slot;
        QString value;
    };
    void rowAndSlot(const QDateTime& when, qint64& row, int& slot) const;

    TimeStep m_step;
    qint64 m_startRow = 0;
    qint64 m_endRow = 0;
    int m_firstSlot = 0;
    int m_lastSlot = 0;
    bool m_haveFirst = false;
    qint64 m_firstRow = 0;
    std::vector<Entry> m_entries;
};

} // namespace rp
