#pragma once

// The worker behind patchSheetXml; inside this library only.

#include "formats/xlsx/XlsxPackage.h"
#include "formats/xlsx/XlsxReader.h"
#include "formats/xlsx/XlsxSheetPatch.h"
#include "formats/xlsx/XlsxXmlScan.h"

#include <QHash>
#include <QSet>

namespace rp {

inline constexpr int maxSheetRows = 1048576;

struct XlsxSheetWanted {
    int column = 0;
    QVariant value;
    QByteArray dateFormat;
    int style = -1; // the block's own cell style, when it sets one
};

struct XlsxSheetCell {
    int column = 0;
    qsizetype start = 0;
    qsizetype end = 0;
    QByteArrayView style;
    QByteArrayView type;
    QByteArrayView v;
    QString inlineText;
    bool hasInline = false;
    bool formula = false;
    bool anchor = false; // holds the range of a shared or array formula
};

class XlsxSheetPatcher {
public:
    XlsxSheetPatcher(const QByteArray& xml, const QList<XlsxCellBlock>& blocks,
                     const XlsxSheetContext& context)
        : m_xml(xml), m_scan(xml), m_blocks(blocks), m_context(context) {}

    XlsxSheetPatchResult run();
    // Thrown when listed rows are asked for in a sheet whose rows are not all numbered.
    struct RowsUnnumbered {};

private:
    Error damaged(const QString& what) const {
        return Error(QStringLiteral("The worksheet part \"%1\" of the workbook \"%2\" is damaged: "
                                    "%3.")
                         .arg(m_context.part, m_context.reader->package().path(), what));
    }
    XmlTag next() { return m_scan.next(QStringLiteral("The part \"%1\"").arg(m_context.part)); }
    int lastBlockRow() const;
    QList<XlsxSheetWanted> wantedAt(int row);
    // The rows after m_done and before `row` that only the blocks fill.
    void addRowsBefore(int row);
    void patchRow(const XmlTag& rowTag);
    // Every row from the scan's place to the end of sheetData.
    void patchEveryRow(qsizetype& copied);
    XlsxSheetCell readCell(const XmlTag& tag, int row, int& nextColumn);
    QVariant valueOf(const XlsxSheetCell& cell, int row) const;
    bool holds(const XlsxSheetCell& cell, const QVariant& wanted, int row) const;
    QByteArray newCell(int row, const XlsxSheetWanted& wanted, QByteArrayView style);
    void noteStyle(int column, int row, QByteArrayView style);
    // The style of the nearest cell above `row` in the column, from the block's styleFromRow.
    QByteArray styleAbove(int column, int row) const;
    void finishDimension();
    // Only the rows the blocks list: the others are copied without being read.
    bool everyBlockListsRows() const;
    void patchListedRows(qsizetype& copied);
    // The next row element from `from` before `end`, or -1.
    qsizetype findRow(qsizetype from, qsizetype end) const;
    int rowNumber(const XmlTag& rowTag) const;
    // The style of the column's cell in the nearest row of the sheet as read that lies above the
    // current place and below `below`; false when none does.
    bool styleInRowsBetween(int column, int below, QByteArray& style) const;

    const QByteArray& m_xml;
    XlsxXmlScan m_scan;
    QList<XlsxCellBlock> m_blocks;
    const XlsxSheetContext& m_context;
    XlsxSheetPatchResult m_result;
    QByteArray m_out;
    int m_done = 0;                // rows up to this one are written
    int m_firstRow = maxSheetRows; // the first row and column given a value
    int m_firstColumn = 16384;
    qsizetype m_dimensionAt = -1;
    QByteArray m_dimensionTag;
    QHash<int, QPair<int, QByteArray>> m_styleAbove; // column -> row noted, its cell's style
    QSet<int> m_rowsGivenValues;                     // rows where a new cell holds a value
    bool m_listed = false;
    qsizetype m_dataStart = 0; // just past <sheetData>
    qsizetype m_here = 0;      // where the row being written stands in the sheet as read
};

} // namespace rp
