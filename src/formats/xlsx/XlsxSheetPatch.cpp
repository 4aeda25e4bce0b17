#include "formats/xlsx/XlsxSheetPatch.h"

#include "formats/xlsx/XlsxCellValue.h"
#include "formats/xlsx/XlsxDates.h"
#include "formats/xlsx/XlsxPackage.h"
#include "formats/xlsx/XlsxReader.h"
#include "formats/xlsx/XlsxSheetPatcher.h"
#include "formats/xlsx/XlsxXmlScan.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>

namespace rp {

namespace {

constexpr qsizetype maxTextLength = 32767;
constexpr int maxColumns = 16384;

bool isDate(const QVariant& v) {
    return xlsxValueKind(v) == XlsxValueKind::Date;
}

bool isNumber(const QVariant& v) {
    return xlsxValueKind(v) == XlsxValueKind::Number;
}

// The same value as the reader would give back: then the cell is left as it is.
bool sameValue(const QVariant& held, const QVariant& wanted) {
    if (held.isNull() || wanted.isNull())
        return held.isNull() == wanted.isNull();
    if (isDate(held) || isDate(wanted))
        return isDate(held) && isDate(wanted) &&
               std::fabs(serialFromDateTime(xlsxDateTimeOf(held)) -
                         serialFromDateTime(xlsxDateTimeOf(wanted))) < 0.5 / 86400000.0;
    if (isNumber(held) || isNumber(wanted))
        return isNumber(held) && isNumber(wanted) && held.toDouble() == wanted.toDouble();
    if (held.typeId() == QMetaType::Bool || wanted.typeId() == QMetaType::Bool)
        return held.typeId() == wanted.typeId() && held.toBool() == wanted.toBool();
    return held.toString() == wanted.toString();
}

} // namespace

int XlsxSheetPatcher::lastBlockRow() const {
    int last = 0;
    for (const XlsxCellBlock& block : m_blocks)
        last = qMax(last, block.firstRow + block.rowCount - 1);
    return last;
}

QList<XlsxSheetWanted> XlsxSheetPatcher::wantedAt(int row) {
    QList<XlsxSheetWanted> wanted;
    for (XlsxCellBlock& block : m_blocks) {
        if (row < block.firstRow)
            continue;
        const bool inside = row < block.firstRow + block.rowCount;
        if (!inside && !block.clearBelow)
            continue;
        QVariantList values;
        if (inside)
            block.values(row, values);
        for (int c = 0; c < block.columnCount; ++c) {
            const int column = block.firstColumn + c;
            const QVariant value = c < values.size() ? values.at(c) : QVariant();
            qsizetype at = 0;
            while (at < wanted.size() && wanted.at(at).column < column)
                ++at;
            if (at < wanted.size() && wanted.at(at).column == column)
                wanted[at] = {column, value, block.dateFormat, block.style};
            else
                wanted.insert(at, {column, value, block.dateFormat, block.style});
        }
    }
    return wanted;
}

void XlsxSheetPatcher::noteStyle(int column, int row, QByteArrayView style) {
    for (const XlsxCellBlock& block : m_blocks)
        if (column >= block.firstColumn && column < block.firstColumn + block.columnCount &&
            row >= block.styleFromRow)
            m_styleAbove.insert(column, {row, style.toByteArray()});
}

QByteArray XlsxSheetPatcher::styleAbove(int column, int row) const {
    const auto found = m_styleAbove.constFind(column);
    const int noted = found == m_styleAbove.constEnd() ? 0 : found->first;
    // Rows passed over unread may hold a nearer cell of the column.
    if (m_listed && noted < row - 1) {
        QByteArray style;
        if (styleInRowsBetween(column, noted, style))
            return style;
    }
    return noted > 0 ? found->second : QByteArray();
}

QByteArray XlsxSheetPatcher::newCell(int row, const XlsxSheetWanted& wanted, QByteArrayView style) {
    m_result.changed = true;
    const int column = wanted.column;
    const QVariant& value = wanted.value;
    QByteArray s = wanted.style >= 0 && !value.isNull() ? QByteArray::number(wanted.style)
                                                        : style.toByteArray();
    QByteArray type;
    QByteArray content;
    if (value.isNull()) {
        // An emptied cell keeps its format, as clearing contents does.
        if (s.isEmpty())
            return {};
    } else if (isDate(value)) {
        const QDateTime dt = xlsxDateTimeOf(value);
        if (s.isEmpty() || !m_context.reader->isDateStyle(s.toInt())) {
            const bool withTime = dt.time() != QTime(0, 0);
            s = QByteArray::number(
                m_context.dateStyle(!wanted.dateFormat.isEmpty() ? wanted.dateFormat
                                    : withTime                   ? QByteArray("yyyy-mm-dd hh:mm:ss")
                                                                 : QByteArray("yyyy-mm-dd")));
        }
        // A workbook counting from 1904 starts 1462 days later.
        const double serial = serialFromDateTime(dt) - (m_context.reader->date1904() ? 1462 : 0);
        content = "<v>" + QByteArray::number(serial, 'g', 17) + "</v>";
    } else if (value.typeId() == QMetaType::Bool) {
        type = "b";
        content = value.toBool() ? "<v>1</v>" : "<v>0</v>";
    } else if (isNumber(value)) {
        const double number = value.toDouble();
        if (std::isfinite(number)) {
            content =
                "<v>" + QByteArray::number(number, 'g', QLocale::FloatingPointShortest) + "</v>";
        } else {
            type = "e";
            content = "<v>#NUM!</v>";
        }
    } else {
        const QString text = value.toString();
        if (text.size() > maxTextLength)
            throw Error(QStringLiteral("A text in cell %1 of the worksheet part \"%2\" is longer "
                                       "than a cell can hold (%3 characters).")
                            .arg(QString::fromLatin1(cellName(column, row)), m_context.part)
                            .arg(maxTextLength));
        type = "inlineStr";
        const bool keepSpace = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
        content = (keepSpace ? "<is><t xml:space=\"preserve\">" : "<is><t>") +
                  xmlEscapedText(text) + "</t></is>";
    }
    if (!value.isNull()) {
        m_rowsGivenValues.insert(row);
        m_result.lastRow = qMax(m_result.lastRow, row);
        m_result.lastColumn = qMax(m_result.lastColumn, column + 1);
        m_firstRow = qMin(m_firstRow, row);
        m_firstColumn = qMin(m_firstColumn, column);
    }
    QByteArray cell = "<c r=\"" + cellName(column, row) + '"';
    if (!s.isEmpty())
        cell += " s=\"" + s + '"';
    if (!type.isEmpty())
        cell += " t=\"" + type + '"';
    if (content.isEmpty())
        return cell + "/>";
    return cell + '>' + content + "</c>";
}

void XlsxSheetPatcher::addRowsBefore(int row) {
    const int to = qMin(row - 1, lastBlockRow());
    int first = row; // rows above every block need nothing
    for (const XlsxCellBlock& block : m_blocks)
        first = qMin(first, block.firstRow);
    const int from = qMax(m_done + 1, first);
    for (int r = from; r <= to; ++r) {
        QByteArray cells;
        for (const XlsxSheetWanted& w : wantedAt(r)) {
            if (w.value.isNull())
                continue;
            const QByteArray style = styleAbove(w.column, r);
            cells += newCell(r, w, style);
            noteStyle(w.column, r, style);
        }
        if (!cells.isEmpty())
            m_out += "<row r=\"" + QByteArray::number(r) + "\">" + cells + "</row>";
    }
    m_done = qMax(m_done, row - 1);
}

XlsxSheetCell XlsxSheetPatcher::readCell(const XmlTag& tag, int row, int& nextColumn) {
    XlsxSheetCell cell;
    cell.start = tag.start;
    const QByteArrayView startTag = QByteArrayView(m_xml).sliced(tag.start, tag.end - tag.start);
    const QByteArrayView ref = xmlAttribute(startTag, "r");
    int refRow = row;
    cell.column = nextColumn;
    if (!ref.isNull() && (!parseCellName(ref, cell.column, refRow) || refRow != row))
        throw damaged(QStringLiteral("the cell \"%1\" stands in row %2")
                          .arg(QString::fromUtf8(ref))
                          .arg(row));
    if (cell.column >= maxColumns)
        throw damaged(QStringLiteral("a cell lies beyond the last column"));
    nextColumn = cell.column + 1;
    cell.style = xmlAttribute(startTag, "s");
    cell.type = xmlAttribute(startTag, "t");
    cell.end = tag.end;
    if (tag.empty)
        return cell;
    int phonetic = 0;
    bool inInline = false;
    for (XmlTag inner = next(); inner.found(); inner = next()) {
        cell.end = inner.end;
        if (inner.name == "c" && inner.closing)
            return cell;
        if (inner.name == "f" && !inner.closing) {
            cell.formula = true;
            m_result.hasFormulas = true;
            const QByteArrayView f =
                QByteArrayView(m_xml).sliced(inner.start, inner.end - inner.start);
            cell.anchor = !xmlAttribute(f, "ref").isNull();
        } else if (inner.name == "v" && !inner.closing && !inner.empty) {
            const XmlTag close = next();
            if (!close.closing || close.name != "v")
                throw damaged(QStringLiteral("a value holds markup"));
            cell.v = QByteArrayView(m_xml).sliced(inner.end, close.start - inner.end);
        } else if (inner.name == "is") {
            inInline = !inner.closing && !inner.empty;
            cell.hasInline = true;
        } else if (inner.name == "rPh") {
            phonetic += inner.empty ? 0 : (inner.closing ? -1 : 1);
        } else if (inInline && phonetic == 0 && inner.name == "t" && !inner.closing &&
                   !inner.empty) {
            const XmlTag close = next();
            if (!close.closing || close.name != "t")
                throw damaged(QStringLiteral("a text holds markup"));
            cell.inlineText += decodeCellEscapes(
                xmlText(QByteArrayView(m_xml).sliced(inner.end, close.start - inner.end)));
        }
    }
    throw damaged(QStringLiteral("a cell does not end"));
}

QVariant XlsxSheetPatcher::valueOf(const XlsxSheetCell& cell, int row) const {
    return m_context.reader->cellValue(
        QString::fromLatin1(cell.type), cell.style.isNull() ? -1 : cell.style.toInt(),
        xmlText(cell.v), cell.inlineText, cell.hasInline, m_context.part,
        QString::fromLatin1(cellName(cell.column, row)));
}

// Number cells, nearly all of a value sheet, are compared without making their value.
bool XlsxSheetPatcher::holds(const XlsxSheetCell& cell, const QVariant& wanted, int row) const {
    if ((cell.type.isEmpty() || cell.type == "n") && !cell.v.isEmpty() && !wanted.isNull() &&
        !m_context.reader->date1904()) {
        bool ok = false;
        const double number = cell.v.toDouble(&ok);
        if (ok) {
            const bool dateStyle =
                !cell.style.isNull() && m_context.reader->isDateStyle(cell.style.toInt());
            if (isDate(wanted))
                return dateStyle && std::fabs(number - serialFromDateTime(xlsxDateTimeOf(wanted))) <
                                        0.5 / 86400000.0;
            if (isNumber(wanted) && !dateStyle)
                return number == wanted.toDouble();
        }
    }
    return sameValue(valueOf(cell, row), wanted);
}

void XlsxSheetPatcher::patchRow(const XmlTag& rowTag) {
    const QByteArrayView startTag =
        QByteArrayView(m_xml).sliced(rowTag.start, rowTag.end - rowTag.start);
    const QByteArrayView r = xmlAttribute(startTag, "r");
    bool ok = true;
    const int row = r.isNull() ? m_done + 1 : r.toInt(&ok);
    if (!ok || row <= m_done || row > maxSheetRows)
        throw damaged(QStringLiteral("its rows are not numbered in order"));
    m_here = rowTag.start;
    addRowsBefore(row);
    m_done = row;

    QList<XlsxSheetCell> cells;
    qsizetype rowEnd = rowTag.end;
    qsizetype tail = rowTag.end; // where what follows the last cell begins
    if (!rowTag.empty) {
        int nextColumn = 0;
        for (XmlTag tag = next();; tag = next()) {
            if (!tag.found())
                throw damaged(QStringLiteral("a row does not end"));
            if (tag.name == "row" && tag.closing) {
                rowEnd = tag.end;
                break;
            }
            if (tag.name == "c" && !tag.closing) {
                cells.append(readCell(tag, row, nextColumn));
                tail = cells.last().end;
            }
        }
    }
    const QList<XlsxSheetWanted> wanted = wantedAt(row);

    // Which cells change, and the new ones in column order.
    QByteArray body;
    bool changed = false;
    bool added = false;
    qsizetype w = 0;
    const auto addWanted = [&](const XlsxSheetWanted& want) {
        if (want.value.isNull())
            return;
        const QByteArray style = styleAbove(want.column, row);
        body += newCell(row, want, style);
        noteStyle(want.column, row, style);
        changed = added = true;
    };
    for (const XlsxSheetCell& cell : cells) {
        while (w < wanted.size() && wanted.at(w).column < cell.column)
            addWanted(wanted.at(w++));
        const QByteArrayView bytes =
            QByteArrayView(m_xml).sliced(cell.start, cell.end - cell.start);
        if (w < wanted.size() && wanted.at(w).column == cell.column) {
            const XlsxSheetWanted& want = wanted.at(w++);
            const QVariant& value = want.value;
            const bool emptyAlready =
                value.isNull() && !cell.formula && cell.v.isEmpty() && !cell.hasInline;
            // A cell the block styles is written again when its style is another.
            const bool restyle =
                want.style >= 0 && !value.isNull() && cell.style != QByteArray::number(want.style);
            if (!emptyAlready && (cell.formula || restyle || !holds(cell, value, row))) {
                if (cell.formula && !restyle && holds(cell, value, row)) {
                    body += bytes; // the formula gives the value already
                    noteStyle(cell.column, row, cell.style);
                    continue;
                }
                if (cell.anchor)
                    throw XlsxPatchRefused(
                        QStringLiteral("The cell %1 of the worksheet part \"%2\" holds a formula "
                                       "that other cells share.")
                            .arg(QString::fromLatin1(cellName(cell.column, row)), m_context.part));
                m_result.formulaReplaced = m_result.formulaReplaced || cell.formula;
                body += newCell(row, want, cell.style);
                noteStyle(cell.column, row, cell.style);
                changed = true;
                continue;
            }
        }
        noteStyle(cell.column, row, cell.style);
        body += bytes;
    }
    while (w < wanted.size())
        addWanted(wanted.at(w++));

    if (!changed) {
        m_out += QByteArrayView(m_xml).sliced(rowTag.start, rowEnd - rowTag.start);
        return;
    }
    if (body.isEmpty())
        return; // every cell emptied: the row goes, as a deleted record's row does
    // A row's spans only hint at its cells; new ones may lie outside them.
    const QByteArray start =
        added ? withXmlAttribute(startTag, "spans", QByteArray()) : startTag.toByteArray();
    if (rowTag.empty) {
        m_out += start.left(start.size() - 2) + '>' + body + "</row>";
        return;
    }
    m_out += start;
    m_out += body;
    m_out += QByteArrayView(m_xml).sliced(tail, rowEnd - tail);
}

void XlsxSheetPatcher::finishDimension() {
    if (m_dimensionAt < 0 || m_result.lastRow == 0)
        return;
    const QByteArrayView ref = xmlAttribute(m_dimensionTag, "ref");
    const qsizetype colon = ref.indexOf(':');
    int firstColumn = 0, firstRow = 1, lastColumn = 0, lastRow = 1;
    if (!parseCellName(colon < 0 ? ref : ref.first(colon), firstColumn, firstRow))
        return;
    if (colon < 0 || !parseCellName(ref.sliced(colon + 1), lastColumn, lastRow)) {
        lastColumn = firstColumn;
        lastRow = firstRow;
    }
    const int newRow = qMax(lastRow, m_result.lastRow);
    const int newColumn = qMax(lastColumn, m_result.lastColumn - 1);
    const int newFirstRow = qMin(firstRow, m_firstRow);
    const int newFirstColumn = qMin(firstColumn, m_firstColumn);
    if (newRow == lastRow && newColumn == lastColumn && newFirstRow == firstRow &&
        newFirstColumn == firstColumn)
        return;
    // Rows that continue the sheet's last one, not a cell further below.
    int continued = lastRow;
    while (m_rowsGivenValues.contains(continued + 1))
        ++continued;
    if (continued > lastRow) {
        m_result.lastRowBefore = lastRow;
        m_result.lastRowAfter = continued;
    }
    const QByteArray tag =
        withXmlAttribute(m_dimensionTag, "ref",
                         cellName(newFirstColumn, newFirstRow) + ':' + cellName(newColumn, newRow));
    m_out.replace(m_dimensionAt, m_dimensionTag.size(), tag);
}

void XlsxSheetPatcher::patchEveryRow(qsizetype& copied) {
    for (XmlTag inner = next();; inner = next()) {
        if (!inner.found())
            throw damaged(QStringLiteral("its sheetData does not end"));
        if (inner.name == "row" && !inner.closing) {
            patchRow(inner);
        } else if (inner.name == "sheetData" && inner.closing) {
            m_here = inner.start;
            addRowsBefore(lastBlockRow() + 1);
            m_out += QByteArrayView(m_xml).sliced(inner.start, inner.end - inner.start);
            copied = inner.end;
            return;
        }
    }
}

XlsxSheetPatchResult XlsxSheetPatcher::run() {
    m_out.reserve(m_xml.size() + m_xml.size() / 8);
    qsizetype copied = 0;
    XmlTag tag;
    for (tag = next(); tag.found(); tag = next()) {
        if (tag.name == "dimension" && !tag.closing) {
            m_out += QByteArrayView(m_xml).sliced(copied, tag.start - copied);
            m_dimensionAt = m_out.size();
            m_dimensionTag = m_xml.sliced(tag.start, tag.end - tag.start);
            m_out += m_dimensionTag;
            copied = tag.end;
        } else if (tag.name == "sheetData" && !tag.closing) {
            break;
        }
    }
    if (!tag.found())
        throw damaged(QStringLiteral("it has no sheetData"));
    if (m_xml.sliced(tag.start + 1, tag.name.size()) != tag.name)
        throw XlsxPatchRefused(QStringLiteral("The worksheet part \"%1\" writes its elements "
                                              "with a prefix.")
                                   .arg(m_context.part));
    m_out += QByteArrayView(m_xml).sliced(copied, tag.end - copied);
    if (tag.empty) {
        // <sheetData/>: opened for the new rows
        m_out.chop(2);
        m_out += '>';
        addRowsBefore(lastBlockRow() + 1);
        if (!m_result.changed) {
            m_out.chop(1);
            m_out += "/>";
        } else {
            m_out += "</sheetData>";
        }
        copied = tag.end;
    } else if (everyBlockListsRows()) {
        m_listed = true;
        m_dataStart = tag.end;
        copied = tag.end;
        patchListedRows(copied);
    } else {
        patchEveryRow(copied);
    }
    m_out += QByteArrayView(m_xml).sliced(copied);
    finishDimension();
    m_result.xml = std::move(m_out);
    return m_result;
}

XlsxSheetPatchResult patchSheetXml(const QByteArray& xml, const QList<XlsxCellBlock>& blocks,
                                   const XlsxSheetContext& context) {
    try {
        return XlsxSheetPatcher(xml, blocks, context).run();
    } catch (const XlsxSheetPatcher::RowsUnnumbered&) {
        // A row without its number: its place is found by reading every row.
        QList<XlsxCellBlock> every = blocks;
        for (XlsxCellBlock& block : every)
            block.onlyRows.reset();
        return XlsxSheetPatcher(xml, every, context).run();
    }
}

} // namespace rp
