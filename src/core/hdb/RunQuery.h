#pragma once

#include "core/base/TimeStep.h"
#include "core/db/RecordSet.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace rp {

class Database;

// The one procedure through which every list, table and series reaches the grid. It decides the
// statement (the SQL box as it stands, or the retrieval statement of the time step), adapts it
// to a workbook, opens the record set for reading or editing and works out the step count. It
// shows nothing: the window shows the result's message and record set.

// What the window holds and the procedure reads and writes.
struct QueryState {
    QString sqlText;          // the SQL box
    QString dateIncrement;    // interval code of the last retrieval
    int stepCount = 0;        // interval units between rows of the last result
    bool excel = false;       // the last query ran against a workbook
    QString connectionString; // extended in memory for a workbook
};

struct RunQueryInput {
    bool ownSql = false;     // the user writes the statement
    bool runAsTyped = false; // run the SQL box as it stands (lists and tables the program wrote)
    bool allowEdit = false;
    bool autoInsert = false;
    QString seriesKey; // the mode box: the series key of a retrieval
    QString startDate;
    QString endDate;
    TimeStep step = defaultTimeStep;
    // Opens (or reuses) the database of a connection string; openDatabase when empty.
    std::function<std::shared_ptr<Database>(const QString&)> connect;
    // Runs an own action statement and returns the message to show; executeStatement when empty.
    std::function<QString(const QString& connectionString, const QString& statement)> execute;
};

struct RunQueryResult {
    enum class Outcome {
        Executed, // an own action statement ran (or failed: see message); the grid is unchanged
        Opened,   // the record set holds the result
        Failed,   // the record set holds the empty result; message holds the error
        NotRun,   // nothing ran; message says why; the grid is unchanged
    };
    Outcome outcome = Outcome::NotRun;
    QString statement; // what was given to the database
    std::shared_ptr<Database> database;
    std::unique_ptr<RecordSet> recordSet;
    // Whether the result set is updatable, and the grid's text blue and EditButton enabled;
    // unset when the query stopped before deciding it.
    std::optional<bool> editable;
    // Text to show with an OK button (error, "FINISHED: ", the workbook message); may be empty.
    QString message;
    // The empty result could not be opened either: the calling command reports this its own way.
    QString escalatedError;
};

RunQueryResult runQuery(const RunQueryInput& input, QueryState& state);

// Pieces of the procedure, each a pure rule.

// An own statement that returns no rows: "SELECT " not within its first eight characters and no
// " INTO " anywhere (both upper-cased).
bool isOwnActionStatement(const QString& text);
// The statement the data control is left with after a failure, so the grid shows no rows.
QString emptyResultStatement();
bool namesWorkbook(const QString& connectionString);
// Worksheet naming for a workbook, with case-sensitive replacements: the value table and rsite
// become [table$] and [rsite$].
QString rewriteForWorkbook(const QString& statement, const QString& table);
// Adds "ReadOnly=False;HDR=Yes;" unless the string already holds "HDR=".
QString extendWorkbookConnection(const QString& connectionString);
// The workbook's path: the text after "DBQ=" (found without regard to case) up to the next ";".
QString workbookPath(const QString& connectionString);
QString workbookMessage(const QString& connectionString);
// The step count of a unit series from the minutes of its first four records (60, 30 or 15).
int unitStepCount(const QList<int>& minutes);

} // namespace rp
