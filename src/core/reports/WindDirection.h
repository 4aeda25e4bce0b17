#pragma once

#include <QString>
#include <array>
#include <vector>

namespace rp {

// Wind direction in quarter turns clockwise from north: 0 and 4 north, 1 east, 2 south, 3 west.
inline constexpr double directionTurn = 6.283185307; // the decimal literal the reports use

// The 16-point compass label of a direction value (0 and 4 "North", 2.25 "SSW"); a value between
// two points gives the trimmed six-character window where it falls.
QString compassLabel(double value);

// Compass index 0..16 of a value: value x 4 rounded (halves to even), with 0 counted as 4.
int compassIndex(double value);

// The mode scan: the lowest index with the strictly greatest count; `previous` when no index
// has a count above 0.
int modeIndex(const std::array<int, 17>& counts, int previous);

// Vector sums and compass-point counts per column (months 1..12 and the year 13 of the daily
// table; a single column for a day of the hourly table).
class DirectionTable {
public:
    explicit DirectionTable(int columns);

    // Adds one value to the given column. Throws rp::Error for a value outside 0..4.
    void add(int column, double value);
    void clear();

    double sineSum(int column) const { return m_columns[column].sines; }
    double cosineSum(int column) const { return m_columns[column].cosines; }
    // Both sums exactly 0: no data, or vectors that cancel.
    bool isNull(int column) const;
    const std::array<int, 17>& counts(int column) const { return m_columns[column].counts; }

    // The vector mean rounded to the 16 points: above 0 up to 4, exact north is 4.
    double vectorMean(int column) const;

private:
    struct Column {
        double sines = 0;
        double cosines = 0;
        std::array<int, 17> counts{};
    };
    std::vector<Column> m_columns;
};

} // namespace rp
