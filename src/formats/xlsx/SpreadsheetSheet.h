#pragma once

#include <QString>
#include <QVariant>
#include <map>
#include <optional>
#include <vector>

namespace rp {

// One cell outside a sheet's series columns: a table token, the connection cell of the update
// sheet, or a cell the update workbook already held. Rows and columns count from 0.
struct SheetCell {
    int row = 0;
    int column = 0;
    QVariant value; // QString, double, bool or QDateTime (a date cell)
    bool white = false;
};

// How the category axis of a series chart runs.
enum class ChartAxisKind { Days, Months, Years, Categories };

struct SeriesChart {
    QString title;          // line 1 of the series file from its third character
    QString valueAxisTitle; // line 2, trimmed
    ChartAxisKind axis = ChartAxisKind::Days;
    int labelSpacing = 0; // labels and tick marks every so many categories (sub-daily)
};

// The series columns of a sheet: the header lines in A1 and A2, dates in column A and values in
// column B from row 11, and the chart drawn from them.
struct SeriesColumns {
    QString line1;
    QString line2;
    bool timeOfDay = false;     // dates carry hours and minutes
    std::vector<double> dates;  // workbook date serials (serialFromDateTime)
    std::vector<double> values; // numbers; see kinds
    enum Kind : unsigned char { Empty, Number, Text };
    std::vector<Kind> kinds;
    std::vector<std::pair<qsizetype, QString>> texts; // value texts that are no numbers, by index
    SeriesChart chart;

    qsizetype size() const { return static_cast<qsizetype>(dates.size()); }
};

inline constexpr int seriesFirstRow = 10; // row 11
inline constexpr qint64 worksheetRows = 1048576;
// The most values a series can have below its header rows.
inline constexpr qint64 seriesMostValues = worksheetRows - seriesFirstRow;

// Throws rp::Error, saying so plainly, when `count` values do not fit below a sheet's header.
void checkSeriesFitsSheet(qint64 count);

// One worksheet of an export workbook as the program keeps it between exports.
struct SpreadsheetSheet {
    QString name;
    std::optional<SeriesColumns> series;
    std::vector<SheetCell> cells;
    bool rightAligned = false; // the table export aligns every cell right
    bool wideColumnA = false;  // column A 15 characters wide
    bool hidden = false;       // not shown by the spreadsheet application
    // Number cells shown through a format, by (row, column): the code that shows each as its
    // text was written. Others show in General.
    std::map<std::pair<int, int>, QString> numberFormats;
};

// A new workbook's sheets: three empty ones, Sheet1 to Sheet3, as a spreadsheet application
// starts one.
inline std::vector<SpreadsheetSheet> newWorkbookSheets() {
    std::vector<SpreadsheetSheet> sheets(3);
    for (size_t i = 0; i < sheets.size(); ++i)
        sheets[i].name = QStringLiteral("Sheet%1").arg(i + 1);
    return sheets;
}

// What a spreadsheet export stopped by the user says.
inline QString exportCancelledMessage() {
    return QStringLiteral("The export was cancelled; nothing was written.");
}

} // namespace rp
