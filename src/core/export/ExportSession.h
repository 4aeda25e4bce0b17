#pragma once

#include "core/base/Progress.h"
#include "core/export/UpdateWorkbook.h"
#include "formats/xlsx/SpreadsheetSheet.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

namespace rp {

// The spreadsheet export of a program run: one workbook in the program's folder whose sheets
// successive exports fill (Sheet1, Sheet2 ...; from the fourth export on a sheet is added). The
// program's own workbook is kept in memory and written whole after each export; the update
// workbook is the user's, and an UPDATE changes it in place, keeping what it does not write. When
// the workbook's file is gone (deleted or renamed) or was saved by someone else, the next export
// starts afresh at Sheet1, in a new workbook (SAVE) or the update workbook (UPDATE): it never
// writes over what another program saved there.
class ExportSession {
public:
    // Shows a written workbook to the user (the desktop's spreadsheet application).
    using Opener = std::function<void(const QString& path)>;

    ExportSession(QString folder, Opener opener);

    // The update workbook's file name in the folder; DBedit.xlsx unless set.
    void setUpdateWorkbookName(const QString& name) { m_updateName = name; }

    // SAVE with Excel: the series file, or the report when `isReport`, onto the next sheet.
    // An export that fails or is stopped through `progress` leaves the session and its workbook
    // as they were.
    void exportFile(const QString& path, bool isReport, int valuesPerDay,
                    const Progress& progress = {});
    // UPDATE: the series onto the next sheet of the update workbook (DBedit.xlsx in the folder,
    // made from the template when missing): columns A and B and the chart replaced, F2 the
    // connection string in white, other cells kept.
    void exportUpdate(const QString& seriesPath, int valuesPerDay, const QString& connection,
                      const Progress& progress = {});

    int xlfcount() const { return m_xlfcount; }
    // The workbook in use; empty before the first export.
    const QString& workbookPath() const { return m_path; }
    // The sheet the last export wrote.
    QString sheetName() const;
    const std::vector<SpreadsheetSheet>& sheets() const { return m_sheets; }

private:
    // Counts the export and names its sheet, starting a workbook when none is in use.
    QString nextSheet(bool update);
    // The sheet of that name in the workbook held in memory (added when missing).
    SpreadsheetSheet& heldSheet(const QString& name);
    void noteWritten();
    bool workbookStillOurs() const;
    void startNewWorkbook();
    void openUpdateWorkbook();
    void save(const Progress& progress);
    void show();
    // Runs one export; when it throws, the session is put back as it was.
    void keepingStateOnFailure(const std::function<void()>& exportWork);

    QString m_folder;
    Opener m_opener;
    QString m_updateName = QLatin1String(updateWorkbookName);
    QString m_path;
    QDateTime m_writtenAt;
    qint64 m_writtenSize = -1;
    int m_xlfcount = 0;
    // The workbook in use is changed in place on disk; m_sheets is then empty.
    bool m_inPlace = false;
    std::vector<SpreadsheetSheet> m_sheets;
};

} // namespace rp
