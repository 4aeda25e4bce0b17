// An update written into the user's own update workbook without rewriting the rest of it.
#include "core/export/UpdateInPlace.h"

#include "core/base/Error.h"
#include "core/base/SaveFile.h"
#include "core/db/ConnectionPassword.h"
#include "core/export/UpdateWorkbook.h"
#include "formats/xlsx/XlsxDates.h"
#include "formats/xlsx/XlsxPatch.h"
#include "formats/xlsx/XlsxWorkbookWriter.h"

#include <QTemporaryDir>
#include <algorithm>

namespace rp {

namespace {

// Steps of the whole: the chart's workbook, then the cells and packing.
constexpr qint64 chartSteps = 1;
constexpr qint64 allSteps = 3;
// Column A 15 characters wide, as the workbook writer gives it.
const QByteArray wideColumnA = "15.7109375";

QVariant valueAt(const SeriesColumns& series, qsizetype i) {
    switch (series.kinds[size_t(i)]) {
    case SeriesColumns::Number:
        return series.values[size_t(i)];
    case SeriesColumns::Text: {
        const auto found = std::lower_bound(series.texts.begin(), series.texts.end(), i,
                                            [](const std::pair<qsizetype, QString>& entry,
                                               qsizetype at) { return entry.first < at; });
        if (found != series.texts.end() && found->first == i && !found->second.isEmpty())
            return found->second;
        return {};
    }
    case SeriesColumns::Empty:
        break;
    }
    return {};
}

QVariant dateAt(const SeriesColumns& series, qsizetype i) {
    const std::optional<QDateTime> date = dateTimeFromSerial(series.dates[size_t(i)]);
    if (!date)
        return series.dates[size_t(i)];
    return *date;
}

QVariant textCell(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text.left(32767));
}

// The series' chart, made by the workbook writer in a workbook of its own whose one sheet has
// the update sheet's name, so that the chart's ranges name the right sheet.
QString writeChartBook(const QTemporaryDir& scratch, const QString& sheetName,
                       const SeriesColumns& series, const Progress& progress) {
    if (series.size() == 0)
        return {};
    SpreadsheetSheet sheet;
    sheet.name = sheetName;
    sheet.series = series;
    sheet.wideColumnA = true;
    const QString path = scratch.filePath(QStringLiteral("chart.xlsx"));
    writeSpreadsheetWorkbook(path, {sheet}, progress);
    return path;
}

// F2 the connection string in white, and the hidden sheet the exported values. The blocks ask
// for their values while the patch is written, from what the references name.
void keepConnectionAndValues(XlsxPatch& patch, const QString& sheetName,
                             const SeriesColumns& series, const QString& connection,
                             ProgressSteps& steps) {
    XlsxCellBlock connectionCell;
    connectionCell.firstColumn = connectionCellColumn;
    connectionCell.firstRow = connectionCellRow + 1;
    connectionCell.rowCount = 1;
    connectionCell.style = patch.whiteTextStyle();
    connectionCell.values = [&connection](int, QVariantList& values) {
        values = {textCell(connectionWithoutPassword(connection))};
    };
    patch.setCells(sheetName, connectionCell);

    XlsxCellBlock exported;
    exported.columnCount = 2;
    exported.rowCount = int(series.size());
    exported.clearBelow = true;
    exported.values = [&series, &steps](int row, QVariantList& values) {
        steps.step();
        values = {series.dates[size_t(row - 1)], valueAt(series, row - 1)};
    };
    patch.setCells(exportedValuesSheetName(sheetName), exported);
}

// The series' columns on the sheet, and with `connection` (an update) F2, the hidden sheet and
// the sheet's last chart replaced; without (a SAVE export) the chart added to the others.
void writeSeriesInPlace(const QString& path, const QString& sheetName, const SeriesColumns& series,
                        const QString* connection, const Progress& progress) {
    checkSeriesFitsSheet(series.size());
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw Error(
            QStringLiteral("No temporary folder for the workbook: %1").arg(scratch.errorString()));
    const QString chartBook = writeChartBook(scratch, sheetName, series,
                                             progressStage(progress, 0, chartSteps, allSteps));

    XlsxPatch patch(path);
    const QString kept = exportedValuesSheetName(sheetName);
    if (!patch.hasSheet(sheetName))
        patch.addSheet(sheetName, false);
    if (connection && !patch.hasSheet(kept))
        patch.addSheet(kept, true);
    if (connection)
        patch.removeLastChart(sheetName);
    if (!chartBook.isEmpty())
        patch.addChart(sheetName, chartBook);
    patch.setColumnWidth(sheetName, 0, wideColumnA);

    const QString cancelled = exportCancelledMessage();
    ProgressSteps steps(progressStage(progress, chartSteps, allSteps - 1, allSteps),
                        (connection ? 2 : 1) * series.size(), cancelled);
    const int firstRow = seriesFirstRow + 1;
    XlsxCellBlock columns;
    columns.columnCount = 2;
    columns.rowCount = seriesFirstRow + int(series.size());
    columns.clearBelow = true;
    columns.styleFromRow = firstRow;
    columns.dateFormat = seriesDateFormat(series);
    columns.values = [&](int row, QVariantList& values) {
        if (row < firstRow) {
            values = {textCell(row == 1 ? series.line1 : row == 2 ? series.line2 : QString())};
            return;
        }
        steps.step();
        const qsizetype i = row - firstRow;
        values = {dateAt(series, i), valueAt(series, i)};
    };
    patch.setCells(sheetName, columns);
    if (connection)
        keepConnectionAndValues(patch, sheetName, series, *connection, steps);

    SaveFile out(path);
    // Owner-only before a byte is written: F2 names a database.
    if (!out.device().setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw Error(QStringLiteral("%1 cannot be made owner-only: %2")
                        .arg(path, out.device().errorString()));
    patch.write(out.temporaryPath());
    steps.report();
    if (progress && !progress(allSteps, allSteps))
        throw Error(cancelled);
    out.commit();
}

} // namespace

void updateWorkbookInPlace(const QString& path, const QString& sheetName,
                           const SeriesColumns& series, const QString& connection,
                           const Progress& progress) {
    writeSeriesInPlace(path, sheetName, series, &connection, progress);
}

void saveSeriesInPlace(const QString& path, const QString& sheetName, const SeriesColumns& series,
                       const Progress& progress) {
    writeSeriesInPlace(path, sheetName, series, nullptr, progress);
}

} // namespace rp
