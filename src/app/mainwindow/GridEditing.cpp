#include "app/mainwindow/GridEditing.h"

#include "app/dialogs/WidgetPrompts.h"
#include "app/mainwindow/EnterKeyDelegate.h"
#include "app/mainwindow/MainWindow.h"
#include "core/base/CommandPrompts.h"
#include "core/base/Error.h"
#include "core/db/RecordSet.h"
#include "core/hdb/Browsing.h"
#include "gui/widgets/RecordSetModel.h"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTimer>

namespace rp {

GridEditing::GridEditing(MainWindow& form)
    : QObject(&form), m_form(form), m_menu(new QMenu(QStringLiteral("Edit"), &form)) {
    setObjectName(QStringLiteral("gridEditing"));
    m_menu->setObjectName(QStringLiteral("mnuPopup"));
    addAction("mnuPopupAddNew", QStringLiteral("Add New Record"), &GridEditing::addNewRecord);
    addAction("mnuPopupDelete", QStringLiteral("Delete Record"), &GridEditing::deleteRecord);
    m_menu->addSeparator()->setObjectName(QStringLiteral("mnuPopupBreakA"));
    addAction("mnuPopupCopy", QStringLiteral("Copy Record"), &GridEditing::copyRecord);
    addAction("mnuPopupPaste", QStringLiteral("Paste Record"), &GridEditing::pasteRecord);
    // Cancel closes the menu and drops a typed text the record set refused.
    QAction* cancel = m_menu->addAction(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("mnuPopupCancel"));
    connect(cancel, &QAction::triggered, this, &GridEditing::dropRefused);
    addAction("mnuPopupHelp", QStringLiteral("Help"), &GridEditing::help);
    // Loading a data file comes last, apart from the record commands.
    m_menu->addSeparator()->setObjectName(QStringLiteral("mnuPopupBreakB"));
    addAction("mnuPopupLoadFile", QStringLiteral("Load File\u2026"), &GridEditing::loadFile);

    QTableView* grid = form.m_grid;
    auto* delegate = new EnterKeyDelegate(grid);
    // Before the grid hands the text to the model, which may refuse it again.
    connect(delegate, &QAbstractItemDelegate::commitData, this, &GridEditing::commitStarting);
    grid->setItemDelegate(delegate);
    connect(delegate, &EnterKeyDelegate::enterPressed, this, [this] { nextRecord(); });
    connect(delegate, &EnterKeyDelegate::escapePressed, this, [this] { m_refused.reset(); });
    grid->installEventFilter(this);
    grid->verticalHeader()->viewport()->installEventFilter(this);
    grid->verticalHeader()->setMouseTracking(true);

    RecordSetModel* model = form.m_model;
    model->setEditHistory(&m_editor.history());
    model->setNewRowStarter([this] { startNewRow(); });
    model->setChangeCheck([this](const QModelIndex& index, const QString& typed) {
        return confirmChange(index, typed);
    });
    connect(model, &RecordSetModel::editRefused, this, &GridEditing::editRefused);
    connect(form.m_editButton, &QPushButton::clicked, this, [this] { showMenu(QCursor::pos()); });
    for (QCheckBox* box : {form.m_allowEdit, form.m_autoInsert})
        connect(box, &QCheckBox::clicked, this, [this] {
            m_menu->findChild<QAction*>(QStringLiteral("mnuPopupAddNew"))->setEnabled(true);
        });
}

void GridEditing::addAction(const char* name, const QString& caption,
                            void (GridEditing::*handler)()) {
    QAction* action = m_menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this,
            [this, handler] { m_form.runGuarded([this, handler] { (this->*handler)(); }); });
}

void GridEditing::showMenu(QPoint globalPos) {
    if (!m_menu->isVisible())
        m_menu->popup(globalPos);
}

