// The cell styles a change in place adds to a workbook's styles part.
#include "formats/xlsx/XlsxPackage.h"
#include "formats/xlsx/XlsxPatch.h"
#include "formats/xlsx/XlsxPatchXml.h"
#include "formats/xlsx/XlsxReader.h"

namespace rp {

namespace {

// The index of the cell style `xf` in cellXfs, appended unless the workbook has it already (an
// earlier change made it); -1 when the part has no cellXfs.
int appendCellStyle(QByteArray& xml, const QString& part, const QByteArray& xf) {
    XlsxXmlScan scan(xml);
    XmlTag cellXfs;
    int styles = 0;
    int depth = 0;
    for (XmlTag tag = scan.next(part); tag.found(); tag = scan.next(part)) {
        if (tag.name == "cellXfs" && !tag.closing && !tag.empty) {
            cellXfs = tag;
        } else if (cellXfs.found() && tag.name == "xf" && !tag.closing) {
            // The whole element: a style with an alignment has it inside.
            if (depth == 0 && QByteArrayView(xml).sliced(tag.start).startsWith(xf))
                return styles;
            if (depth == 0)
                ++styles;
            depth += tag.empty ? 0 : 1;
        } else if (cellXfs.found() && tag.name == "xf" && tag.closing) {
            --depth;
        } else if (cellXfs.found() && tag.name == "cellXfs" && tag.closing) {
            xml.insert(tag.start, xf);
            setCount(xml, cellXfs, styles + 1);
            return styles;
        }
    }
    return -1;
}

} // namespace

QByteArray XlsxPatch::stylesBytes(const QString& refused) const {
    if (m_stylesPart.isEmpty() || !m_reader->package().has(m_stylesPart))
        throw XlsxPatchRefused(refused);
    return partBytes(m_stylesPart);
}

int XlsxPatch::dateStyle(const QByteArray& code) {
    return cellStyle(code, false);
}

int XlsxPatch::cellStyle(const QByteArray& code, bool rightAligned) {
    const QByteArray key = rightAligned ? code + "\nright" : code;
    const auto cached = m_cellStyles.constFind(key);
    if (cached != m_cellStyles.constEnd())
        return *cached;
    const QString refused =
        QStringLiteral("The workbook \"%1\" has no cell styles a cell can be given.").arg(m_path);
    QByteArray xml = stylesBytes(refused);

    // The number format: the workbook's own when it has this one, else a new custom one.
    XlsxXmlScan scan(xml);
    XmlTag sheet, numFmts, numFmtsEnd;
    int formatId = -1;
    int highest = 163; // custom formats are numbered from 164
    qsizetype formats = 0;
    for (XmlTag tag = scan.next(m_stylesPart); tag.found(); tag = scan.next(m_stylesPart)) {
        if (prefixed(xml, tag))
            throw XlsxPatchRefused(refused);
        if (tag.name == "styleSheet" && !tag.closing)
            sheet = tag;
        else if (tag.name == "numFmts")
            (tag.closing ? numFmtsEnd : numFmts) = tag;
        else if (tag.name == "numFmt") {
            const QByteArrayView t = tagBytes(xml, tag);
            const int id = xmlAttribute(t, "numFmtId").toInt();
            highest = qMax(highest, id);
            ++formats;
            if (xmlAttribute(t, "formatCode") == code)
                formatId = id;
        } else if (tag.name == "cellXfs")
            break;
    }
    if (!sheet.found())
        throw XlsxPatchRefused(refused);
    if (code.isEmpty()) {
        formatId = 0; // General
    } else if (formatId < 0) {
        formatId = highest + 1;
        const QByteArray format = "<numFmt numFmtId=\"" + QByteArray::number(formatId) +
                                  "\" formatCode=\"" + code + "\"/>";
        if (numFmtsEnd.found()) {
            xml.insert(numFmtsEnd.start, format);
            setCount(xml, numFmts, formats + 1);
        } else if (numFmts.found()) { // <numFmts/>
            xml.replace(numFmts.start, numFmts.end - numFmts.start,
                        "<numFmts count=\"1\">" + format + "</numFmts>");
        } else {
            xml.insert(sheet.end, "<numFmts count=\"1\">" + format + "</numFmts>");
        }
    }
    QByteArray xf = "<xf numFmtId=\"" + QByteArray::number(formatId) +
                    "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"";
    if (formatId != 0)
        xf += " applyNumberFormat=\"1\"";
    xf += rightAligned ? " applyAlignment=\"1\"><alignment horizontal=\"right\"/></xf>" : "/>";
    const int style = appendCellStyle(xml, m_stylesPart, xf);
    if (style < 0)
        throw XlsxPatchRefused(refused);
    setPart(m_stylesPart, xml);
    m_cellStyles.insert(key, style);
    return style;
}

int XlsxPatch::whiteTextStyle() {
    if (m_whiteStyle >= 0)
        return m_whiteStyle;
    const QString refused =
        QStringLiteral("The workbook \"%1\" has no fonts a cell can be given.").arg(m_path);
    QByteArray xml = stylesBytes(refused);
    // The workbook's first font in white: the text looks as the workbook's other text does.
    XlsxXmlScan scan(xml);
    XmlTag fonts;
    XmlTag first;
    qsizetype firstEnd = -1;
    int count = 0;
    int depth = 0;
    QList<QPair<qsizetype, qsizetype>> colours; // of the first font
    QList<QPair<qsizetype, qsizetype>> all;     // every font
    for (XmlTag tag = scan.next(m_stylesPart); tag.found(); tag = scan.next(m_stylesPart)) {
        if (prefixed(xml, tag))
            throw XlsxPatchRefused(refused);
        if (tag.name == "fonts" && !tag.closing && !tag.empty) {
            fonts = tag;
        } else if (fonts.found() && tag.name == "font" && !tag.closing) {
            if (count++ == 0) {
                first = tag;
                firstEnd = tag.empty ? tag.end : -1;
            }
            all.append({tag.start, tag.end});
            depth += tag.empty ? 0 : 1;
        } else if (fonts.found() && tag.name == "font" && tag.closing) {
            if (--depth == 0 && firstEnd < 0)
                firstEnd = tag.end;
            if (depth == 0)
                all.last().second = tag.end;
        } else if (count == 1 && firstEnd < 0 && tag.name == "color") {
            if (tag.empty)
                colours.append({tag.start, tag.end});
        } else if (fonts.found() && tag.name == "fonts" && tag.closing) {
            QByteArray font = first.found() ? xml.sliced(first.start, firstEnd - first.start)
                                            : QByteArray("<font/>");
            for (qsizetype i = colours.size() - 1; i >= 0; --i)
                font.remove(colours[i].first - first.start, colours[i].second - colours[i].first);
            const QByteArray white = "<color rgb=\"FFFFFFFF\"/>";
            if (font.endsWith("/>"))
                font = font.left(font.size() - 2) + '>' + white + "</font>";
            else
                font.insert(font.indexOf('>') + 1, white);
            // An earlier change may have added it already.
            qsizetype fontId = 0;
            while (fontId < all.size() &&
                   xml.sliced(all[fontId].first, all[fontId].second - all[fontId].first) != font)
                ++fontId;
            if (fontId == all.size()) {
                xml.insert(tag.start, font);
                setCount(xml, fonts, count + 1);
            }
            const int style =
                appendCellStyle(xml, m_stylesPart,
                                "<xf numFmtId=\"0\" fontId=\"" + QByteArray::number(fontId) +
                                    "\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>");
            if (style < 0)
                throw XlsxPatchRefused(refused);
            setPart(m_stylesPart, xml);
            m_whiteStyle = style;
            return style;
        }
    }
    throw XlsxPatchRefused(refused);
}

} // namespace rp
