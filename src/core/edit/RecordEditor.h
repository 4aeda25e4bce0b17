#pragma once

#include "core/base/TimeStep.h"
#include "core/edit/EditHistory.h"
#include "core/edit/RowBuffer.h"

#include <QString>
#include <optional>

namespace rp {

class RecordSet;

// What the automatic insertion needs to know of the window when the current cell changes.
struct InsertionContext {
    bool autoInsert = false; // "Allow Auto Insert" is checked
    QString column1Caption;  // the grid's column 1
    TimeStep step = defaultTimeStep;
    QString dateIncrement; // interval code of the last retrieval
    int stepCount = 0;     // interval units between rows
};

// The editing commands on the current result set, without the grid: add, delete, copy and paste
// records, and the automatic insertion of time-stepped rows. Every change goes through the record
// set, which saves it to the database; the history keeps what was saved for undo.
class RecordEditor {
public:
    // Add New Record: a new empty record at the end becomes current.
    void addNew(RecordSet& recordSet);
    // Delete Record: a record being added is discarded, a saved one deleted. When that fails the
    // pending changes are cancelled and the error is thrown on, so it is never taken for done.
    void deleteRecord(RecordSet& recordSet);
    // Copy Record: the buffer takes the texts of the current record, one per field.
    void copyRecord(const RecordSet& recordSet);
    // Paste Record: every non-empty buffer text goes into its field of the current record, which
    // stays pending. On any failure (nothing copied yet, a text the field does not take) the
    // current record's pending changes are cancelled; returns false then.
    bool pasteRecord(RecordSet& recordSet);

    // A new row is about to be started in the grid: with "Allow Auto Insert" checked the buffer
    // takes the last record (source 34 becoming 5) and the last record becomes current. Does
    // nothing when the result has fewer than two columns or no record.
    void beforeInsert(RecordSet& recordSet, bool autoInsert);
    // The current cell changed. While an insertion is pending and the current record is a new
    // one whose first cell is empty, its empty cells are filled from the buffer advanced by one
    // time step, left to right up to the first cell the user typed into; a row found wholly
    // empty is saved and the last record made current. Returns the column to make current (the
    // value column) once a row was saved. Throws rp::Error when a date cannot be read or the
    // database refuses the record; what was filled stays.
    std::optional<int> cellChanged(RecordSet& recordSet, const InsertionContext& context);

    // Undo of the last saved change (or of the current record's unsaved ones).
    void undo(RecordSet& recordSet);

    const RowBuffer& buffer() const { return m_buffer; }
    EditHistory& history() { return m_history; }
    const EditHistory& history() const { return m_history; }

private:
    RowBuffer m_buffer;
    EditHistory m_history;
};

// The Help entry's text; the sixth line only while the site catalogue (rsite) is shown.
QString editHelpText(bool rsiteShown);

} // namespace rp
