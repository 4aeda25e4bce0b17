#pragma once

#include "core/reports/ReportOptions.h"
#include "core/reports/ReportWriter.h"

#include <QString>
#include <array>

class QIODevice;

namespace rp {

class SeriesReader;

// The table of monthly values: one row per year with the twelve months side by side and, for
// flows and volumes, the year's total; a new page with its own header every 49 rows.
class MonthlyTable {
public:
    MonthlyTable(QIODevice& out, const QString& header1, const QString& header2,
                 const ReportOptions& options);

    // Reads the data lines to the end and writes the table. Throws rp::Error naming the line of
    // malformed input; the output then holds the rows written before it.
    void run(SeriesReader& in);

private:
    struct Cell {
        QString text; // 9 characters; empty when the month has no line
        double value = 0;
    };
    void printHeader();
    void printRow();

    ReportWriter m_w;
    QString m_header1;
    QString m_header2;
    ReportOptions m_options;
    bool m_totalWanted = false;
    int m_lineCount = 0;
    int m_year = 0;
    std::array<Cell, 13> m_cells;
};

// Reads the data lines after the two header lines and writes the monthly table.
void monthlytable(SeriesReader& in, QIODevice& out, const QString& header1, const QString& header2,
                  const ReportOptions& options);

} // namespace rp
