#include "gui/widgets/RecordSetModel.h"

#include "core/base/Error.h"
#include "core/db/RecordSet.h"
#include "core/edit/EditHistory.h"

#include <QBrush>
#include <QColor>

namespace rp {

RecordSetModel::RecordSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordSetModel::setRecordSet(RecordSet* recordSet, bool editable) {
    beginResetModel();
    m_recordSet = recordSet;
    m_editable = editable;
    m_rows = wantedRows();
    endResetModel();
}

void RecordSetModel::refresh() {
    beginResetModel();
    m_rows = wantedRows();
    endResetModel();
}

int RecordSetModel::wantedRows() const {
    if (!m_recordSet)
        return 0;
    const auto records = static_cast<int>(qMin<qsizetype>(m_recordSet->recordCount(), INT_MAX - 1));
    return records + (newRowPlaceholder() >= 0 ? 1 : 0);
}

int RecordSetModel::newRowPlaceholder() const {
    // While a record is being added it stands in that row itself.
    if (!m_recordSet || !m_editable || !m_recordSet->isUpdatable() ||
        m_recordSet->editMode() == EditMode::Add)
        return -1;
    return static_cast<int>(qMin<qsizetype>(m_recordSet->recordCount(), INT_MAX - 1));
}

void RecordSetModel::syncRows() {
    const int wanted = wantedRows();
    if (wanted > m_rows) {
        beginInsertRows({}, m_rows, wanted - 1);
        m_rows = wanted;
        endInsertRows();
    } else if (wanted < m_rows) {
        beginRemoveRows({}, wanted, m_rows - 1);
        m_rows = wanted;
        endRemoveRows();
    }
    if (m_rows > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
    }
}

void RecordSetModel::recordRemoved(int row) {
    if (row < 0 || row >= m_rows)
        return;
    beginRemoveRows({}, row, row);
    --m_rows;
    endRemoveRows();
    syncRows();
}

int RecordSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
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
        if (index.row() >= m_recordSet->recordCount())
            return QString();
        return m_recordSet->displayText(index.row(), index.column());
    case Qt::ForegroundRole:
        return QBrush(m_editable ? QColor(0, 0, 255) : QColor(0, 0, 0));
    default:
        return {};
    }
}

bool RecordSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !m_editable || !m_recordSet)
        return false;
    const QString typed = value.toString();
    // An unchanged cell is no change: leaving it must not mark the record as edited, and an
    // empty cell of the "*" row starts no record.
    if (data(index, Qt::EditRole).toString() == typed)
        return true;
    if (m_changeCheck && !m_changeCheck(index, typed))
        return false;
    try {
        if (index.row() == newRowPlaceholder()) {
            if (m_newRowStarter)
                m_newRowStarter();
            else
                m_recordSet->addNew();
        } else if (m_recordSet->currentRow() != index.row()) {
            m_recordSet->setAbsolutePosition(index.row() + 1);
        }
        if (m_history)
            m_history->beforeChange(*m_recordSet);
        m_recordSet->setValue(index.column(), typed);
    } catch (const Error& e) {
        syncRows();
        emit editRefused(index, typed, e.message());
        return false;
    }
    syncRows();
    return true;
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || !m_recordSet)
        return {};
    if (orientation == Qt::Vertical) {
        if (section == newRowPlaceholder())
            return QStringLiteral("*");
        if (section >= m_recordSet->recordCount())
            return {};
        if (section == m_recordSet->currentRow() && m_recordSet->editMode() != EditMode::None)
            return QStringLiteral("\u270E"); // being edited, not yet saved
        if (m_history && m_history->isChanged(m_recordSet->bookmarkAt(section)))
            return QStringLiteral("\u2022"); // changed in this session
        return {};
    }
    if (section >= m_recordSet->fieldCount())
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
