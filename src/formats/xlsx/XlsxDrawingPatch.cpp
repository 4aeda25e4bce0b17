// A sheet's charts in a change in place: the last one removed, the program's new one added.
#include "formats/xlsx/XlsxPackage.h"
#include "formats/xlsx/XlsxPatch.h"
#include "formats/xlsx/XlsxPatchXml.h"
#include "formats/xlsx/XlsxReader.h"

namespace rp {

namespace {

const char* drawingNamespaces =
    " xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\""
    " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"";
const QByteArray drawingType = "application/vnd.openxmlformats-officedocument.drawing+xml";
const QByteArray chartType = "application/vnd.openxmlformats-officedocument.drawingml.chart+xml";
const QByteArray themeType = "application/vnd.openxmlformats-officedocument.theme+xml";

// One object of a drawing: a top-level element (an anchor, or alternate content holding one),
// and the relationship of the chart it shows, if it shows one.
struct DrawingObject {
    qsizetype start = 0;
    qsizetype end = 0;
    QString chartId;
};

struct DrawingLayout {
    QList<DrawingObject> objects;
    qsizetype rootEnd = -1; // where the root's closing tag starts
    int highestShapeId = 0;
};

DrawingLayout drawingLayout(const QByteArray& xml, const QString& part) {
    DrawingLayout layout;
    XlsxXmlScan scan(xml);
    int depth = 0;
    for (XmlTag tag = scan.next(part); tag.found(); tag = scan.next(part)) {
        if (tag.closing) {
            if (--depth == 0)
                layout.rootEnd = tag.start;
            else if (depth == 1)
                layout.objects.last().end = tag.end;
            continue;
        }
        if (depth == 1)
            layout.objects.append({tag.start, tag.end, {}});
        if (tag.name == "chart" && depth > 1 && layout.objects.last().chartId.isEmpty())
            layout.objects.last().chartId = xmlText(relationshipIdOf(tagBytes(xml, tag)));
        if (tag.name == "cNvPr")
            layout.highestShapeId =
                qMax(layout.highestShapeId, xmlAttribute(tagBytes(xml, tag), "id").toInt());
        if (!tag.empty)
            ++depth;
    }
    if (layout.rootEnd < 0)
        throw Error(
            QStringLiteral("The drawing part \"%1\" of the workbook does not end.").arg(part));
    return layout;
}

// Where a <drawing> element goes in a worksheet: before the first of the elements that follow
// it, or before the end.
qsizetype drawingPlace(const QByteArray& xml, const QString& part) {
    static const QList<QByteArrayView> after{"legacyDrawing",   "legacyDrawingHF", "drawingHF",
                                             "picture",         "oleObjects",      "controls",
                                             "webPublishItems", "tableParts",      "extLst"};
    XlsxXmlScan scan(xml);
    int depth = 0;
    for (XmlTag tag = scan.next(part); tag.found(); tag = scan.next(part)) {
        if (tag.closing) {
            if (--depth == 0)
                return tag.start;
            continue;
        }
        if (depth == 1 && after.contains(tag.name))
            return tag.start;
        if (!tag.empty)
            ++depth;
    }
    throw Error(
        QStringLiteral("The worksheet part \"%1\" of the workbook does not end.").arg(part));
}

// The program's chart from the workbook it wrote: its anchor and its chart part.
struct NewChart {
    QByteArray anchor;
    QByteArray chart;
    QByteArray theme; // the colours its automatic lines and fills are drawn in
};

NewChart newChartOf(const QString& chartBook) {
    const XlsxPackage book(chartBook);
    const QString drawing = QStringLiteral("xl/drawings/drawing1.xml");
    const QByteArray xml = book.read(drawing);
    const DrawingLayout layout = drawingLayout(xml, drawing);
    for (const DrawingObject& object : layout.objects) {
        if (object.chartId.isEmpty())
            continue;
        for (const XlsxPackage::Relationship& rel : book.relationships(drawing))
            if (rel.id == object.chartId) {
                NewChart made;
                made.anchor = xml.sliced(object.start, object.end - object.start);
                made.chart = book.read(rel.target);
                const QString workbook = QStringLiteral("xl/workbook.xml");
                for (const XlsxPackage::Relationship& theme : book.relationships(workbook))
                    if (typeIs(theme.type, u"theme"))
                        made.theme = book.read(theme.target);
                return made;
            }
    }
    throw Error(QStringLiteral("The chart written in \"%1\" cannot be found.").arg(chartBook));
}

// The anchor made to stand in another drawing: its namespaces declared on itself, its chart
// reached through `id`, its shape numbered `shapeId`.
QByteArray transplanted(QByteArray anchor, const QString& id, int shapeId) {
    XlsxXmlScan scan(anchor);
    QList<XmlTag> tags;
    for (XmlTag tag = scan.next(QStringLiteral("chart")); tag.found();
         tag = scan.next(QStringLiteral("chart")))
        tags.append(tag);
    // From the back, so that the places found stay right.
    for (qsizetype i = tags.size() - 1; i >= 0; --i) {
        const XmlTag& tag = tags.at(i);
        const QByteArrayView bytes = tagBytes(anchor, tag);
        if (tag.name == "chart" && !tag.closing)
            anchor.replace(tag.start, bytes.size(), withXmlAttribute(bytes, "r:id", id.toUtf8()));
        else if (tag.name == "cNvPr" && !tag.closing)
            anchor.replace(tag.start, bytes.size(),
                           withXmlAttribute(bytes, "id", QByteArray::number(shapeId)));
    }
    const qsizetype nameEnd = anchor.indexOf(tags.first().name) + tags.first().name.size();
    anchor.insert(nameEnd, drawingNamespaces);
    return anchor;
}

} // namespace

QString XlsxPatch::drawingOf(const QString& sheetPart) const {
    const QByteArray xml = partBytes(sheetPart);
    XlsxXmlScan scan(xml);
    for (XmlTag tag = scan.next(sheetPart); tag.found(); tag = scan.next(sheetPart)) {
        if (tag.name != "drawing" || tag.closing)
            continue;
        const QString id = xmlText(relationshipIdOf(tagBytes(xml, tag)));
        const QString rels = XlsxPackage::relsPartOf(sheetPart);
        if (partExists(rels))
            for (const RelsEntry& entry : relsEntries(partBytes(rels), sheetPart))
                if (entry.id == id && typeIs(entry.type, u"drawing")) {
                    if (!partExists(entry.target))
                        break;
                    return entry.target;
                }
        throw Error(QStringLiteral("The workbook \"%1\" is damaged: the drawing of the worksheet "
                                   "part \"%2\" is missing.")
                        .arg(m_path, sheetPart));
    }
    return {};
}

void XlsxPatch::removeLastChart(const QString& sheet) {
    const QString drawing = drawingOf(sheetPartOf(sheet));
    if (drawing.isEmpty())
        return;
    QByteArray xml = partBytes(drawing);
    const DrawingLayout layout = drawingLayout(xml, drawing);
    for (qsizetype i = layout.objects.size() - 1; i >= 0; --i) {
        const DrawingObject& object = layout.objects.at(i);
        if (object.chartId.isEmpty())
            continue;
        xml.remove(object.start, object.end - object.start);
        setPart(drawing, xml);
        const QString rels = XlsxPackage::relsPartOf(drawing);
        if (!partExists(rels))
            return;
        for (const RelsEntry& entry : relsEntries(partBytes(rels), drawing)) {
            if (entry.id != object.chartId)
                continue;
            removeRelationship(drawing, entry.id);
            if (entry.target.isEmpty() || !partExists(entry.target))
                return;
            // The chart's own style and colour parts go with it.
            const QString own = XlsxPackage::relsPartOf(entry.target);
            if (partExists(own))
                for (const RelsEntry& part : relsEntries(partBytes(own), entry.target))
                    if ((typeIs(part.type, u"chartStyle") ||
                         typeIs(part.type, u"chartColorStyle")) &&
                        partExists(part.target))
                        removePart(part.target);
            removePart(entry.target);
            return;
        }
        return;
    }
}

void XlsxPatch::addChart(const QString& sheet, const QString& chartBook) {
    const QString sheetPart = sheetPartOf(sheet);
    QString drawing = drawingOf(sheetPart);
    const NewChart made = newChartOf(chartBook);
    const QString chartPart = freePartName("xl/charts/chart%1.xml");
    addPart(chartPart, made.chart, chartType);
    // A workbook without a theme leaves the chart's automatic colours to the program that opens
    // it, and some draw them in none: it gets the theme the chart was made with.
    const QString workbook = m_reader->workbookPart();
    bool themed = false;
    if (partExists(XlsxPackage::relsPartOf(workbook)))
        for (const RelsEntry& entry :
             relsEntries(partBytes(XlsxPackage::relsPartOf(workbook)), workbook))
            themed = themed || typeIs(entry.type, u"theme");
    if (!themed && !made.theme.isEmpty()) {
        const QString theme = freePartName("xl/theme/theme%1.xml");
        addPart(theme, made.theme, themeType);
        addRelationship(workbook, "theme", theme);
    }
    if (drawing.isEmpty()) {
        // A sheet without drawing gets one.
        drawing = freePartName("xl/drawings/drawing%1.xml");
        addPart(drawing,
                "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<xdr:wsDr" +
                    QByteArray(drawingNamespaces) + "></xdr:wsDr>",
                drawingType);
        const QString id = addRelationship(sheetPart, "drawing", drawing);
        QByteArray sheetXml = partBytes(sheetPart);
        sheetXml.insert(drawingPlace(sheetXml, sheetPart), "<drawing xmlns:r=\"" +
                                                               QByteArray(relationshipsNamespace) +
                                                               "\" r:id=\"" + id.toUtf8() + "\"/>");
        setPart(sheetPart, sheetXml);
    }
    QByteArray xml = partBytes(drawing);
    const DrawingLayout layout = drawingLayout(xml, drawing);
    const QString id = addRelationship(drawing, "chart", chartPart);
    xml.insert(layout.rootEnd, transplanted(made.anchor, id, layout.highestShapeId + 1));
    setPart(drawing, xml);
}

} // namespace rp
