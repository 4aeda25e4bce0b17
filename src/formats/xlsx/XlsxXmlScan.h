#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace rp {

// A tag found in XML bytes by XlsxXmlScan: where it starts and ends, its name without a namespace
// prefix, and what kind it is.
struct XmlTag {
    qsizetype start = -1; // at '<'
    qsizetype end = -1;   // just past '>'
    QByteArrayView name;  // local name
    bool closing = false; // </name>
    bool empty = false;   // <name/>
    bool found() const { return start >= 0; }
};

// Walks the tags of XML bytes in order, without building a tree: comments, processing
// instructions, CDATA and the document type are stepped over. For the big, regular parts of a
// package (a sheet's cells), where a full parser costs more than the change it serves.
class XlsxXmlScan {
public:
    explicit XlsxXmlScan(QByteArrayView xml) : m_xml(xml) {}
    qsizetype position() const { return m_at; }
    void seek(qsizetype at) { m_at = at; }
    // The next tag from the position on; not found at the end. Throws rp::Error (with `what`
    // naming the part) for a tag that does not end.
    XmlTag next(const QString& what);

private:
    QByteArrayView m_xml;
    qsizetype m_at = 0;
};

// The value of an attribute of a start tag (entities left as they are), or a null view.
QByteArrayView xmlAttribute(QByteArrayView tag, QByteArrayView name);
// The tag with the attribute set (added when missing) or, for a null value, removed.
QByteArray withXmlAttribute(QByteArrayView tag, QByteArrayView name, const QByteArray& value);

// Text content with the five named and the numeric character references resolved.
QString xmlText(QByteArrayView raw);
// Excel writes characters XML cannot hold (CR, control characters) as _xHHHH_.
QString decodeCellEscapes(QString text);
// Text escaped for element content: &, <, > and the characters XML cannot hold (as _xHHHH_, the
// spreadsheet's own escape, which a literal "_x" is then protected from).
QByteArray xmlEscapedText(const QString& text);

// True when the XML holds an unprefixed <f> element (a cell formula).
bool holdsFormula(QByteArrayView xml);

// "AB12" -> column 27 (from 0) and row 12 (from 1); false when it is no cell reference.
bool parseCellName(QByteArrayView name, int& column, int& row);
QByteArray cellName(int column, int row);

} // namespace rp
