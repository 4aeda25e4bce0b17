#pragma once

#include "core/reports/ReportOptions.h"
#include "core/reports/ReportWriter.h"
#include "core/reports/StatisticsTable.h"
#include "core/reports/WindDirection.h"

#include <QDate>
#include <QString>
#include <array>

class QIODevice;

namespace rp {

class SeriesReader;

// The table of hourly values: one block per day, hours 1 to 24 (the value stamped 00:00 is the
// 24th hour of the day before) with the day's minimum, maximum, mean and total.
class HourlyTable {
public:
    HourlyTable(QIODevice& out, const QString& header1, const QString& header2,
                const ReportOptions& options);

    // Reads the data lines to the end and writes every block. Throws rp::Error naming the line
    // of malformed input; the output then holds the blocks written before it.
    void run(SeriesReader& in);

private:
    struct Cell {
        QString text; // as printed: 9 characters; empty when the hour has no line
        double value = 0;
    };
    void printBlock();
    void printStatistics();
    QString pattern(double value) const;

    ReportWriter m_w;
    QString m_header1;
    QString m_header2;
    ReportOptions m_options;
    bool m_totalKind = false;
    bool m_twoDecimals = false;
    bool m_waterTemp = false;
    bool m_direction = false;

    int m_dayCounter = 0;
    int m_lastModeIndex = 0;
    QDate m_day;
    std::array<Cell, 25> m_cells; // hours 1..24
    StatisticsTable m_stats{1};
    DirectionTable m_directions{1};
};

// Reads the data lines after the two header lines and writes the hourly table.
void hourlytable(SeriesReader& in, QIODevice& out, const QString& header1, const QString& header2,
                 const ReportOptions& options);

} // namespace rp
