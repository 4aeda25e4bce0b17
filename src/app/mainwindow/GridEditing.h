#pragma once

#include "core/edit/RecordEditor.h"

#include <QObject>
#include <QPoint>

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
    void addAction(const char* name, const QString& caption, void (GridEditing::*handler)());

    MainWindow& m_form;
    QMenu* m_menu;
    const RecordSet* m_shown = nullptr; // the result the history belongs to
    RecordEditor m_editor;
    bool m_syncing = false;
};

} // namespace rp
