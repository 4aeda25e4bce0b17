// The grid side of the main window: showing a result, reading the current record, list
// positions, column widths and the navigator.
#include "app/mainwindow/MainWindow.h"

#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/hdb/Browsing.h"
#include "gui/widgets/Navigator.h"
#include "gui/widgets/RecordSetModel.h"
#include "gui/widgets/Twips.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

namespace rp {

void MainWindow::showResult(std::unique_ptr<RecordSet> recordSet,
                            std::shared_ptr<Database> database, bool editable) {
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

std::shared_ptr<Database> MainWindow::connectionFor(const QString& connectionString) {
    std::shared_ptr<Database> database =
        m_database && !m_databaseConnection.isEmpty() && m_databaseConnection == connectionString
            ? m_database
            : openDatabase(connectionString);
    database->setProgress(m_commandProgress);
    return database;
}

void MainWindow::focusGrid() {
    m_grid->setFocus();
    // Leave cell-edit mode, keeping what was typed.
    if (QWidget* editor = m_grid->indexWidget(m_grid->currentIndex())) {
        QMetaObject::invokeMethod(m_grid, "commitData", Q_ARG(QWidget*, editor));
        QMetaObject::invokeMethod(
            m_grid, "closeEditor", Q_ARG(QWidget*, editor),
            Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
    }
}

bool MainWindow::hasRecords() const {
    return m_recordSet && !m_recordSet->isEmpty();
}

QString MainWindow::currentText(int field) const {
    const qsizetype row = m_recordSet ? m_recordSet->currentRow() : -1;
    if (row < 0 || field >= m_recordSet->fieldCount())
        throw Error(QStringLiteral("There is no current record with a column %1.").arg(field));
    return m_recordSet->displayText(row, field);
}

bool MainWindow::currentIsNull(int field) const {
    const qsizetype row = m_recordSet ? m_recordSet->currentRow() : -1;
    return row < 0 || field >= m_recordSet->fieldCount() || m_recordSet->isNull(row, field);
}

QString MainWindow::columnCaption(int column) const {
    return m_model->headerData(column, Qt::Horizontal).toString();
}

int MainWindow::topRecord() const {
    const int row = m_grid->rowAt(0);
    return row < 0 ? 0 : row + 1;
}

int MainWindow::currentOffset() const {
    const int current = m_grid->currentIndex().row();
    const int top = m_grid->rowAt(0);
    return current < 0 || top < 0 ? 0 : current - top;
}

void MainWindow::scrollToTop(int record) {
    if (record < 1 || record > m_model->rowCount())
        return;
    m_grid->doItemsLayout();
    m_grid->verticalScrollBar()->setValue(record - 1);
}

void MainWindow::setCurrentRow(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    const int column = std::max(m_grid->currentIndex().column(), 0);
    m_grid->setCurrentIndex(m_model->index(row, column));
}

void MainWindow::setColumnWidths(std::initializer_list<int> twips, double factor) {
    int column = 0;
    for (int width : twips) {
        if (column < m_model->columnCount())
            m_grid->setColumnWidth(column, twipsToPixels(static_cast<int>(width * factor)));
        ++column;
    }
    fitColumnsToTexts();
}

double MainWindow::widthFactor(bool parameterList) const {
    return columnWidthFactor(pixelsToTwips(m_grid->width()), parameterList, m_resW);
}

void MainWindow::moveRecord(int move) {
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

void MainWindow::syncPosition() {
    m_adodc1->setPosition(m_recordSet ? m_recordSet->absolutePosition() : 0);
}

} // namespace rp
