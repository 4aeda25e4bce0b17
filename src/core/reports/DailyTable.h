#pragma once

#include "core/reports/ReportOptions.h"
#include "core/reports/ReportWriter.h"
#include "core/reports/StatisticsTable.h"
#include "core/reports/WindDirection.h"

#include <QString>
#include <QVariant>
#include <array>

class QIODevice;

namespace rp {

class SeriesReader;

// The yearly table of daily values: one page per calendar year (or water year) with the day
// grid, monthly minimum, maximum, mean and total, and the annual line.
class DailyTable {
public:
    DailyTable(QIODevice& out, const QString& header1, const QString& header2,
               const ReportOptions& options);

    // Reads the data lines to the end and writes every page. Throws rp::Error naming the line
    // of malformed input; the output then holds the pages written before it.
    void run(SeriesReader& in);

private:
    struct Cell {
        QString text; // as printed: 9 characters
        double value = 0;
        bool stored = false;
    };
    struct Kind {
        bool flow = false;
        bool totalKind = false;
        bool twoDecimals = false;
        bool waterTemp = false;
        bool inches = false;
        bool etOrRain = false;
        bool direction = false;
        bool cumulative = false;
    };

    int columnOfMonth(int month) const;
    int monthOfColumn(int column) const;
    int calendarYear(int column) const;
    void startPage(int pageYear);
    void printPage();
    void printTitle();
    void printDayRows();
    void printStatisticsRows();
    // Returns the value the yearly write-back stores.
    QVariant printAnnualLines();
    QString cellPattern(double value) const;
    void writeMonthly(int column, const QVariant& value);

    ReportWriter m_w;
    QString m_header1;
    QString m_header2;
    ReportOptions m_options;
    Kind m_kind;
    double m_factor = 1.0;
    int m_lastModeIndex = 0;

    // One page.
    int m_year = 0;
    std::array<std::array<Cell, 32>, 13> m_cells; // [column][day]
    StatisticsTable m_stats{12};
    DirectionTable m_directions{13};
    std::array<bool, 13> m_hasData{};
    int m_dayCount = 0;
    double m_annual = 0;
    QString m_annualFormat;
};

// Reads the data lines after the two header lines and writes the daily table.
void dailytable(SeriesReader& in, QIODevice& out, const QString& header1, const QString& header2,
                const ReportOptions& options);

} // namespace rp
