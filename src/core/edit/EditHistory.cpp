#include "core/edit/EditHistory.h"

#include "core/base/Error.h"

#include <algorithm>

namespace rp {

namespace {

QVariantList recordValues(const RecordSet& rs, qsizetype row) {
    QVariantList values;
    for (int f = 0; f < rs.fieldCount(); ++f)
        values.append(rs.value(row, f));
    return values;
}

Bookmark currentBookmark(const RecordSet& rs) {
    return rs.currentRow() >= 0 ? rs.bookmarkAt(rs.currentRow()) : -1;
}

} // namespace

void EditHistory::beforeChange(const RecordSet& rs) {
    const qsizetype row = rs.currentRow();
    if (row < 0)
        return;
    const Bookmark bookmark = rs.bookmarkAt(row);
    if (m_open && m_open->bookmark == bookmark && rs.editMode() != EditMode::None)
        return;
    if (rs.editMode() == EditMode::Add)
        m_open = Open{bookmark, true, {}};
    else if (rs.editMode() == EditMode::None)
        m_open = Open{bookmark, false, recordValues(rs, row)};
}

void EditHistory::settle(const RecordSet& rs) {
    if (!m_open)
        return;
    const bool stillPending =
        rs.editMode() != EditMode::None && currentBookmark(rs) == m_open->bookmark;
    if (stillPending)
        return;
    const Open open = *m_open;
    m_open.reset();
    const qsizetype row = rs.rowOfBookmark(open.bookmark);
    if (row < 0)
        return; // an added record dropped unsaved
    if (open.added) {
        m_changes.push_back({Kind::Added, open.bookmark, {}});
    } else if (recordValues(rs, row) != open.values) {
        m_changes.push_back({Kind::Edited, open.bookmark, open.values});
    }
}

void EditHistory::beforeDelete(const RecordSet& rs) {
    m_deleting.reset();
    if (rs.currentRow() < 0 || rs.editMode() == EditMode::Add)
        return;
    // The record as saved: pending changes are cancelled by a delete.
    m_deleting =
        Change{Kind::Deleted, currentBookmark(rs), m_open ? m_open->values : QVariantList()};
    if (m_deleting->values.isEmpty())
        m_deleting->values = recordValues(rs, rs.currentRow());
}

void EditHistory::deleted() {
    if (m_deleting)
        m_changes.push_back(*m_deleting);
    m_deleting.reset();
    m_open.reset();
}

void EditHistory::undo(RecordSet& rs) {
    if (rs.editMode() != EditMode::None) {
        rs.cancelUpdate();
        m_open.reset();
        return;
    }
    if (m_changes.empty())
        return;
    undoChange(rs, m_changes.back());
    m_changes.pop_back();
}

void EditHistory::undoChange(RecordSet& rs, const Change& change) {
    switch (change.kind) {
    case Kind::Edited:
        rs.setBookmark(change.bookmark);
        try {
            for (int f = 0; f < rs.fieldCount() && f < change.values.size(); ++f)
                if (rs.value(f) != change.values[f])
                    rs.setValue(f, change.values[f]);
            rs.update();
        } catch (const Error&) {
            rs.cancelUpdate();
            throw;
        }
        break;
    case Kind::Added:
        rs.setBookmark(change.bookmark);
        rs.deleteCurrent();
        break;
    case Kind::Deleted: {
        rs.addNew();
        try {
            for (int f = 0; f < rs.fieldCount() && f < change.values.size(); ++f)
                if (change.values[f].isValid())
                    rs.setValue(f, change.values[f]);
            rs.update();
        } catch (const Error&) {
            rs.cancelUpdate();
            throw;
        }
        // Older changes of the deleted record now belong to its new copy.
        const Bookmark old = change.bookmark;
        const Bookmark now = currentBookmark(rs);
        for (Change& c : m_changes)
            if (c.bookmark == old)
                c.bookmark = now;
        break;
    }
    }
}

bool EditHistory::isChanged(Bookmark bookmark) const {
    return std::any_of(m_changes.begin(), m_changes.end(), [&](const Change& c) {
        return c.kind != Kind::Deleted && c.bookmark == bookmark;
    });
}

void EditHistory::clear() {
    m_changes.clear();
    m_open.reset();
    m_deleting.reset();
}

} // namespace rp
