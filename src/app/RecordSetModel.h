#pragma once

#include <QAbstractTableModel>

namespace rp {

class RecordSet;

// The grid's view of the current result set: reads the record set directly, so a series of any
// length costs nothing beyond the record set itself. Column captions are the field names; the
// text is blue when the set was opened for editing.
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

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Cells are marked editable when the set is; the editing commands supply the writing.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    RecordSet* m_recordSet = nullptr;
    bool m_editable = false;
};

} // namespace rp
