// Successive exports onto the sheets of one workbook.
#include "core/export/ExportSession.h"

#include "core/base/Error.h"
#include "core/export/SeriesSheet.h"
#include "core/export/SpreadsheetExport.h"
#include "core/export/UpdateInPlace.h"
#include "core/export/UpdateWorkbook.h"
#include "formats/xlsx/XlsxPatch.h"
#include "formats/xlsx/XlsxWorkbookWriter.h"

#include <QDir>
#include <QFileInfo>

namespace rp {

ExportSession::ExportSession(QString folder, Opener opener)
    : m_folder(std::move(folder)), m_opener(std::move(opener)) {}

QString ExportSession::sheetName() const {
    return QStringLiteral("Sheet%1").arg(m_xlfcount);
}

bool ExportSession::workbookStillOurs() const {
    if (m_path.isEmpty())
        return false;
    const QFileInfo file(m_path);
    return file.exists() && file.size() == m_writtenSize && file.lastModified() == m_writtenAt;
}

void ExportSession::startNewWorkbook() {
    // A fresh name: an earlier run's workbook, or one the user kept, is never written over.
    const QDir folder(m_folder);
    for (int n = 1;; ++n) {
        const QString path = folder.filePath(QStringLiteral("Book%1.xlsx").arg(n));
        if (!QFileInfo::exists(path)) {
            m_path = path;
            break;
        }
    }
    m_sheets = newWorkbookSheets();
    m_inPlace = false;
}

void ExportSession::openUpdateWorkbook() {
    const QString path = QDir(m_folder).filePath(m_updateName);
    if (!QFileInfo::exists(path))
        writeSpreadsheetWorkbook(path, updateWorkbookTemplate(), {}, true);
    // The user's own workbook: changed in place, never held here.
    m_path = path;
    m_inPlace = true;
}

QString ExportSession::nextSheet(bool update) {
    ++m_xlfcount;
    if (!workbookStillOurs()) {
        m_xlfcount = 1;
        m_path.clear();
        m_sheets.clear();
        if (update)
            openUpdateWorkbook();
        else
            startNewWorkbook();
    }
    return sheetName();
}

SpreadsheetSheet& ExportSession::heldSheet(const QString& name) {
    if (m_inPlace) {
        // A workbook that cannot be changed in place: read and written whole, as its values.
        m_sheets = readWorkbookSheets(m_path);
        m_inPlace = false;
    }
    for (SpreadsheetSheet& sheet : m_sheets)
        if (sheet.name.compare(name, Qt::CaseInsensitive) == 0)
            return sheet;
    SpreadsheetSheet added;
    added.name = name;
    m_sheets.push_back(std::move(added));
    return m_sheets.back();
}

void ExportSession::keepingStateOnFailure(const std::function<void()>& exportWork) {
    const QString path = m_path;
    const int count = m_xlfcount;
    const bool inPlace = m_inPlace;
    const QDateTime writtenAt = m_writtenAt;
    const qint64 writtenSize = m_writtenSize;
    std::vector<SpreadsheetSheet> sheets = m_sheets;
    try {
        exportWork();
    } catch (...) {
        m_path = path;
        m_xlfcount = count;
        m_inPlace = inPlace;
        m_writtenAt = writtenAt;
        m_writtenSize = writtenSize;
        m_sheets = std::move(sheets);
        throw;
    }
}

void ExportSession::exportFile(const QString& path, bool isReport, int valuesPerDay,
                               const Progress& progress) {
    // Read first: an unreadable input leaves even the workbook untouched.
    SpreadsheetSheet content = exportSheet(
        path, isReport, valuesPerDay, progressStage(progress, 0, exportReadingSteps, exportSteps));
    keepingStateOnFailure([&] {
        const QString name = nextSheet(false);
        const Progress writing =
            progressStage(progress, exportReadingSteps, exportSteps, exportSteps);
        if (m_inPlace && (!content.series || content.cells.empty())) {
            try {
                if (content.series)
                    saveSeriesInPlace(m_path, name, *content.series, writing);
                else
                    saveTableInPlace(m_path, name, content, writing);
                noteWritten();
                return;
            } catch (const XlsxPatchRefused&) {
                // Written whole instead, as its values.
            }
        }
        SpreadsheetSheet& sheet = heldSheet(name);
        content.name = sheet.name;
        sheet = std::move(content);
        save(writing);
    });
    show();
}

void ExportSession::exportUpdate(const QString& seriesPath, int valuesPerDay,
                                 const QString& connection, const Progress& progress) {
    SeriesColumns series = readSeriesColumns(
        seriesPath, valuesPerDay, progressStage(progress, 0, exportReadingSteps, exportSteps));
    keepingStateOnFailure([&] {
        const QString name = nextSheet(true);
        const Progress writing =
            progressStage(progress, exportReadingSteps, exportSteps, exportSteps);
        if (m_inPlace) {
            try {
                updateWorkbookInPlace(m_path, name, series, connection, writing);
                noteWritten();
                return;
            } catch (const XlsxPatchRefused&) {
                // A workbook whose parts cannot take the change in place: written whole instead,
                // as its values.
            }
        }
        SpreadsheetSheet& sheet = heldSheet(name);
        prepareUpdateSheet(sheet, connection);
        sheet.series = std::move(series);
        sheet.wideColumnA = true;
        // After the last use of `sheet`: the hidden sheet may be added to m_sheets.
        keepExportedValues(m_sheets, name, *sheet.series);
        save(writing);
    });
    show();
}

void ExportSession::save(const Progress& progress) {
    // The update workbook names a database: its owner alone reads it.
    const bool update = QFileInfo(m_path) == QFileInfo(QDir(m_folder).filePath(m_updateName));
    writeSpreadsheetWorkbook(m_path, m_sheets, progress, update);
    noteWritten();
}

void ExportSession::noteWritten() {
    const QFileInfo written(m_path);
    m_writtenAt = written.lastModified();
    m_writtenSize = written.size();
}

void ExportSession::show() {
    if (m_opener)
        m_opener(m_path);
}

} // namespace rp
