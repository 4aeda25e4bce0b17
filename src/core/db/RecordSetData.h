#pragma once

// The inside of a record set, shared by the set and its builder.

#include "core/db/Database.h"
#include "core/db/RecordColumn.h"
#include "core/db/RecordSet.h"

#include <map>
#include <memory>
#include <vector>

namespace rp {

struct RecordSet::Data {
    std::vector<RecordColumn> columns;

    // Position -> storage row. While no record was deleted the two are the same and the vector
    // stays empty; adds append storage rows at the end, deletes leave theirs unused.
    std::vector<quint32> order;
    bool identityOrder = true;
    qsizetype count = 0;

    // Current position, 0-based: -1 is BOF, count is EOF.
    qsizetype current = -1;

    LockType lock = LockType::ReadOnly;
    QString baseTable;
    std::shared_ptr<Database> database;

    // Pending changes of the current record, by field.
    EditMode mode = EditMode::None;
    std::map<int, QVariant> pending;
    // The position that was current before addNew, for cancelling the added record.
    qsizetype positionBeforeAdd = -1;

    qsizetype storageRow(qsizetype position) const {
        return identityOrder ? position : qsizetype(order[size_t(position)]);
    }
    qsizetype storageSize() const { return columns.empty() ? 0 : columns.front().size(); }
    bool onRecord() const { return current >= 0 && current < count; }

    int fieldIndex(const QString& name) const;
    void checkCell(qsizetype row, int field) const;
    void requireCurrent() const;
    void requireEditable() const;
    // The value a cell shows: a pending change of the current record, else the stored one.
    const QVariant* pendingValue(qsizetype row, int field) const;
    // The row as it was read (every field, original saved values): what a save or delete
    // finds the stored row by.
    void keyOf(qsizetype storage, QStringList& columns, QVariantList& values) const;
    // Saves the current record's pending changes. Returns true when it dropped an added record
    // that had nothing to save.
    bool savePending();
    void dropAdded();
    // Moves to a position (clamped to BOF..EOF), saving pending changes first.
    void moveTo(qsizetype position);
    void materializeOrder();
};

} // namespace rp
