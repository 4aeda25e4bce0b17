#pragma once

#include "core/edit/RecordEditor.h"

#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <optional>

class QMenu;
class QModelIndex;

namespace rp {

class MainWindow;

// The main window's editing of its grid: the Edit popup menu (from the Edit Menu button or the
// right button over the row headers), typing rules, the "*" row where a new record starts, the
// automatic insertion of time-stepped rows, and undo of the last saved change (Ctrl+Z). The
// record set and the window's state stay the window's; this keeps the grid and the record set
// in step and reports refusals.
class GridEditing : public QObject {
    Q_OBJECT
public:
    explicit GridEditing(MainWindow& form);

    QMenu* menu() const { return m_menu; }
    const RecordEditor& editor() const { return m_editor; }
    // The grid's current cell changed: the record set follows, then the insertion rule runs.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous);
    // A new result is shown: the undo history belonged to the old one.
    void resultReplaced();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMenu(QPoint globalPos);
    void addNewRecord();
    void deleteRecord();
    void copyRecord();
    void pasteRecord();
    void loadFile();
    void help();
    void undo();
    // BeforeInsert and the new record, when the "*" row is entered or typed into.
    void startNewRow();
    void nextRecord();
    void cellChanged();
    // Puts the grid's current cell on the record set's current record.
    void followRecordSet(int column);
    void editRefused(const QModelIndex& index, const QString& typed, const QString& message);
    // Back in the refused cell's editor with the typing; the message only when it is new.
    void reopenRefused(const QString& message);
    // Esc or Cancel: the refused typing goes, the cell shows its stored value.
    void dropRefused();
    // A cell's text is about to be handed to the record set.
    void commitStarting();
    // False when the user does not want a typed key to take a record out of the series shown.
    bool confirmChange(const QModelIndex& index, const QString& typed);
    void addAction(const char* name, const QString& caption, void (GridEditing::*handler)());

    MainWindow& m_form;
    QMenu* m_menu;
    const RecordSet* m_shown = nullptr; // the result the history belongs to
    RecordEditor m_editor;
    bool m_syncing = false;
    bool m_asking = false;
    // A typed text the record set refused, kept in its cell's editor until it is corrected or
    // dropped; the one before the editor's latest commit, to say a message only once.
    struct Refusal {
        QPersistentModelIndex cell;
        QString typed;
    };
    std::optional<Refusal> m_refused;
    std::optional<Refusal> m_previousRefusal;
};

} // namespace rp
