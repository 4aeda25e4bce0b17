#include "core/export/SpreadsheetExport.h"

#include "core/export/ReportTokenizer.h"
#include "core/export/SeriesSheet.h"
#include "formats/xlsx/XlsxWorkbookWriter.h"

namespace rp {

SpreadsheetSheet exportSheet(const QString& input, bool isReport, int valuesPerDay,
                             const Progress& progress) {
    SpreadsheetSheet sheet;
    if (isReport)
        sheet = readReportSheet(input);
    else
        sheet.series = readSeriesColumns(
            input, valuesPerDay < 0 ? valuesPerDayOfSeriesFile(input) : valuesPerDay, progress);
    sheet.wideColumnA = true;
    return sheet;
}

void writeExportWorkbook(const QString& input, bool isReport, int valuesPerDay,
                         const QString& output, const Progress& progress) {
    std::vector<SpreadsheetSheet> sheets = newWorkbookSheets();
    SpreadsheetSheet content = exportSheet(
        input, isReport, valuesPerDay, progressStage(progress, 0, exportReadingSteps, exportSteps));
    content.name = sheets[0].name;
    sheets[0] = std::move(content);
    writeSpreadsheetWorkbook(output, sheets,
                             progressStage(progress, exportReadingSteps, exportSteps, exportSteps));
}

} // namespace rp
