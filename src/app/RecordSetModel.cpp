#include "RecordSetModel.h"

#include "db/RecordSet.h"

#include <QBrush>
#include <QColor>

namespace rp {

RecordSetModel::RecordSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordSetModel::setRecordSet(RecordSet* recordSet, bool editable) {
    beginResetModel();
    m_recordSet = recordSet;
    m_editable = editable;
    endResetModel();
}

void RecordSetModel::refresh() {
    beginResetModel();
    endResetModel();
}

int RecordSetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_recordSet)
        return 0;
    return static_cast<int>(qMin<qsizetype>(m_recordSet->recordCount(), INT_MAX));
}

int RecordSetModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_recordSet)
        return 0;
    return m_recordSet->fieldCount();
}

QVariant RecordSetModel::data(const QModelIndex& index, int role) const {
    if (!m_recordSet || !index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_recordSet->displayText(index.row(), index.column());
    case Qt::ForegroundRole:
        return QBrush(m_editable ? QColor(0, 0, 255) : QColor(0, 0, 0));
    default:
        return {};
    }
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || !m_recordSet ||
        section >= m_recordSet->fieldCount())
        return {};
    return m_recordSet->fieldName(section);
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace rp
