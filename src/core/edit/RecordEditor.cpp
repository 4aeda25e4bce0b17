#include "core/edit/RecordEditor.h"

#include "core/base/Error.h"
#include "core/db/RecordSet.h"
#include "core/edit/AutoInsertRules.h"

namespace rp {

namespace {

QStringList currentTexts(const RecordSet& rs) {
    QStringList texts;
    const qsizetype row = rs.currentRow();
    for (int f = 0; f < rs.fieldCount(); ++f)
        texts.append(row >= 0 ? rs.displayText(row, f) : QString());
    return texts;
}

} // namespace

void RecordEditor::addNew(RecordSet& rs) {
    m_history.beforeChange(rs);
    rs.addNew();
    m_history.settle(rs);
}

void RecordEditor::deleteRecord(RecordSet& rs) {
    try {
        if (rs.editMode() == EditMode::Add) {
            rs.cancelBatch();
        } else {
            m_history.beforeDelete(rs);
            rs.deleteCurrent();
            m_history.deleted();
        }
    } catch (const Error&) {
        rs.cancelBatch();
        m_history.settle(rs);
        throw;
    }
    m_history.settle(rs);
}

void RecordEditor::copyRecord(const RecordSet& rs) {
    if (rs.currentRow() < 0)
        throw Error(QStringLiteral("There is no record to copy."));
    m_buffer.set(currentTexts(rs));
}

bool RecordEditor::pasteRecord(RecordSet& rs) {
    try {
        if (!m_buffer.exists())
            throw Error(QStringLiteral("No record has been copied yet."));
        for (int f = 0; f < rs.fieldCount(); ++f) {
            const QString& text = m_buffer.element(f);
            if (text.isEmpty())
                continue;
            m_history.beforeChange(rs);
            rs.setValue(f, text);
        }
    } catch (const Error&) {
        rs.cancelUpdate();
        m_history.settle(rs);
        return false;
    }
    return true;
}

void RecordEditor::beforeInsert(RecordSet& rs, bool autoInsert) {
    if (!autoInsert || rs.fieldCount() - 1 <= 0 || rs.isEmpty())
        return;
    rs.moveLast();
    m_history.settle(rs);
    m_buffer.set(insertionTemplate(currentTexts(rs)));
}

std::optional<int> RecordEditor::cellChanged(RecordSet& rs, const InsertionContext& context) {
    if (!context.autoInsert || !isDatedLayout(context.column1Caption))
        return std::nullopt;
    if (!m_buffer.insertionPending() || rs.editMode() != EditMode::Add)
        return std::nullopt;
    const QStringList row = currentTexts(rs);
    const int empty = leadingEmptyCells(row);
    if (empty == 0)
        return std::nullopt; // the user has typed into the first cell
    const QStringList next =
        advancedRecord(m_buffer.elements(), context.step, context.dateIncrement, context.stepCount);
    // The next insertion follows this record, however far it gets.
    m_buffer.set(next);
    for (int f = 0; f < empty; ++f) {
        m_history.beforeChange(rs);
        rs.setValue(f, m_buffer.element(f));
    }
    if (empty < row.size())
        return std::nullopt;
    rs.update();
    m_history.settle(rs);
    rs.moveLast();
    m_buffer.endInsertion();
    return 2;
}

void RecordEditor::undo(RecordSet& rs) {
    m_history.undo(rs);
}

QString editHelpText(bool rsiteShown) {
    QString text = QStringLiteral("To add a new record:\n"
                                  "1) Click row header cell to select a similar record to work "
                                  "with.\n"
                                  "2) Click 'Edit Menu' or Right Click any row header cell.\n"
                                  "3) Select 'Copy Record'\n"
                                  "4) Select 'Add New Record'\n"
                                  "5) Select 'Paste Record'\n");
    if (rsiteShown)
        text += QStringLiteral(
            "6) Edit datatype_site_id to unique value before leaving this new record.");
    return text;
}

} // namespace rp
