#pragma once

#include "core/export/ExportSession.h"
#include "core/export/GraphTableServices.h"

#include <functional>
#include <memory>

namespace rp {

// What the spreadsheet services read of the main window.
struct SpreadsheetHooks {
    std::function<QString()> folder;           // the program's folder (beside the settings file)
    std::function<int()> valuesPerDay;         // of the handed-off series
    std::function<QString()> connectionString; // of the current database
    // Lets go of a workbook database after an update export (the main window's record set).
    std::function<void()> releaseWorkbookDatabase;
    // Shows a written workbook; the desktop's spreadsheet application when empty.
    ExportSession::Opener opener;
    // Runs an export with the progress the user sees under `label`; without it exports run
    // unwatched.
    std::function<void(const QString& label, const std::function<void(const Progress&)>& work)>
        withProgress;
};

// Sets the dialog's spreadsheet, update and apply-workbook services to one export session that
// lasts as long as the returned object (the program's run).
std::shared_ptr<ExportSession> fillSpreadsheetServices(GraphTableServices& services,
                                                       SpreadsheetHooks hooks);

// Opens a file in the desktop's application for it; throws rp::Error when there is none.
void openInDesktopApplication(const QString& path);

} // namespace rp
