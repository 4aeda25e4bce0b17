// The update workbook DBedit.xlsx: its template, reading it back, readying its sheet.
#include "core/export/UpdateWorkbook.h"

#include "core/base/Error.h"
#include "core/db/ConnectionPassword.h"
#include "core/db/ConnectionString.h"
#include "formats/xlsx/XlsxReader.h"

#include <algorithm>

namespace rp {

std::vector<SpreadsheetSheet> updateWorkbookTemplate() {
    std::vector<SpreadsheetSheet> sheets = newWorkbookSheets();
    const QStringList note{
        QStringLiteral("Rivelpost update workbook"),
        QStringLiteral("UPDATE database with Excel fills columns A and B of a sheet: A1 and A2 "
                       "the series, from row 11 dates and values."),
        QStringLiteral("Change, add or empty values in column B, save the workbook, then press "
                       "\"Apply workbook...\" in the Graph/Table dialog"),
        QStringLiteral("or run: rivelpost-cli apply-update DBedit.xlsx --sheet Sheet1"),
    };
    for (int i = 0; i < note.size(); ++i)
        sheets[0].cells.push_back({3 + i, 3, note[i], false});
    return sheets;
}

std::vector<SpreadsheetSheet> readWorkbookSheets(const QString& path) {
    const XlsxReader reader(path);
    std::vector<SpreadsheetSheet> sheets;
    for (qsizetype index = 0; index < reader.sheetNames().size(); ++index) {
        SpreadsheetSheet sheet;
        sheet.name = reader.sheetNames()[index];
        const QList<QVariantList> rows = reader.readSheet(index);
        for (int row = 0; row < rows.size(); ++row)
            for (int column = 0; column < rows[row].size(); ++column)
                if (!rows[row][column].isNull())
                    sheet.cells.push_back({row, column, rows[row][column], false});
        sheet.hidden = isExportedValuesSheet(sheet.name);
        sheets.push_back(std::move(sheet));
    }
    if (sheets.empty())
        throw Error(QStringLiteral("%1 holds no worksheet.").arg(path));
    return sheets;
}

void prepareUpdateSheet(SpreadsheetSheet& sheet, const QString& connection) {
    std::erase_if(sheet.cells, [](const SheetCell& cell) {
        return cell.column <= 1 ||
               (cell.row == connectionCellRow && cell.column == connectionCellColumn);
    });
    sheet.series.reset();
    sheet.cells.push_back(
        {connectionCellRow, connectionCellColumn, connectionWithoutPassword(connection), true});
}

QString exportedValuesSheetName(const QString& sheetName) {
    return sheetName + QStringLiteral(" exported");
}

bool isExportedValuesSheet(const QString& sheetName) {
    return sheetName.endsWith(QLatin1String(" exported"), Qt::CaseInsensitive);
}

void keepExportedValues(std::vector<SpreadsheetSheet>& sheets, const QString& sheetName,
                        const SeriesColumns& series) {
    SpreadsheetSheet kept;
    kept.name = exportedValuesSheetName(sheetName);
    kept.hidden = true;
    for (qsizetype i = 0; i < series.size(); ++i) {
        const int row = static_cast<int>(i);
        kept.cells.push_back({row, 0, series.dates[i], false});
        if (series.kinds[i] == SeriesColumns::Number)
            kept.cells.push_back({row, 1, series.values[i], false});
    }
    for (const auto& [index, text] : series.texts)
        kept.cells.push_back({static_cast<int>(index), 1, text, false});
    for (SpreadsheetSheet& sheet : sheets)
        if (sheet.name.compare(kept.name, Qt::CaseInsensitive) == 0) {
            sheet = std::move(kept);
            return;
        }
    sheets.push_back(std::move(kept));
}

bool isWorkbookConnection(const QString& connection) {
    if (connection.toUpper().contains(QLatin1String("EXCEL")))
        return true;
    try {
        return ConnectionString::parse(connection).backendKind() == BackendKind::Workbook;
    } catch (const Error&) {
        // Not a connection string the program reads: the text alone decides.
        return false;
    }
}

} // namespace rp
