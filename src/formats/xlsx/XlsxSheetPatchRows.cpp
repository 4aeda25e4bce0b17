// Changing only the listed rows of a sheet: the rows between them are found by their start tags
// and copied without their cells being read, so one change costs little more than the copy.
#include "formats/xlsx/XlsxSheetPatcher.h"

#include <algorithm>

namespace rp {

namespace {

constexpr QByteArrayView rowStart = "<row";

bool endsRowName(char c) {
    return c == ' ' || c == '>' || c == '/' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

bool XlsxSheetPatcher::everyBlockListsRows() const {
    return !m_blocks.isEmpty() && std::all_of(m_blocks.begin(), m_blocks.end(),
                                              [](const XlsxCellBlock& b) { return b.onlyRows; });
}

qsizetype XlsxSheetPatcher::findRow(qsizetype from, qsizetype end) const {
    for (qsizetype at = m_xml.indexOf(rowStart, from); at >= 0 && at < end;
         at = m_xml.indexOf(rowStart, at + rowStart.size()))
        if (at + rowStart.size() < m_xml.size() && endsRowName(m_xml[at + rowStart.size()]))
            return at;
    return -1;
}

int XlsxSheetPatcher::rowNumber(const XmlTag& rowTag) const {
    const QByteArrayView r =
        xmlAttribute(QByteArrayView(m_xml).sliced(rowTag.start, rowTag.end - rowTag.start), "r");
    if (r.isNull())
        throw RowsUnnumbered{};
    bool ok = false;
    const int row = r.toInt(&ok);
    if (!ok || row < 1 || row > maxSheetRows)
        throw damaged(QStringLiteral("its rows are not numbered in order"));
    return row;
}

bool XlsxSheetPatcher::styleInRowsBetween(int column, int below, QByteArray& style) const {
    int from = maxSheetRows + 1;
    for (const XlsxCellBlock& block : m_blocks)
        if (column >= block.firstColumn && column < block.firstColumn + block.columnCount)
            from = qMin(from, block.styleFromRow);
    const QString what = QStringLiteral("The part \"%1\"").arg(m_context.part);
    for (qsizetype before = m_here; before > m_dataStart;) {
        qsizetype at = m_xml.lastIndexOf(rowStart, before - 1);
        while (at >= m_dataStart && !endsRowName(m_xml[at + rowStart.size()]))
            at = m_xml.lastIndexOf(rowStart, at - 1);
        if (at < m_dataStart)
            return false;
        XlsxXmlScan scan(m_xml);
        scan.seek(at);
        const XmlTag rowTag = scan.next(what);
        const int row = rowNumber(rowTag);
        if (row <= below || row < from)
            return false;
        int nextColumn = 0;
        for (XmlTag tag = rowTag.empty ? XmlTag() : scan.next(what);
             tag.found() && !(tag.name == "row" && tag.closing); tag = scan.next(what)) {
            if (tag.name != "c" || tag.closing)
                continue;
            const QByteArrayView cell =
                QByteArrayView(m_xml).sliced(tag.start, tag.end - tag.start);
            const QByteArrayView ref = xmlAttribute(cell, "r");
            int cellColumn = nextColumn;
            int cellRow = row;
            if (!ref.isNull() && !parseCellName(ref, cellColumn, cellRow))
                throw damaged(QStringLiteral("a cell of row %1 is named wrongly").arg(row));
            nextColumn = cellColumn + 1;
            if (cellColumn == column) {
                style = xmlAttribute(cell, "s").toByteArray();
                return true;
            }
        }
        before = at;
    }
    return false;
}

void XlsxSheetPatcher::patchListedRows(qsizetype& copied) {
    const qsizetype end = m_xml.lastIndexOf("</sheetData>");
    if (end < m_dataStart)
        throw damaged(QStringLiteral("its sheetData does not end"));
    m_result.hasFormulas = holdsFormula(m_xml);
    QList<int> rows;
    int from = 0;
    for (const XlsxCellBlock& block : m_blocks) {
        rows += *block.onlyRows;
        if (block.everyRowFrom > 0)
            from = from > 0 ? qMin(from, block.everyRowFrom) : block.everyRowFrom;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (from > 0) {
        rows.erase(std::remove_if(rows.begin(), rows.end(), [from](int r) { return r >= from; }),
                   rows.end());
        rows.append(from); // where every row is read from
    }

    qsizetype at = m_dataStart; // the search for the next row starts here
    for (const int target : rows) {
        if (target < 1 || target > maxSheetRows)
            continue;
        // The first row element numbered `target` or more, or the end of the rows.
        XmlTag rowTag;
        int number = 0;
        qsizetype place = end;
        for (qsizetype found = findRow(at, end); found >= 0; found = findRow(at, end)) {
            m_scan.seek(found);
            rowTag = next();
            number = rowNumber(rowTag);
            if (number >= target) {
                place = found;
                break;
            }
            at = rowTag.end;
        }
        m_out += QByteArrayView(m_xml).sliced(copied, place - copied);
        copied = place;
        m_here = place;
        m_done = qMax(m_done, target - 1);
        if (target == from) {
            m_scan.seek(place);
            patchEveryRow(copied);
            return;
        }
        if (place < end && number == target) {
            patchRow(rowTag);
            copied = rowTag.empty ? rowTag.end : m_scan.position();
            at = copied;
        } else {
            addRowsBefore(target + 1);
        }
    }
}

} // namespace rp