bool GridEditing::eventFilter(QObject* watched, QEvent* event) {
    QTableView* grid = m_form.m_grid;
    if (watched == grid->verticalHeader()->viewport()) {
        // The right button over the row headers, while the result can be edited.
        const bool press = event->type() == QEvent::MouseButtonPress;
        if (press || event->type() == QEvent::MouseMove) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const bool right = press ? mouse->button() == Qt::RightButton
                                     : mouse->buttons().testFlag(Qt::RightButton);
            const RecordSet* rs = m_form.m_recordSet.get();
            if (right && rs && rs->lockType() == LockType::Optimistic) {
                showMenu(mouse->globalPosition().toPoint());
                return true;
            }
        }
    } else if (watched == grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!m_form.m_model->isEditable()) {
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                // Enter on a site, parameter or table row does what a double-click does.
                const GridDispatch dispatch = gridDoubleClickDispatch(m_form.columnCaption(0));
                if (dispatch == GridDispatch::ParametersWithData ||
                    dispatch == GridDispatch::OpenTable) {
                    m_form.runGuarded([this] { m_form.gridDoubleClick(); });
                    return true;
                }
            }
            // A grid that cannot be typed into does not look for the typed text either.
            return !key->text().isEmpty() && key->text().at(0).isPrint();
        }
        if (key->matches(QKeySequence::Undo)) {
            // A cell being typed into has its own undo; this is the grid's.
            m_form.runGuarded([this] { undo(); });
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            nextRecord();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void GridEditing::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    Q_UNUSED(previous);
    RecordSet* rs = m_form.m_recordSet.get();
    if (m_syncing || !rs || !current.isValid()) {
        m_form.syncPosition();
        return;
    }
    QScopedValueRollback guard(m_syncing, true);
    if (rs != m_shown)
        resultReplaced();
    RecordSetModel* model = m_form.m_model;
    if (current.row() != rs->currentRow()) {
        try {
            if (current.row() == model->newRowPlaceholder()) {
                startNewRow();
                followRecordSet(current.column());
                m_form.syncPosition();
                return; // the row has just been started; the next cell change fills it
            }
            rs->setAbsolutePosition(current.row() + 1);
            m_editor.history().settle(*rs);
            model->syncRows();
        } catch (const Error& e) {
            // The record left behind was refused: back to it, with what was typed.
            m_editor.history().settle(*rs);
            model->syncRows();
            followRecordSet(current.column());
            m_form.syncPosition();
            m_form.message(e.message());
            return;
        }
    }
    cellChanged();
    m_form.syncPosition();
}

void GridEditing::startNewRow() {
    RecordSet* rs = m_form.m_recordSet.get();
    // The record being left is saved first, and may be refused.
    rs->update();
    m_editor.history().settle(*rs);
    m_editor.beforeInsert(*rs, m_form.m_autoInsert->isChecked());
    m_editor.addNew(*rs);
    m_form.m_model->syncRows();
}

void GridEditing::cellChanged() {
    RecordSet* rs = m_form.m_recordSet.get();
    InsertionContext context;
    context.autoInsert = m_form.m_autoInsert->isChecked();
    context.column1Caption = m_form.columnCaption(1);
    context.step = m_form.timeStep();
    context.dateIncrement = m_form.m_dateIncrement;
    context.stepCount = m_form.m_stepCount;
    try {
        const std::optional<int> column = m_editor.cellChanged(*rs, context);
        m_form.m_model->syncRows();
        if (column)
            followRecordSet(*column);
    } catch (const Error& e) {
        m_form.m_model->syncRows();
        m_form.message(e.message());
    }
}

void GridEditing::followRecordSet(int column) {
    const RecordSet* rs = m_form.m_recordSet.get();
    QTableView* grid = m_form.m_grid;
    if (!rs || rs->currentRow() < 0)
        return;
    QScopedValueRollback guard(m_syncing, true);
    const QModelIndex index = m_form.m_model->index(int(rs->currentRow()), std::max(column, 0));
    grid->setCurrentIndex(index);
    grid->scrollTo(index);
}

void GridEditing::nextRecord() {
    QTableView* grid = m_form.m_grid;
    const QModelIndex current = grid->currentIndex();
    // Enter on a refused text stays in its cell.
    if (m_refused && m_refused->cell == current)
        return;
    if (!current.isValid() || current.row() + 1 >= m_form.m_model->rowCount())
        return;
    grid->setCurrentIndex(m_form.m_model->index(current.row() + 1, current.column()));
}

void GridEditing::resultReplaced() {
    m_refused.reset();
    m_previousRefusal.reset();
    m_editor.history().clear();
    m_shown = m_form.m_recordSet.get();
}

void GridEditing::editRefused(const QModelIndex& index, const QString& typed,
                              const QString& message) {
    const bool again =
        m_previousRefusal && m_previousRefusal->cell == index && m_previousRefusal->typed == typed;
    m_refused = Refusal{index, typed};
    // After the editor has closed and the grid has moved, so the typing can be put back.
    QTimer::singleShot(0, this,
                       [this, message = again ? QString() : message] { reopenRefused(message); });
}

void GridEditing::reopenRefused(const QString& message) {
    if (!m_refused || !m_refused->cell.isValid() || m_refused->cell.model() != m_form.m_model)
        return;
    const Refusal refused = *m_refused;
    if (!message.isEmpty())
        m_form.message(message);
    // The typing is kept in the cell's editor so that it can be corrected (or dropped with Esc).
    QTableView* grid = m_form.m_grid;
    const QModelIndex cell = refused.cell;
    grid->setCurrentIndex(cell);
    grid->scrollTo(cell);
    grid->edit(cell);
    if (auto* line = qobject_cast<QLineEdit*>(grid->indexWidget(cell)))
        line->setText(refused.typed);
    m_refused = refused;
}

