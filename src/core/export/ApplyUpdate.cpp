// The other half of the update round trip: the edited update sheet written to the database.
#include "core/export/ApplyUpdate.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/db/Database.h"
#include "core/export/SeriesSheet.h"
#include "core/export/UpdateWorkbook.h"
#include "formats/xlsx/XlsxDates.h"
#include "formats/xlsx/XlsxReader.h"

#include <QRegularExpression>
#include <cmath>
#include <map>

namespace rp {

namespace {

constexpr int updateSource = 5;
constexpr int firstDataRow = 10; // row 11

QString cellName(int row, int column) {
    return QStringLiteral("%1%2").arg(QChar(u'A' + column)).arg(row + 1);
}

QVariant cellAt(const QList<QVariantList>& rows, int row, int column) {
    if (row >= rows.size() || column >= rows[row].size())
        return {};
    return rows[row][column];
}

bool isEmptyCell(const QVariant& value) {
    return value.isNull() ||
           (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty());
}

std::optional<QDateTime> dateOf(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return naiveDateTime(value.toDateTime().date(), value.toDateTime().time());
    case QMetaType::Double:
        return dateTimeFromSerial(value.toDouble());
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (const auto serial = seriesDateSerial(text.toLatin1()))
            return dateTimeFromSerial(*serial);
        return parseJetDateTime(text);
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> numberOf(const QVariant& value) {
    bool ok = value.typeId() == QMetaType::Double;
    const double number = ok ? value.toDouble() : value.toString().trimmed().toDouble(&ok);
    // "nan" and "inf" read as numbers but are no values to store.
    return ok && std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
}

// The time slot a date stands for in a series of this step.
qint64 slotOf(TimeStep step, const QDateTime& when) {
    const QDate date = when.date();
    switch (step) {
    case TimeStep::Year:
        return date.year();
    case TimeStep::Month:
        return date.year() * 12LL + date.month() - 1;
    case TimeStep::Hour:
        return date.toJulianDay() * 24 + when.time().hour();
    case TimeStep::Unit:
    case TimeStep::UnitShift:
        return date.toJulianDay() * 1440 + when.time().hour() * 60 + when.time().minute();
    default:
        return date.toJulianDay();
    }
}

// The first day of a slot's year, month or day, and the day after the last slot.
QDate slotStart(TimeStep step, const QDateTime& when) {
    const QDate date = when.date();
    if (step == TimeStep::Year)
        return QDate(date.year(), 1, 1);
    if (step == TimeStep::Month)
        return QDate(date.year(), date.month(), 1);
    return date;
}

QDate slotEnd(TimeStep step, const QDateTime& when) {
    const QDate start = slotStart(step, when);
    if (step == TimeStep::Year)
        return start.addYears(1);
    if (step == TimeStep::Month)
        return start.addMonths(1);
    return start.addDays(1);
}

bool sameValue(double a, double b) {
    return QString::number(a, 'g', 15) == QString::number(b, 'g', 15);
}

bool sameValue(const std::optional<double>& a, const std::optional<double>& b) {
    return a.has_value() == b.has_value() && (!a || sameValue(*a, *b));
}

// The values the sheet was made with, from its hidden sheet.
std::vector<UpdateSheet::Exported> readExported(const XlsxReader& reader, const QString& workbook,
                                                const QString& sheetName) {
    const QString name = exportedValuesSheetName(sheetName);
    if (!reader.hasSheet(name))
        throw Error(QStringLiteral("%1 of %2 keeps no record of the values it was made with (the "
                                   "hidden sheet \"%3\"), so changes made by others since "
                                   "cannot be told apart. Make the update workbook again.")
                        .arg(sheetName, workbook, name));
    std::vector<UpdateSheet::Exported> exported;
    const QList<QVariantList> rows = reader.readSheet(name);
    for (int row = 0; row < rows.size(); ++row) {
        const auto when = dateOf(cellAt(rows, row, 0));
        if (!when)
            throw Error(QStringLiteral("%1 of the hidden sheet %2 holds no date.")
                            .arg(cellName(row, 0), name));
        const QVariant value = cellAt(rows, row, 1);
        exported.push_back({*when, isEmptyCell(value) ? std::nullopt : numberOf(value)});
    }
    return exported;
}

QString valueText(const std::optional<double>& value) {
    return value ? QString::number(*value, 'g', 15) : QStringLiteral("(empty)");
}

QString dateText(TimeStep step, const QDateTime& when) {
    const bool subDaily =
        step == TimeStep::Hour || step == TimeStep::Unit || step == TimeStep::UnitShift;
    QString text = jetDateText(when.date());
    if (subDaily)
        text += when.time().toString(QStringLiteral(" hh:mm"));
    return text;
}

QVariant storedValue(const std::optional<double>& value) {
    return value ? QVariant(*value) : QVariant();
}

struct Stored {
    QDateTime when;
    QVariant key;
    std::optional<double> value;
};

} // namespace

int UpdatePlan::count(UpdateChange::Kind kind) const {
    return static_cast<int>(std::count_if(
        changes.begin(), changes.end(), [kind](const UpdateChange& c) { return c.kind == kind; }));
}

UpdateSheet readUpdateSheet(const QString& workbook, const QString& sheetName) {
    const XlsxReader reader(workbook);
    if (!reader.hasSheet(sheetName))
        throw Error(QStringLiteral("%1 has no sheet named %2.").arg(workbook, sheetName));
    const QList<QVariantList> rows = reader.readSheet(sheetName);
    UpdateSheet sheet;
    sheet.sheetName = sheetName;

    const QString a1 = cellAt(rows, 0, 0).toString();
    static const QRegularExpression header(QStringLiteral("^([0-7]) +(\\d{1,18})(\\s|$)"));
    const QRegularExpressionMatch match = header.match(a1);
    if (!match.hasMatch())
        throw Error(QStringLiteral("A1 of %1 does not begin with a time-step code and a parameter "
                                   "key as the update writes it: \"%2\"")
                        .arg(sheetName, a1.left(60)));
    sheet.step = timeStepFromIndex(match.captured(1).toInt());
    sheet.key = match.captured(2).toLongLong();
    sheet.connection = cellAt(rows, connectionCellRow, connectionCellColumn).toString().trimmed();
    if (sheet.connection.isEmpty())
        throw Error(QStringLiteral("F2 of %1 holds no connection string.").arg(sheetName));

    for (int row = firstDataRow; row < rows.size(); ++row) {
        const QVariant date = cellAt(rows, row, 0);
        const QVariant value = cellAt(rows, row, 1);
        if (isEmptyCell(date)) {
            if (!isEmptyCell(value))
                throw Error(QStringLiteral("%1 of %2 holds a value but %3 no date.")
                                .arg(cellName(row, 1), sheetName, cellName(row, 0)));
            continue;
        }
        const auto when = dateOf(date);
        if (!when)
            throw Error(QStringLiteral("%1 of %2 holds no date: \"%3\"")
                            .arg(cellName(row, 0), sheetName, date.toString()));
        UpdateSheet::Row line{*when, std::nullopt, row + 1};
        if (!isEmptyCell(value)) {
            line.value = numberOf(value);
            if (!line.value)
                throw Error(QStringLiteral("%1 of %2 holds \"%3\", not a number.")
                                .arg(cellName(row, 1), sheetName, value.toString()));
        }
        sheet.rows.push_back(line);
    }
    if (sheet.rows.empty())
        throw Error(QStringLiteral("%1 holds no dates from row 11 on.").arg(sheetName));
    sheet.exported = readExported(reader, workbook, sheetName);
    return sheet;
}

UpdatePlan planUpdate(Database& db, const UpdateSheet& sheet) {
    UpdatePlan plan;
    plan.table = QLatin1String(timeStepInfo(sheet.step).table);
    plan.key = sheet.key;
    plan.step = sheet.step;

    // The sheet's slots; a later line for a slot wins, as in the series file.
    std::map<qint64, const UpdateSheet::Row*> wanted;
    for (const UpdateSheet::Row& row : sheet.rows)
        wanted[slotOf(sheet.step, row.when)] = &row;
    std::map<qint64, const UpdateSheet::Exported*> exported;
    for (const UpdateSheet::Exported& row : sheet.exported)
        exported[slotOf(sheet.step, row.when)] = &row;
    // The span of both: a row the user deleted from the sheet still counts.
    std::map<qint64, QDateTime> span;
    for (const auto& [slot, row] : wanted)
        span.emplace(slot, row->when);
    for (const auto& [slot, row] : exported)
        span.emplace(slot, row->when);
    const qint64 firstSlot = span.begin()->first;
    const qint64 lastSlot = span.rbegin()->first;

    const QString statement =
        QStringLiteral("SELECT date_time, value FROM %1 WHERE datatype_site_id=%2 AND date_time "
                       ">= #%3# AND date_time < #%4# ORDER BY date_time;")
            .arg(plan.table)
            .arg(sheet.key)
            .arg(jetDateText(slotStart(sheet.step, span.begin()->second)),
                 jetDateText(slotEnd(sheet.step, span.rbegin()->second)));
    const auto stored = db.open(statement, LockType::ReadOnly);
    std::map<qint64, std::vector<Stored>> have;
    for (qsizetype row = 0; row < stored->recordCount(); ++row) {
        const QVariant key = stored->value(row, 0);
        const auto when = dateOf(key);
        if (!when)
            throw Error(QStringLiteral("A stored date of %1 cannot be read: %2")
                            .arg(plan.table, key.toString()));
        const qint64 slot = slotOf(sheet.step, *when);
        if (slot < firstSlot || slot > lastSlot)
            continue;
        Stored entry{*when, key, std::nullopt};
        if (!stored->isNull(row, 1))
            entry.value = stored->value(row, 1).toDouble();
        have[slot].push_back(entry);
    }

    for (const auto& [slot, when] : span) {
        const auto sheetRow = wanted.find(slot);
        const auto exportedRow = exported.find(slot);
        const std::optional<double> want =
            sheetRow == wanted.end() ? std::nullopt : sheetRow->second->value;
        const std::optional<double> was =
            exportedRow == exported.end() ? std::nullopt : exportedRow->second->value;
        if (sameValue(want, was))
            continue; // the user left it as it was
        const auto found = have.find(slot);
        // The series showed the last stored row of the slot.
        const Stored* shown = found == have.end() ? nullptr : &found->second.back();
        const std::optional<double> now = shown ? shown->value : std::nullopt;
        if (!sameValue(now, was)) {
            plan.conflicts.push_back({shown ? shown->when : when, was, now, want});
            continue;
        }
        if (!want) {
            for (const Stored& s : found->second)
                plan.changes.push_back({UpdateChange::Kind::Remove, s.when, s.key, s.value, {}});
        } else if (!shown) {
            plan.changes.push_back({UpdateChange::Kind::Add, sheetRow->second->when, {}, {}, want});
        } else {
            plan.changes.push_back(
                {UpdateChange::Kind::Change, shown->when, shown->key, shown->value, want});
        }
    }
    std::stable_sort(plan.changes.begin(), plan.changes.end(),
                     [](const UpdateChange& a, const UpdateChange& b) { return a.when < b.when; });
    return plan;
}

void applyUpdatePlan(Database& db, const UpdatePlan& plan) {
    if (const QString reason = db.readOnlyReason(); !reason.isEmpty())
        throw Error(reason);
    // The value read is part of the key: a row changed since is not written over.
    static const QStringList keyColumns{QStringLiteral("datatype_site_id"),
                                        QStringLiteral("date_time"), QStringLiteral("value")};
    static const QStringList allColumns{QStringLiteral("datatype_site_id"),
                                        QStringLiteral("date_time"), QStringLiteral("value"),
                                        QStringLiteral("source")};
    static const QStringList changed{QStringLiteral("value"), QStringLiteral("source")};
    inTransaction(db, QStringLiteral("The update of %1 was not written").arg(plan.table), [&] {
        for (const UpdateChange& change : plan.changes) {
            switch (change.kind) {
            case UpdateChange::Kind::Add:
                db.insertRow(plan.table, allColumns,
                             {plan.key, change.when, *change.after, updateSource});
                break;
            case UpdateChange::Kind::Change:
                db.updateRow(plan.table, keyColumns,
                             {plan.key, change.storedKey, storedValue(change.before)}, changed,
                             {*change.after, updateSource});
                break;
            case UpdateChange::Kind::Remove:
                db.deleteRow(plan.table, keyColumns,
                             {plan.key, change.storedKey, storedValue(change.before)});
                break;
            }
        }
    });
}

QString updatePlanSummary(const UpdatePlan& plan) {
    using Kind = UpdateChange::Kind;
    const int added = plan.count(Kind::Add);
    QString summary = QStringLiteral("%1 %2 added, %3 changed, %4 removed in %5 for %6")
                          .arg(added)
                          .arg(added == 1 ? QStringLiteral("row") : QStringLiteral("rows"))
                          .arg(plan.count(Kind::Change))
                          .arg(plan.count(Kind::Remove))
                          .arg(plan.table)
                          .arg(plan.key);
    const auto conflicts = plan.conflicts.size();
    if (conflicts > 0)
        summary += QStringLiteral("; %1 %2 changed by someone else since the workbook was made, "
                                  "not written")
                       .arg(conflicts)
                       .arg(conflicts == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
    return summary;
}

QStringList updatePlanLines(const UpdatePlan& plan) {
    QStringList lines;
    for (const UpdateChange& change : plan.changes) {
        const QString date = dateText(plan.step, change.when);
        switch (change.kind) {
        case UpdateChange::Kind::Add:
            lines.append(QStringLiteral("added    %1  %2").arg(date, valueText(change.after)));
            break;
        case UpdateChange::Kind::Change:
            lines.append(QStringLiteral("changed  %1  %2 -> %3")
                             .arg(date, valueText(change.before), valueText(change.after)));
            break;
        case UpdateChange::Kind::Remove:
            lines.append(
                QStringLiteral("removed  %1  (was %2)").arg(date, valueText(change.before)));
            break;
        }
    }
    for (const UpdateConflict& conflict : plan.conflicts)
        lines.append(QStringLiteral("conflict %1  was %2, now %3 in the database; %4 not written")
                         .arg(dateText(plan.step, conflict.when), valueText(conflict.exported),
                              valueText(conflict.stored), valueText(conflict.wanted)));
    return lines;
}

} // namespace rp
