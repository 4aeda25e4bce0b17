#pragma once

#include <QAbstractTableModel>
#include <functional>

namespace rp {

class EditHistory;
class RecordSet;

// The grid's view of the current result set: reads the record set directly, so a series of any
// length costs nothing beyond the record set itself. Column captions are the field names; the
// text is blue when the set was opened for editing. An editable set shows one more row at the
// end, "*", where a new record is started; cells typed into become the record set's pending
// changes, saved to the database when the record is left.
class RecordSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordSetModel(QObject* parent = nullptr);

    // The set is not owned; it must outlive the model's use of it (or be replaced first).
    void setRecordSet(RecordSet* recordSet, bool editable);
    RecordSet* recordSet() const { return m_recordSet; }
    bool isEditable() const { return m_editable; }
    // Rows were added, deleted or changed in the record set behind the model's back.
    void refresh();

    // Row headers mark the rows with saved changes that can be undone.
    void setEditHistory(EditHistory* history) { m_history = history; }
    // Called when a cell of the "*" row is written: starts the new record (addNew by default).
    void setNewRowStarter(std::function<void()> starter) { m_newRowStarter = std::move(starter); }
    // Asked before a typed text is stored in the record set; false drops the text.
    void setChangeCheck(std::function<bool(const QModelIndex&, const QString&)> check) {
        m_changeCheck = std::move(check);
    }
    // The row where a new record is started, or -1 when there is none.
    int newRowPlaceholder() const;
    // The record set gained or lost records at its end, or changed values: the rows follow.
    void syncRows();
    // The record at a row was deleted from the record set.
    void recordRemoved(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // A typed text the field or the database did not take; the record keeps its other changes.
    void editRefused(const QModelIndex& index, const QString& typed, const QString& message);

private:
    int wantedRows() const;

    RecordSet* m_recordSet = nullptr;
    bool m_editable = false;
    int m_rows = 0;
    EditHistory* m_history = nullptr;
    std::function<void()> m_newRowStarter;
    std::function<bool(const QModelIndex&, const QString&)> m_changeCheck;
};

} // namespace rp
