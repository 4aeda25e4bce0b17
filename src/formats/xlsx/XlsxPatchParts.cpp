// The package parts a change in place adds, removes and links: sheets, relationships, content
// types.
#include "formats/xlsx/XlsxPackage.h"
#include "formats/xlsx/XlsxPatch.h"
#include "formats/xlsx/XlsxPatchXml.h"
#include "formats/xlsx/XlsxReader.h"

namespace rp {

namespace {

const QString contentTypesPart = QStringLiteral("[Content_Types].xml");

QByteArray attributeText(const QString& text) {
    QByteArray out = xmlEscapedText(text);
    return out.replace('"', "&quot;");
}

// Inserts `element` before the closing tag of the root element.
void insertBeforeRootEnd(QByteArray& xml, const QString& part, const QByteArray& element) {
    XlsxXmlScan scan(xml);
    XmlTag last;
    for (XmlTag tag = scan.next(part); tag.found(); tag = scan.next(part))
        last = tag;
    if (!last.found() || !last.closing)
        throw Error(QStringLiteral("The part \"%1\" of the workbook does not end.").arg(part));
    xml.insert(last.start, element);
}

} // namespace

QByteArrayView relationshipIdOf(QByteArrayView tag) {
    const QByteArrayView plain = xmlAttribute(tag, "r:id");
    if (!plain.isNull())
        return plain;
    // Another prefix for the same namespace: any prefixed "id" is the only one such tags have.
    for (qsizetype at = tag.indexOf(":id="); at > 0; at = tag.indexOf(":id=", at + 1)) {
        qsizetype start = at;
        while (start > 0 && tag.at(start - 1) != ' ' && tag.at(start - 1) != '\t' &&
               tag.at(start - 1) != '\n' && tag.at(start - 1) != '\r')
            --start;
        const QByteArrayView value = xmlAttribute(tag, tag.sliced(start, at + 3 - start));
        if (!value.isNull())
            return value;
    }
    return {};
}

QList<RelsEntry> relsEntries(const QByteArray& rels, const QString& sourcePart) {
    QList<RelsEntry> out;
    XlsxXmlScan scan(rels);
    const QString what = XlsxPackage::relsPartOf(sourcePart);
    for (XmlTag tag = scan.next(what); tag.found(); tag = scan.next(what)) {
        if (tag.name != "Relationship" || tag.closing)
            continue;
        const QByteArrayView t = tagBytes(rels, tag);
        RelsEntry entry;
        entry.id = xmlText(xmlAttribute(t, "Id"));
        entry.type = xmlText(xmlAttribute(t, "Type"));
        if (xmlText(xmlAttribute(t, "TargetMode")).compare(u"External", Qt::CaseInsensitive) != 0)
            entry.target =
                XlsxPackage::resolveTarget(sourcePart, xmlText(xmlAttribute(t, "Target")));
        entry.start = tag.start;
        entry.end = tag.end;
        out.append(entry);
    }
    return out;
}

bool XlsxPatch::partExists(const QString& part) const {
    const QString key = part.toLower();
    if (m_removed.contains(key))
        return false;
    return m_changed.contains(key) || m_reader->package().has(part);
}

void XlsxPatch::setPart(const QString& part, const QByteArray& bytes) {
    m_changed.insert(part.toLower(), bytes);
}

void XlsxPatch::addPart(const QString& part, const QByteArray& bytes,
                        const QByteArray& contentType) {
    setPart(part, bytes);
    m_added.append(part);
    QByteArray types = partBytes(contentTypesPart);
    insertBeforeRootEnd(types, contentTypesPart,
                        "<Override PartName=\"/" + attributeText(part) + "\" ContentType=\"" +
                            contentType + "\"/>");
    setPart(contentTypesPart, types);
}

void XlsxPatch::removePart(const QString& part) {
    const QString key = part.toLower();
    m_changed.remove(key);
    for (qsizetype i = m_added.size() - 1; i >= 0; --i)
        if (m_added.at(i).toLower() == key)
            m_added.removeAt(i);
    if (m_reader->package().has(part))
        m_removed.append(key);
    const QString rels = XlsxPackage::relsPartOf(part);
    if (partExists(rels))
        removePart(rels);
    QByteArray types = partBytes(contentTypesPart);
    XlsxXmlScan scan(types);
    for (XmlTag tag = scan.next(contentTypesPart); tag.found(); tag = scan.next(contentTypesPart))
        if (tag.name == "Override" && !tag.closing &&
            xmlText(xmlAttribute(tagBytes(types, tag), "PartName"))
                    .compare(u'/' + part, Qt::CaseInsensitive) == 0) {
            types.remove(tag.start, tag.end - tag.start);
            setPart(contentTypesPart, types);
            break;
        }
}

QString XlsxPatch::freePartName(const char* pattern) const {
    for (int n = 1;; ++n) {
        const QString name = QString::fromLatin1(pattern).arg(n);
        if (!m_reader->package().has(name) && !m_changed.contains(name.toLower()))
            return name;
    }
}

QString XlsxPatch::addRelationship(const QString& sourcePart, const char* type,
                                   const QString& target) {
    const QString relsPart = XlsxPackage::relsPartOf(sourcePart);
    QByteArray rels;
    if (partExists(relsPart)) {
        rels = partBytes(relsPart);
    } else {
        rels = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
               "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
               "</Relationships>";
        // A rels part needs no content type of its own: every package declares the extension.
        setPart(relsPart, rels);
        m_added.append(relsPart);
    }
    QStringList ids;
    for (const RelsEntry& entry : relsEntries(rels, sourcePart))
        ids.append(entry.id);
    QString id;
    for (int n = int(ids.size()) + 1; id.isEmpty() || ids.contains(id); ++n)
        id = QStringLiteral("rId%1").arg(n);
    insertBeforeRootEnd(rels, relsPart,
                        "<Relationship Id=\"" + id.toUtf8() + "\" Type=\"" +
                            QByteArray(relationshipsNamespace) + '/' + type + "\" Target=\"/" +
                            attributeText(target) + "\"/>");
    setPart(relsPart, rels);
    return id;
}

void XlsxPatch::removeRelationship(const QString& sourcePart, const QString& id) {
    const QString relsPart = XlsxPackage::relsPartOf(sourcePart);
    if (!partExists(relsPart))
        return;
    QByteArray rels = partBytes(relsPart);
    for (const RelsEntry& entry : relsEntries(rels, sourcePart))
        if (entry.id == id) {
            rels.remove(entry.start, entry.end - entry.start);
            setPart(relsPart, rels);
            return;
        }
}

QString XlsxPatch::sheetPartOf(const QString& sheet) const {
    for (qsizetype i = 0; i < m_reader->sheetNames().size(); ++i)
        if (m_reader->sheetNames().at(i).compare(sheet, Qt::CaseInsensitive) == 0)
            return m_reader->sheetPart(i);
    for (const auto& [name, part] : m_addedSheets)
        if (name.compare(sheet, Qt::CaseInsensitive) == 0)
            return part;
    throw Error(QStringLiteral("The workbook \"%1\" has no worksheet \"%2\".").arg(m_path, sheet));
}

bool XlsxPatch::hasSheet(const QString& sheet) const {
    try {
        sheetPartOf(sheet);
        return true;
    } catch (const Error&) {
        return false; // the only failure: no such sheet
    }
}

void XlsxPatch::addSheet(const QString& sheet, bool hidden) {
    const QString workbook = m_reader->workbookPart();
    QByteArray xml = partBytes(workbook);
    XlsxXmlScan scan(xml);
    XmlTag sheetsEnd;
    int highestId = 0;
    for (XmlTag tag = scan.next(workbook); tag.found(); tag = scan.next(workbook)) {
        if (tag.name == "sheet" && !tag.closing) {
            const QByteArrayView t = tagBytes(xml, tag);
            highestId = qMax(highestId, xmlAttribute(t, "sheetId").toInt());
            // A chart sheet of that name: two sheets must not share one.
            if (xmlText(xmlAttribute(t, "name")).compare(sheet, Qt::CaseInsensitive) == 0)
                throw XlsxPatchRefused(
                    QStringLiteral("The workbook \"%1\" has a sheet \"%2\" that is no worksheet.")
                        .arg(m_path, sheet));
        } else if (tag.name == "sheets" && tag.closing)
            sheetsEnd = tag;
    }
    if (!sheetsEnd.found() || prefixed(xml, sheetsEnd))
        throw XlsxPatchRefused(
            QStringLiteral("The workbook \"%1\" lists its sheets in a way a sheet cannot be added "
                           "to.")
                .arg(m_path));
    const QString part = freePartName("xl/worksheets/sheet%1.xml");
    addPart(part,
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet "
            "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" +
                QByteArray(relationshipsNamespace) +
                "\"><dimension ref=\"A1\"/><sheetData/><pageMargins left=\"0.7\" right=\"0.7\" "
                "top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/></worksheet>",
            "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
    const QString id = addRelationship(workbook, "worksheet", part);
    xml.insert(sheetsEnd.start,
               "<sheet xmlns:r=\"" + QByteArray(relationshipsNamespace) + "\" name=\"" +
                   attributeText(sheet) + "\" sheetId=\"" + QByteArray::number(highestId + 1) +
                   '"' + (hidden ? " state=\"hidden\"" : "") + " r:id=\"" + id.toUtf8() + "\"/>");
    setPart(workbook, xml);
    m_addedSheets.append({sheet, part});
}

void XlsxPatch::setColumnWidth(const QString& sheet, int column, const QByteArray& width) {
    const QString part = sheetPartOf(sheet);
    QByteArray xml = partBytes(part);
    const QByteArray n = QByteArray::number(column + 1);
    const QByteArray own =
        "<col min=\"" + n + "\" max=\"" + n + "\" width=\"" + width + "\" customWidth=\"1\"/>";
    const XlsxPatchRefused refused(
        QStringLiteral("The worksheet part \"%1\" lays out its columns in a way the program does "
                       "not change.")
            .arg(part));
    XlsxXmlScan scan(xml);
    XmlTag cols;
    for (XmlTag tag = scan.next(part); tag.found(); tag = scan.next(part)) {
        if (tag.name == "sheetData" && !tag.closing) {
            if (prefixed(xml, tag))
                throw refused;
            xml.insert(tag.start, "<cols>" + own + "</cols>");
            break;
        }
        if (tag.name == "cols" && !tag.closing) {
            if (tag.empty)
                throw refused;
            cols = tag;
        } else if (cols.found() && tag.name == "col" && !tag.closing) {
            const QByteArrayView t = tagBytes(xml, tag);
            const int min = xmlAttribute(t, "min").toInt();
            const int max = xmlAttribute(t, "max").toInt();
            if (!tag.empty || min < 1 || max < min)
                throw refused;
            if (min > column + 1) {
                xml.insert(tag.start, own);
                break;
            }
            if (max < column + 1)
                continue;
            // The column keeps the range's other settings; the rest of the range stays as it was.
            QByteArray replaced = withXmlAttribute(withXmlAttribute(t, "min", n), "max", n);
            replaced =
                withXmlAttribute(withXmlAttribute(replaced, "width", width), "customWidth", "1");
            if (min < column + 1)
                replaced.prepend(withXmlAttribute(t, "max", QByteArray::number(column)));
            if (max > column + 1)
                replaced.append(withXmlAttribute(t, "min", QByteArray::number(column + 2)));
            xml.replace(tag.start, tag.end - tag.start, replaced);
            break;
        } else if (cols.found() && tag.name == "cols" && tag.closing) {
            xml.insert(tag.start, own);
            break;
        }
    }
    setPart(part, xml);
}

} // namespace rp
