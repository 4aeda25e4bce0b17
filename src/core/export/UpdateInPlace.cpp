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
#include <functional>
#include <map>

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

// Writes the changed workbook beside `path` and puts it in its place, readable by its owner alone
// (F2 of the update sheet names a database); a stop asked at the end leaves the old file.
void writePatched(XlsxPatch& patch, const QString& path, const Progress& progress,
                  const std::function<void()>& written) {
    SaveFile out(path);
    if (!out.device().setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw Error(QStringLiteral("%1 cannot be made owner-only: %2")
                        .arg(path, out.device().errorString()));
    patch.write(out.temporaryPath());
    if (written)
        written();
    if (progress && !progress(allSteps, allSteps))
        throw Error(exportCancelledMessage());
    out.commit();
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
    writePatched(patch, path, progress, [&steps] { steps.report(); });
}

// The number formats of a table's cells on one row, as blocks of neighbouring cells that share
// one; they are laid over the block of the whole table, which has them in General.
void addFormattedRuns(XlsxPatch& patch, const QString& sheetName, const SpreadsheetSheet& table,
                      const std::map<std::pair<int, int>, QVariant>& values) {
    auto code = table.numberFormats.begin();
    while (code != table.numberFormats.end()) {
        const int row = code->first.first;
        const int column = code->first.second;
        auto end = std::next(code);
        int count = 1;
        while (end != table.numberFormats.end() && end->first.first == row &&
               end->first.second == column + count && end->second == code->second) {
            ++end;
            ++count;
        }
        XlsxCellBlock run;
        run.firstRow = row + 1;
        run.rowCount = 1;
        run.firstColumn = column;
        run.columnCount = count;
        run.style = patch.cellStyle(code->second.toUtf8(), table.rightAligned);
        run.values = [&values, row, column, count](int, QVariantList& cells) {
            for (int c = column; c < column + count; ++c) {
                const auto found = values.find({row, c});
                cells.append(found == values.end() ? QVariant() : found->second);
            }
        };
        patch.setCells(sheetName, run);
        code = end;
    }
}

} // namespace

void saveTableInPlace(const QString& path, const QString& sheetName, const SpreadsheetSheet& table,
                      const Progress& progress) {
    XlsxPatch patch(path);
    if (!patch.hasSheet(sheetName))
        patch.addSheet(sheetName, false);
    if (table.wideColumnA)
        patch.setColumnWidth(sheetName, 0, wideColumnA);
    std::map<std::pair<int, int>, QVariant> values;
    int rows = 0;
    int columns = 0;
    for (const SheetCell& cell : table.cells) {
        values[{cell.row, cell.column}] = cell.value;
        rows = std::max(rows, cell.row + 1);
        columns = std::max(columns, cell.column + 1);
    }
    if (rows > 0) {
        // The table's rectangle: its cells written, the others in it emptied.
        XlsxCellBlock whole;
        whole.rowCount = rows;
        whole.columnCount = columns;
        whole.style = table.rightAligned ? patch.cellStyle({}, true) : -1;
        whole.values = [&values, columns](int row, QVariantList& cells) {
            for (int c = 0; c < columns; ++c) {
                const auto found = values.find({row - 1, c});
                cells.append(found == values.end() ? QVariant() : found->second);
            }
        };
        patch.setCells(sheetName, whole);
        addFormattedRuns(patch, sheetName, table, values);
    }
    writePatched(patch, path, progress, {});
}

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
