#include "formats/xlsx/XlsxPatchRanges.h"

#include "formats/xlsx/XlsxXmlScan.h"

#include <QRegularExpression>

namespace rp {

namespace {

// "A1:E7" -> "A1:E9" when it ends at row `oldLast`; null otherwise.
QByteArray areaGrownTo(QByteArrayView ref, int oldLast, int newLast) {
    const qsizetype colon = ref.indexOf(':');
    int column = 0;
    int row = 0;
    if (colon < 0 || !parseCellName(ref.sliced(colon + 1), column, row) || row != oldLast)
        return {};
    return ref.first(colon + 1).toByteArray() + cellName(column, newLast);
}

QString unquotedSheet(QString name) {
    if (name.size() >= 2 && name.startsWith(u'\'') && name.endsWith(u'\''))
        name = name.mid(1, name.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    return name;
}

} // namespace

QByteArray tableGrownTo(const QByteArray& xml, int oldLast, int newLast) {
    QByteArray out = xml;
    bool changed = false;
    XlsxXmlScan scan(xml);
    qsizetype shift = 0; // bytes the changes so far added before the scan's place
    const QString what = QStringLiteral("A table part");
    for (XmlTag tag = scan.next(what); tag.found(); tag = scan.next(what)) {
        if (tag.closing || (tag.name != "table" && tag.name != "autoFilter"))
            continue;
        const QByteArrayView text = QByteArrayView(xml).sliced(tag.start, tag.end - tag.start);
        if (tag.name == "table" && xmlAttribute(text, "totalsRowCount").toInt() > 0)
            return {};
        const QByteArray grown = areaGrownTo(xmlAttribute(text, "ref"), oldLast, newLast);
        if (grown.isNull())
            continue;
        const QByteArray replaced = withXmlAttribute(text, "ref", grown);
        out.replace(tag.start + shift, text.size(), replaced);
        shift += replaced.size() - text.size();
        changed = true;
    }
    return changed ? out : QByteArray();
}

QByteArray definedNamesGrownTo(const QByteArray& xml, const QString& sheet, int oldLast,
                               int newLast) {
    // SHEET!$A$2:$C$7 with the sheet quoted or not; the dollars are kept as they stand.
    static const QRegularExpression area(QStringLiteral(
        R"(('(?:[^']|'')+'|[^\s'!:,()=<>&;"]+)!(\$?[A-Z]{1,3}\$?\d+:\$?[A-Z]{1,3}\$?)(\d+))"));
    QByteArray out;
    qsizetype copied = 0;
    XlsxXmlScan scan(xml);
    const QString what = QStringLiteral("The workbook part");
    for (XmlTag tag = scan.next(what); tag.found(); tag = scan.next(what)) {
        if (tag.name != "definedName" || tag.closing || tag.empty)
            continue;
        const XmlTag close = scan.next(what);
        if (!close.closing || close.name != "definedName")
            continue;
        const QString formula = QString::fromUtf8(xml.sliced(tag.end, close.start - tag.end));
        QString grown;
        qsizetype from = 0;
        for (const QRegularExpressionMatch& m : area.globalMatch(formula)) {
            grown += formula.mid(from, m.capturedStart(3) - from);
            const bool ours = unquotedSheet(xmlText(m.captured(1).toUtf8()))
                                      .compare(sheet, Qt::CaseInsensitive) == 0 &&
                              m.captured(3).toInt() == oldLast;
            grown += ours ? QString::number(newLast) : m.captured(3);
            from = m.capturedEnd(3);
        }
        grown += formula.mid(from);
        if (grown == formula)
            continue;
        out += xml.sliced(copied, tag.end - copied);
        out += grown.toUtf8();
        copied = close.start;
    }
    if (copied == 0)
        return {};
    out += xml.sliced(copied);
    return out;
}

} // namespace rp
