#pragma once

// Small edits of package XML shared by the XlsxPatch files; inside this library only.

#include "formats/xlsx/XlsxXmlScan.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace rp {

inline bool typeIs(const QString& type, QStringView last) {
    return type.endsWith(QLatin1Char('/') + last.toString(), Qt::CaseInsensitive);
}

// True when the element is written with a namespace prefix (x:sheetData): new elements without
// one would land in no namespace.
inline bool prefixed(const QByteArray& xml, const XmlTag& tag) {
    const qsizetype start = tag.start + (tag.closing ? 2 : 1);
    return xml.sliced(start, tag.name.size()) != tag.name;
}

inline QByteArrayView tagBytes(const QByteArray& xml, const XmlTag& tag) {
    return QByteArrayView(xml).sliced(tag.start, tag.end - tag.start);
}

// Sets the count attribute of the tag at `tag` in `xml` to `count`.
inline void setCount(QByteArray& xml, const XmlTag& tag, qsizetype count) {
    const QByteArrayView old = tagBytes(xml, tag);
    if (xmlAttribute(old, "count").isNull())
        return;
    xml.replace(tag.start, tag.end - tag.start,
                withXmlAttribute(old, "count", QByteArray::number(count)));
}

// The value of a relationship reference (r:id, whatever its prefix) in a start tag, or null.
QByteArrayView relationshipIdOf(QByteArrayView tag);

// One relationship of a rels part, with where its element stands.
struct RelsEntry {
    QString id;
    QString type;
    QString target; // resolved to a part name; empty for an external target
    qsizetype start = 0;
    qsizetype end = 0;
};
QList<RelsEntry> relsEntries(const QByteArray& rels, const QString& sourcePart);

inline const char* relationshipsNamespace =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

} // namespace rp