void GridEditing::dropRefused() {
    if (!m_refused)
        return;
    QTableView* grid = m_form.m_grid;
    const QModelIndex cell = m_refused->cell;
    m_refused.reset();
    if (QWidget* editor = cell.isValid() ? grid->indexWidget(cell) : nullptr)
        QMetaObject::invokeMethod(
            grid, "closeEditor", Q_ARG(QWidget*, editor),
            Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::RevertModelCache));
    grid->setFocus();
}

void GridEditing::commitStarting() {
    if (m_refused)
        m_previousRefusal = std::exchange(m_refused, std::nullopt);
}

bool GridEditing::confirmChange(const QModelIndex& index, const QString& typed) {
    // The grid commits a cell it leaves without the delegate's signal.
    commitStarting();
    // Only a series shown by GO has a key its records belong to.
    const QString key = m_form.m_text1->text().trimmed();
    bool isKey = false;
    key.toLongLong(&isKey);
    if (!isKey || m_form.m_label1->text() != QLatin1String("DSID") ||
        m_form.columnCaption(index.column()) != QLatin1String("datatype_site_id") ||
        typed.trimmed() == key || typed.trimmed().isEmpty())
        return true;
    // The question takes the focus from the cell's editor, which commits the same text again.
    if (m_asking)
        return false;
    const QScopedValueRollback asking(m_asking, true);
    WidgetPrompts widgetPrompts(&m_form);
    CommandPrompts& prompts =
        m_form.m_services.prompts ? *m_form.m_services.prompts : widgetPrompts;
    return prompts.askYesNo(
        QStringLiteral("Edit"),
        QStringLiteral("datatype_site_id %1 moves this record out of the series %2 shown. "
                       "Move it?")
            .arg(typed.trimmed(), key));
}

void GridEditing::addNewRecord() {
    RecordSet* rs = m_form.m_recordSet.get();
    if (!rs)
        throw Error(QStringLiteral("There is no result to add a record to."));
    m_editor.addNew(*rs);
    m_form.m_model->syncRows();
    // The grid moves onto the new record; that cell change may fill it from a copied record.
    m_form.m_grid->setCurrentIndex(m_form.m_model->index(
        int(rs->currentRow()), std::max(m_form.m_grid->currentIndex().column(), 0)));
    m_form.syncPosition();
}

void GridEditing::deleteRecord() {
    RecordSet* rs = m_form.m_recordSet.get();
    if (!rs)
        throw Error(QStringLiteral("There is no record to delete."));
    const int row = int(rs->currentRow());
    const bool saved = rs->editMode() != EditMode::Add;
    const qsizetype before = rs->recordCount();
    // The grid's cursor follows the record set; the rows going away must not move it.
    QScopedValueRollback guard(m_syncing, true);
    try {
        m_editor.deleteRecord(*rs);
    } catch (const Error&) {
        m_form.m_model->syncRows();
        followRecordSet(m_form.m_grid->currentIndex().column());
        m_form.syncPosition();
        throw;
    }
    if (saved && rs->recordCount() < before)
        m_form.m_model->recordRemoved(row);
    else
        m_form.m_model->syncRows();
    followRecordSet(m_form.m_grid->currentIndex().column());
    m_form.syncPosition();
}

void GridEditing::copyRecord() {
    m_menu->findChild<QAction*>(QStringLiteral("mnuPopupPaste"))->setEnabled(true);
    const RecordSet* rs = m_form.m_recordSet.get();
    if (!rs)
        throw Error(QStringLiteral("There is no record to copy."));
    m_editor.copyRecord(*rs);
}

void GridEditing::pasteRecord() {
    RecordSet* rs = m_form.m_recordSet.get();
    if (!rs)
        return;
    const int column = m_form.m_grid->currentIndex().column();
    m_editor.pasteRecord(*rs);
    m_form.m_model->syncRows();
    followRecordSet(column);
    m_form.syncPosition();
}

void GridEditing::loadFile() {
    m_form.loadFileCommand();
}

void GridEditing::help() {
    m_form.message(editHelpText(m_form.windowTitle().contains(QLatin1String("rsite"))));
}

void GridEditing::undo() {
    RecordSet* rs = m_form.m_recordSet.get();
    if (!rs)
        return;
    const int column = m_form.m_grid->currentIndex().column();
    const qsizetype before = rs->recordCount();
    QScopedValueRollback guard(m_syncing, true);
    try {
        m_editor.undo(*rs);
    } catch (const Error&) {
        m_form.m_model->refresh();
        followRecordSet(column);
        m_form.syncPosition();
        throw;
    }
    // An undone addition takes a row out of the middle: the grid is laid out afresh.
    if (rs->recordCount() < before)
        m_form.m_model->refresh();
    else
        m_form.m_model->syncRows();
    followRecordSet(column);
    m_form.syncPosition();
}

} // namespace rp
