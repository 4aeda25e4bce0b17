#include "core/reports/StatisticsTable.h"

#include "core/base/Error.h"
#include "core/reports/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace rp {

StatisticsTable::StatisticsTable(int columns)
    : m_columns(columns), m_values(4 * std::size_t(columns + 1), 0.0) {}

double StatisticsTable::at(int kind, int column) const {
    if (column < 0 || column > m_columns)
        throw Error(QStringLiteral("Statistics column %1 is out of range.").arg(column));
    return m_values[std::size_t(kind * (m_columns + 1) + column)];
}

double StatisticsTable::mean(int column) const {
    const double n = count(column);
    return n > 0 ? sum(column) / n : 0.0;
}

void StatisticsTable::clear() {
    std::fill(m_values.begin(), m_values.end(), 0.0);
}

void StatisticsTable::add(int column, double value) {
    if (column < 0 || column > m_columns)
        throw Error(QStringLiteral("Statistics column %1 is out of range.").arg(column));
    const std::size_t stride = std::size_t(m_columns + 1);
    double& n = m_values[column];
    double& min = m_values[stride + column];
    double& max = m_values[2 * stride + column];
    double& sum = m_values[3 * stride + column];
    n += 1;
    if (n == 1) {
        min = value;
        max = value;
    }
    if (value < min)
        min = value;
    if (value > max)
        max = value;
    sum += value;
    if (!std::isfinite(sum))
        throw Error(QStringLiteral("Overflow: the sum of a report column is too large."));
}

void statistics(int column, QStringView text, StatisticsTable& stats) {
    stats.add(column, leadingNumber(text));
}

} // namespace rp
