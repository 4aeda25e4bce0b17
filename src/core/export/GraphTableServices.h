#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace rp {

class AggregateSink;
class UserDialogs;

// What the Graph/Table dialog reads of the main window.
struct GraphTableContext {
    std::function<bool()> dayStep;       // the main window's time step is Day
    std::function<QString()> stationId;  // of the site chosen in the site list
    std::function<QString()> seriesFile; // "lastout.txt" in the program folder
    std::function<QString()> programFolder;
    // Why the current database takes no monthly and yearly values; empty when it does.
    std::function<QString()> writeBackRefusal;
};

// The dialog's collaborators, replaceable in tests. Each may throw rp::Error; Go reports it.
struct GraphTableServices {
    UserDialogs* dialogs = nullptr; // message boxes; the desktop's when null
    std::function<QDate()> today;   // the date in the daily table's title; today when empty
    // The file dialog of fOpenFile: preset name, title, default extension; nothing on cancel.
    std::function<std::optional<QString>(QWidget* parent, const QString& preset,
                                         const QString& title, const QString& defaultSuffix)>
        chooseFile;
    // Shows a text file to the user (the desktop's viewer, or a built-in one).
    std::function<void(QWidget* parent, const QString& path)> view;
    // Prints a text file on the default printer, in the table layout when asked; with no printer
    // installed, offers to save it as PDF. Gives an empty text when printed, the PDF file when
    // saved, nothing when the user cancelled.
    std::function<std::optional<QString>(const QString& path, bool tableLayout)> print;
    // The graph window: draws the series file, adding it to the chart when asked.
    std::function<void(const QString& path, bool addSeries)> graph;
    // The spreadsheet export of a series file or of a report (`isReport`).
    std::function<void(const QString& path, bool isReport)> spreadsheet;
    // The spreadsheet export into the update workbook.
    std::function<void(const QString& path)> update;
    // "Apply workbook...": an edited update sheet written to the database, using the dialog's
    // own file dialog, messages and confirmation.
    std::function<void(QWidget* parent, GraphTableServices& dialog)> applyWorkbook;
    // Asks for the password of a database (the prompt names it without one); nothing on cancel.
    // The desktop's password box when empty.
    std::function<std::optional<QString>(QWidget* parent, const QString& prompt)> askPassword;
    // Asks whether to write the changes listed; the desktop's dialog when empty.
    std::function<bool(QWidget* parent, const QString& summary, const QStringList& changes)>
        confirmUpdate;
    // Where the daily table hands its monthly and yearly aggregates; none when empty.
    std::function<AggregateSink*()> aggregates;
};

// The desktop's file dialog, viewer and printer, for whatever `services` leaves empty.
void fillDesktopServices(GraphTableServices& services);

} // namespace rp
