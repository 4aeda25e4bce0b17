// The grid side of the main window: showing a result, reading the current record, list
// positions, column widths and the navigator.
#include "Form1.h"

#include "Navigator.h"
#include "RecordSetModel.h"
#include "Twips.h"
#include "db/Browsing.h"
#include "db/Database.h"
#include "db/Error.h"
#include "db/RecordSet.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

namespace rp {

void Form1::showResult(std::unique_ptr<RecordSet> recordSet, std::shared_ptr<Database> database,
                       bool editable) {
    // The model lets go of the old set before it is destroyed.
    m_model->setRecordSet(recordSet.get(), editable);
    m_recordSet = std::move(recordSet);
    m_database = std::move(database);
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_grid->setColumnWidth(c, m_grid->horizontalHeader()->defaultSectionSize());
    if (hasRecords())
        m_grid->setCurrentIndex(m_model->index(0, 0));
    m_grid->doItemsLayout();
    syncPosition();
    emit resultReplaced();
}

std::shared_ptr<Database> Form1::connectionFor(const QString& connectionString) {
    std::shared_ptr<Database> database =
        m_database && !m_databaseConnection.isEmpty() && m_databaseConnection == connectionString
            ? m_database
            : openDatabase(connectionString);
    database->setProgress(m_commandProgress);
    return database;
}

void Form1::focusGrid() {
    m_grid->setFocus();
    // Leave cell-edit mode, keeping what was typed.
    if (QWidget* editor = m_grid->indexWidget(m_grid->currentIndex())) {
        QMetaObject::invokeMethod(m_grid, "commitData", Q_ARG(QWidget*, editor));
        QMetaObject::invokeMethod(
            m_grid, "closeEditor", Q_ARG(QWidget*, editor),
            Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
    }
}

bool Form1::hasRecords() const {
    return m_recordSet && !m_recordSet->isEmpty();
}

QString Form1::currentText(int field) const {
    const qsizetype row = m_recordSet ? m_recordSet->currentRow() : -1;
    if (row < 0 || field >= m_recordSet->fieldCount())
        throw Error(QStringLiteral("There is no current record with a column %1.").arg(field));
    return m_recordSet->displayText(row, field);
}

bool Form1::currentIsNull(int field) const {
    const qsizetype row = m_recordSet ? m_recordSet->currentRow() : -1;
    return row < 0 || field >= m_recordSet->fieldCount() || m_recordSet->isNull(row, field);
}

QString Form1::columnCaption(int column) const {
    return m_model->headerData(column, Qt::Horizontal).toString();
}

int Form1::topRecord() const {
    const int row = m_grid->rowAt(0);
    return row < 0 ? 0 : row + 1;
}

int Form1::currentOffset() const {
    const int current = m_grid->currentIndex().row();
    const int top = m_grid->rowAt(0);
    return current < 0 || top < 0 ? 0 : current - top;
}

void Form1::scrollToTop(int record) {
    if (record < 1 || record > m_model->rowCount())
        return;
    m_grid->doItemsLayout();
    m_grid->verticalScrollBar()->setValue(record - 1);
}

void Form1::setCurrentRow(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    const int column = std::max(m_grid->currentIndex().column(), 0);
    m_grid->setCurrentIndex(m_model->index(row, column));
}

void Form1::setColumnWidths(std::initializer_list<int> twips, double factor) {
    int column = 0;
    for (int width : twips) {
        if (column < m_model->columnCount())
            m_grid->setColumnWidth(column, twipsToPixels(static_cast<int>(width * factor)));
        ++column;
    }
}

double Form1::widthFactor(bool parameterList) const {
    return columnWidthFactor(pixelsToTwips(m_grid->width()), parameterList, m_resW);
}

void Form1::moveRecord(int move) {
    // Records only: the "*" row of an editable grid is not a record to move to.
    const int rows = m_recordSet ? int(m_recordSet->recordCount()) : 0;
    if (rows == 0)
        return;
    const int current = m_grid->currentIndex().row();
    int row = 0;
    switch (static_cast<Navigator::Move>(move)) {
    case Navigator::Move::First:
        row = 0;
        break;
    case Navigator::Move::Previous:
        row = std::max(current - 1, 0);
        break;
    case Navigator::Move::Next:
        row = std::min(current + 1, rows - 1);
        break;
    case Navigator::Move::Last:
        row = rows - 1;
        break;
    }
    setCurrentRow(row);
    m_grid->scrollTo(m_grid->currentIndex());
}

void Form1::syncPosition() {
    m_adodc1->setPosition(m_recordSet ? m_recordSet->absolutePosition() : 0);
}

} // namespace rp
