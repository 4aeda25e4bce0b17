#pragma once

#include <QStringView>
#include <vector>

namespace rp {

// Running count, minimum, maximum and sum per report column (columns 1..columns; column 0 is
// kept so callers can index months and hours from 1). A column that never received a value keeps
// all four at 0.
class StatisticsTable {
public:
    explicit StatisticsTable(int columns = 12);

    int columns() const { return m_columns; }
    double count(int column) const { return at(0, column); }
    double minimum(int column) const { return at(1, column); }
    double maximum(int column) const { return at(2, column); }
    double sum(int column) const { return at(3, column); }
    // Sum divided by count, or 0 when the column has no value.
    double mean(int column) const;

    void clear();
    // Adds one value to a column; throws rp::Error for a column outside 0..columns or when the
    // sum overflows.
    void add(int column, double value);

private:
    double at(int kind, int column) const;
    int m_columns;
    std::vector<double> m_values; // [kind * (columns + 1) + column]
};

// Adds the leading number of a value text (0 when it has none) to a column of the table.
void statistics(int column, QStringView text, StatisticsTable& stats);

} // namespace rp
