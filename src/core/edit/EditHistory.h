#pragma once

#include "core/db/RecordSet.h"

#include <QVariantList>
#include <optional>
#include <vector>

namespace rp {

// The changes saved to the database while one result set is shown, so that the last one can be
// undone and the rows changed can be marked. The record set saves on its own (on a move, on
// addNew), so the history is told before a record's first change and looks afterwards whether
// the change was saved, dropped or is still pending.
class EditHistory {
public:
    // Before a field of the current record is changed.
    void beforeChange(const RecordSet& recordSet);
    // After anything that may have saved or dropped the record being changed.
    void settle(const RecordSet& recordSet);
    // Before the current saved record is deleted, and once it is gone.
    void beforeDelete(const RecordSet& recordSet);
    void deleted();

    bool canUndo() const { return !m_changes.empty(); }
    // Undoes the last saved change: an edited record gets its old values back, an added one is
    // deleted, a deleted one is added again (at the end). Unsaved changes of the current record
    // are dropped first, and that alone counts as the undo. Throws rp::Error when the database
    // refuses; the change stays undoable then.
    void undo(RecordSet& recordSet);
    // Whether a record has a saved change that can still be undone.
    bool isChanged(Bookmark bookmark) const;
    void clear();

private:
    enum class Kind { Edited, Added, Deleted };
    struct Change {
        Kind kind;
        Bookmark bookmark;
        QVariantList values; // before the change (Edited) or of the deleted record
    };
    struct Open {
        Bookmark bookmark;
        bool added;
        QVariantList values;
    };
    void undoChange(RecordSet& recordSet, const Change& change);

    std::vector<Change> m_changes;
    std::optional<Open> m_open;
    std::optional<Change> m_deleting;
};

} // namespace rp
