#pragma once

#include "core/base/TimeStep.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

namespace rp {

class Database;

// An edited update sheet read back: the parameter and time step from A1, the connection string
// from F2, and from row 11 the dates of column A with the values of column B (none where B is
// empty).
struct UpdateSheet {
    QString sheetName;
    QString connection;
    TimeStep step = TimeStep::Day;
    qint64 key = 0; // datatype_site_id
    struct Row {
        QDateTime when; // naive
        std::optional<double> value;
        int sheetRow = 0; // 1-based, for messages
    };
    std::vector<Row> rows;
    // What the sheet showed when it was made (its hidden sheet), by date; a value of none where
    // the series had none.
    struct Exported {
        QDateTime when;
        std::optional<double> value;
    };
    std::vector<Exported> exported;
};

// Reads an update sheet of a workbook and the values it was made with. Throws rp::Error naming
// the cell that is not as the update export wrote it (A1 without code and key, F2 empty, a date
// that is none, a value that is no number), or when the hidden sheet of exported values is
// missing.
UpdateSheet readUpdateSheet(const QString& workbook, const QString& sheetName);

// One row the update changes in the value table.
struct UpdateChange {
    enum class Kind { Add, Change, Remove };
    Kind kind = Kind::Add;
    QDateTime when;     // the sheet's date (Add) or the stored row's (Change, Remove)
    QVariant storedKey; // date_time as the database holds it (Change, Remove)
    std::optional<double> before;
    std::optional<double> after;
};

// A row the user changed that someone else changed too since the workbook was made: it is not
// written.
struct UpdateConflict {
    QDateTime when;
    std::optional<double> exported; // what the sheet showed
    std::optional<double> stored;   // what the database holds now
    std::optional<double> wanted;   // what the sheet asks for
};

struct UpdatePlan {
    QString table;
    qint64 key = 0;
    TimeStep step = TimeStep::Day;
    std::vector<UpdateChange> changes;
    std::vector<UpdateConflict> conflicts;
    int count(UpdateChange::Kind kind) const;
};

// Compares the sheet with what it was made with and with the stored rows of its parameter, over
// the span of time slots of both (a slot is the year, month, day, hour or minute a series line
// stands for). Only slots the user changed count: a value in a slot without a stored row is
// added, a different value replaces the stored one, and a stored row in a slot the sheet leaves
// empty (or no longer lists) is removed; but when the database no longer holds what the sheet
// was made with, the slot is a conflict and nothing is written there. Values equal to 15
// significant digits count as equal. Throws rp::Error.
UpdatePlan planUpdate(Database& db, const UpdateSheet& sheet);

// Writes the plan's changes in one transaction, every written row with source 5, each matched on
// the value it was planned against; all or nothing. Throws rp::Error (the database then holds
// what it held before), also when the database takes no changes or a row changed meanwhile.
void applyUpdatePlan(Database& db, const UpdatePlan& plan);

// "2 rows added, 1 changed, 1 removed" (and "2 conflicts") and one line per change and conflict,
// for the user to confirm.
QString updatePlanSummary(const UpdatePlan& plan);
QStringList updatePlanLines(const UpdatePlan& plan);

} // namespace rp
