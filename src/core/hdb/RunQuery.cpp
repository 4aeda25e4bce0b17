#include "core/hdb/RunQuery.h"

#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/hdb/Browsing.h"
#include "core/hdb/ExecuteStatement.h"

#include <QDateTime>

namespace rp {

namespace {

const QString fourColumns = QStringLiteral("datatype_site_id, date_time, value, source");

// Steps 11 and 12: 0 for results that are not series, 1 for series, 15/30/60 for unit series.
int stepCountOf(const RecordSet& set, const QString& dateIncrement) {
    if (set.fieldCount() <= 1 || set.fieldName(1) != QLatin1String("date_time"))
        return 0;
    if (dateIncrement != QLatin1String("n"))
        return 1;
    if (set.recordCount() < 5)
        return 60;
    QList<int> minutes;
    for (qsizetype row = 0; row < 4; ++row) {
        const QVariant when = set.value(row, 1);
        minutes.append(when.canConvert<QDateTime>() ? when.toDateTime().time().minute() : 0);
    }
    return unitStepCount(minutes);
}

std::shared_ptr<Database> connectTo(const RunQueryInput& input, const QString& connectionString) {
    return input.connect ? input.connect(connectionString) : openDatabase(connectionString);
}

} // namespace

bool isOwnActionStatement(const QString& text) {
    const QString upper = text.toUpper();
    return !upper.left(8).contains(QLatin1String("SELECT ")) &&
           !upper.contains(QLatin1String(" INTO "));
}

QString emptyResultStatement() {
    return QStringLiteral("Select site_id from rsite where site_id=9999");
}

bool namesWorkbook(const QString& connectionString) {
    return connectionString.toUpper().contains(QLatin1String("EXCEL"));
}

QString rewriteForWorkbook(const QString& statement, const QString& table) {
    QString result = statement;
    if (!result.contains(QLatin1Char('['))) {
        if (!table.isEmpty())
            result.replace(table, worksheetName(table), Qt::CaseSensitive);
        result.replace(QStringLiteral("rsite"), QStringLiteral("[rsite$]"), Qt::CaseSensitive);
    } else if (!result.contains(QLatin1String("[rsite"), Qt::CaseSensitive)) {
        result.replace(QStringLiteral("rsite"), QStringLiteral("[rsite$]"), Qt::CaseSensitive);
    }
    return result;
}

QString extendWorkbookConnection(const QString& connectionString) {
    if (connectionString.contains(QLatin1String("HDR="), Qt::CaseSensitive))
        return connectionString;
    const QString extension = QStringLiteral("ReadOnly=False;HDR=Yes;");
    return connectionString.endsWith(QLatin1Char(';'))
               ? connectionString + extension
               : connectionString + QLatin1Char(';') + extension;
}

QString workbookPath(const QString& connectionString) {
    const qsizetype at = connectionString.toUpper().indexOf(QLatin1String("DBQ="));
    if (at < 0)
        return {};
    const qsizetype start = at + 4;
    const qsizetype end = connectionString.indexOf(QLatin1Char(';'), start);
    return connectionString.mid(start, end < 0 ? -1 : end - start);
}

QString workbookMessage(const QString& connectionString) {
    return QStringLiteral(
               "Excel database tables (worksheets) must be edited in Excel.  Be sure each "
               "worksheet has the original header row, at least one data row, and original "
               "formats.  Do not just erase data, select the rows for deletion using the row "
               "header column then delete.  You may add worksheets but do not delete any of the "
               "original ones.  And make a backup!  Your current connection is:") +
           QStringLiteral("\r\n\r\n") + workbookPath(connectionString);
}

int unitStepCount(const QList<int>& minutes) {
    int count = 60;
    for (int m : minutes) {
        if (m == 0)
            continue;
        if (m != 30)
            count = 15;
        else if (count != 15)
            count = 30;
    }
    return count;
}

RunQueryResult runQuery(const RunQueryInput& input, QueryState& state) {
    RunQueryResult result;

    // An own statement that returns no rows runs on a connection of its own.
    if (input.ownSql && isOwnActionStatement(state.sqlText)) {
        result.outcome = RunQueryResult::Outcome::Executed;
        result.statement = state.sqlText;
        state.dateIncrement.clear();
        try {
            result.message = input.execute
                                 ? input.execute(state.connectionString, state.sqlText)
                                 : executeStatement(state.connectionString, state.sqlText);
        } catch (const Error& e) {
            result.message = e.message();
        }
        return result;
    }

    const TimeStepInfo& info = timeStepInfo(input.step);
    const bool ownStatement = input.runAsTyped || input.ownSql;
    bool editing = false;
    try {
        state.dateIncrement = QLatin1String(info.interval);
        QString statement;
        if (ownStatement) {
            statement = state.sqlText;
            state.dateIncrement.clear();
        } else {
            // The key goes into SQL as a bare number, so it must be one.
            if (!isNumberText(input.seriesKey)) {
                result.message = QStringLiteral("The series key \"%1\" is not a number: select a "
                                                "parameter first.")
                                     .arg(input.seriesKey.trimmed());
                return result;
            }
            statement = retrievalStatement(input.step, input.seriesKey, input.startDate.trimmed(),
                                           retrievalUpperBound(input.step, input.endDate));
            state.sqlText = statement;
        }

        state.excel = false;
        if (namesWorkbook(state.connectionString)) {
            statement = rewriteForWorkbook(statement, QLatin1String(info.table));
            state.connectionString = extendWorkbookConnection(state.connectionString);
            state.excel = true;
            if (statement.contains(QLatin1String("MSysObjects"))) {
                result.message = workbookMessage(state.connectionString);
                return result;
            }
            state.sqlText = statement;
        }

        editing = input.allowEdit || input.autoInsert;
        result.editable = editing;
        if (editing && (input.step == TimeStep::DayMax || input.step == TimeStep::DayMin))
            statement.replace(fourColumns, QStringLiteral("*"));

        result.statement = statement;
        result.database = connectTo(input, state.connectionString);
        result.recordSet =
            result.database->open(statement, editing ? LockType::Optimistic : LockType::ReadOnly);
        state.stepCount = stepCountOf(*result.recordSet, state.dateIncrement);
        if (!result.recordSet->isEmpty())
            result.recordSet->moveFirst();
        result.outcome = RunQueryResult::Outcome::Opened;
        return result;
    } catch (const Error& e) {
        result.outcome = RunQueryResult::Outcome::Failed;
        result.message = e.message();
        result.recordSet.reset();
    }

    // Leave the grid with no rows.
    try {
        if (!result.database)
            result.database = connectTo(input, state.connectionString);
        result.recordSet = result.database->open(emptyResultStatement(), LockType::ReadOnly);
    } catch (const Error& e) {
        result.database.reset();
        result.escalatedError = e.message();
    }
    return result;
}

} // namespace rp
