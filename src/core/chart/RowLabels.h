#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace rp {

// The date fields of a chart's rows, kept small: a unit series repeats its date text for every
// value of the day, so each change of date is kept once, and a time "hh:mm" in two bytes.
class RowLabels {
public:
    // The next row: the line's first 11 characters (its date) and, with `withTime`, the 5
    // characters of its time from the 13th unless they read "00:00".
    void append(QByteArrayView line, bool withTime);
    // Rows from 0 take the labels of `front`; the rows after it keep theirs.
    void overlay(RowLabels front);
    void reserve(size_t rows) { m_times.reserve(rows); }

    int size() const { return int(m_times.size()); }
    // The date text of a row (up to 11 characters) and its time text (empty when none).
    QString date(int row) const;
    QString time(int row) const;
    // Whether the dated rows' years (characters 8 to 11) differ.
    bool spansYears() const;

private:
    using DateText = std::array<char, 11>;
    using TimeText = std::array<char, 5>;
    struct DateRun {
        int firstRow;
        DateText text;
    };
    static constexpr std::uint16_t oddTime = 0xffff; // a time not of digits: in m_oddTimes

    std::vector<DateRun> m_dates;                     // one for each change of date text, by row
    std::vector<std::uint16_t> m_times;               // per row: 0 none, 1 + hhmm, or oddTime
    std::vector<std::pair<int, TimeText>> m_oddTimes; // by row
};

} // namespace rp
