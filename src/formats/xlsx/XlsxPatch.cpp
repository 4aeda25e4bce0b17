#include "formats/xlsx/XlsxPatch.h"

#include "formats/xlsx/XlsxPackage.h"
#include "formats/xlsx/XlsxPatchRanges.h"
#include "formats/xlsx/XlsxReader.h"
#include "formats/xlsx/XlsxXmlScan.h"

#include <quazip.h>
#include <quazipfile.h>

namespace rp {

namespace {

// Far beyond any workbook's parts; a package listing more is refused before anything is copied.
constexpr int maxEntries = 20000;
constexpr qint64 maxPartBytes = qint64(1) << 30;
constexpr qint64 copyChunk = qint64(1) << 20;
// Changed parts are packed fast: a sheet of 100,000 rows is most of the time a change costs.
constexpr int changedPartLevel = 1;

bool typeIs(const QString& type, QStringView last) {
    return type.endsWith(QLatin1Char('/') + last.toString(), Qt::CaseInsensitive);
}

Error cannotWrite(const QString& target, const QString& part) {
    return Error(QStringLiteral("The workbook \"%1\" cannot be written: the part \"%2\" failed.")
                     .arg(target, part));
}

// True when the element is written with a namespace prefix (x:sheetData): new elements without
// one would land in no namespace.
bool prefixed(const QByteArray& xml, const XmlTag& tag) {
    const qsizetype start = tag.start + (tag.closing ? 2 : 1);
    return xml.sliced(start, tag.name.size()) != tag.name;
}

// Sets the count attribute of the tag at `tag` in `xml` to `count`.
void setCount(QByteArray& xml, const XmlTag& tag, qsizetype count) {
    const QByteArrayView old = QByteArrayView(xml).sliced(tag.start, tag.end - tag.start);
    if (xmlAttribute(old, "count").isNull())
        return;
    xml.replace(tag.start, tag.end - tag.start,
                withXmlAttribute(old, "count", QByteArray::number(count)));
}

} // namespace

XlsxPatch::XlsxPatch(const QString& path)
    : m_path(path), m_reader(std::make_unique<XlsxReader>(path)) {
    for (const XlsxPackage::Relationship& rel :
         m_reader->package().relationships(m_reader->workbookPart()))
        if (typeIs(rel.type, u"styles"))
            m_stylesPart = rel.target;
}

XlsxPatch::~XlsxPatch() = default;

void XlsxPatch::setCells(const QString& sheet, const XlsxCellBlock& block) {
    qsizetype index = -1;
    for (qsizetype i = 0; i < m_reader->sheetNames().size() && index < 0; ++i)
        if (m_reader->sheetNames().at(i).compare(sheet, Qt::CaseInsensitive) == 0)
            index = i;
    if (index < 0)
        throw Error(
            QStringLiteral("The workbook \"%1\" has no worksheet \"%2\".").arg(m_path, sheet));
    const QString part = m_reader->sheetPart(index);
    for (auto& [name, blocks] : m_sheets)
        if (name == part) {
            blocks.append(block);
            return;
        }
    m_sheets.append({part, {block}});
}

QByteArray XlsxPatch::partBytes(const QString& part) const {
    const auto changed = m_changed.constFind(part.toLower());
    if (changed != m_changed.constEnd())
        return *changed;
    const XlsxPackage& package = m_reader->package();
    const auto stream = package.stream(part, [] { return maxPartBytes; });
    QByteArray bytes = stream->readAll();
    stream->drain();
    if (stream->overran() || stream->damaged())
        throw Error(QStringLiteral("The workbook \"%1\" is damaged: its part \"%2\" cannot be "
                                   "read.")
                        .arg(m_path, part));
    return bytes;
}

int XlsxPatch::dateStyle(bool withTime) {
    int& cached = m_dateStyles[withTime ? 1 : 0];
    if (cached >= 0)
        return cached;
    const QString refused =
        QStringLiteral("The workbook \"%1\" has no cell styles a date can be given.").arg(m_path);
    if (m_stylesPart.isEmpty() || !m_reader->package().has(m_stylesPart))
        throw XlsxPatchRefused(refused);
    QByteArray xml = partBytes(m_stylesPart);
    const QByteArray code = withTime ? "yyyy-mm-dd hh:mm:ss" : "yyyy-mm-dd";

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
            const QByteArrayView t = QByteArrayView(xml).sliced(tag.start, tag.end - tag.start);
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
    if (formatId < 0) {
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

    // The cell style, last of cellXfs.
    scan = XlsxXmlScan(xml);
    XmlTag cellXfs;
    int styles = 0;
    int depth = 0;
    for (XmlTag tag = scan.next(m_stylesPart); tag.found(); tag = scan.next(m_stylesPart)) {
        if (tag.name == "cellXfs" && !tag.closing && !tag.empty) {
            cellXfs = tag;
        } else if (cellXfs.found() && tag.name == "xf" && !tag.closing) {
            if (depth == 0)
                ++styles;
            depth += tag.empty ? 0 : 1;
        } else if (cellXfs.found() && tag.name == "xf" && tag.closing) {
            --depth;
        } else if (cellXfs.found() && tag.name == "cellXfs" && tag.closing) {
            xml.insert(tag.start, "<xf numFmtId=\"" + QByteArray::number(formatId) +
                                      "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
                                      "applyNumberFormat=\"1\"/>");
            setCount(xml, cellXfs, styles + 1);
            m_changed.insert(m_stylesPart.toLower(), xml);
            cached = styles;
            return cached;
        }
    }
    throw XlsxPatchRefused(refused);
}

bool XlsxPatch::otherSheetsHaveFormulas(const QStringList& patched) const {
    for (qsizetype i = 0; i < m_reader->sheetNames().size(); ++i) {
        const QString part = m_reader->sheetPart(i);
        if (!patched.contains(part) && holdsFormula(partBytes(part)))
            return true;
    }
    return false;
}

void XlsxPatch::markForRecalculation() {
    const QString part = m_reader->workbookPart();
    QByteArray xml = partBytes(part);
    XlsxXmlScan scan(xml);
    static const QList<QByteArrayView> after{
        "oleSize",       "customWorkbookViews", "pivotCaches",       "smartTagPr", "smartTagTypes",
        "webPublishing", "fileRecoveryPr",      "webPublishObjects", "extLst"};
    for (XmlTag tag = scan.next(part); tag.found(); tag = scan.next(part)) {
        if (tag.name == "calcPr" && !tag.closing) {
            const QByteArrayView old = QByteArrayView(xml).sliced(tag.start, tag.end - tag.start);
            if (xmlAttribute(old, "fullCalcOnLoad") == "1")
                return;
            xml.replace(tag.start, tag.end - tag.start,
                        withXmlAttribute(old, "fullCalcOnLoad", "1"));
            break;
        }
        if ((after.contains(tag.name) && !tag.closing) || (tag.name == "workbook" && tag.closing)) {
            if (prefixed(xml, tag))
                return; // a prefixed workbook part: left to the program that opens it
            xml.insert(tag.start, "<calcPr fullCalcOnLoad=\"1\"/>");
            break;
        }
    }
    m_changed.insert(part.toLower(), xml);
}

void XlsxPatch::dropCalculationChain() {
    const QString workbook = m_reader->workbookPart();
    const XlsxPackage& package = m_reader->package();
    for (const XlsxPackage::Relationship& rel : package.relationships(workbook)) {
        if (!typeIs(rel.type, u"calcChain"))
            continue;
        const QString relsPart = XlsxPackage::relsPartOf(workbook);
        QByteArray rels = partBytes(relsPart);
        XlsxXmlScan scan(rels);
        for (XmlTag tag = scan.next(relsPart); tag.found(); tag = scan.next(relsPart)) {
            const QByteArrayView t = QByteArrayView(rels).sliced(tag.start, tag.end - tag.start);
            if (tag.name == "Relationship" && !tag.closing &&
                xmlAttribute(t, "Id") == rel.id.toUtf8()) {
                rels.remove(tag.start, tag.end - tag.start);
                break;
            }
        }
        m_changed.insert(relsPart.toLower(), rels);
        const QString typesPart = QStringLiteral("[Content_Types].xml");
        QByteArray types = partBytes(typesPart);
        scan = XlsxXmlScan(types);
        for (XmlTag tag = scan.next(typesPart); tag.found(); tag = scan.next(typesPart)) {
            const QByteArrayView t = QByteArrayView(types).sliced(tag.start, tag.end - tag.start);
            if (tag.name == "Override" && !tag.closing &&
                QString::fromUtf8(xmlAttribute(t, "PartName"))
                        .compare(u'/' + rel.target, Qt::CaseInsensitive) == 0) {
                types.remove(tag.start, tag.end - tag.start);
                break;
            }
        }
        m_changed.insert(typesPart.toLower(), types);
        m_removed.append(rel.target.toLower());
    }
}

void XlsxPatch::growRanges(const QString& sheetPart, int oldLast, int newLast) {
    const XlsxPackage& package = m_reader->package();
    for (const XlsxPackage::Relationship& rel : package.relationships(sheetPart))
        if (typeIs(rel.type, u"table") && package.has(rel.target)) {
            const QByteArray grown = tableGrownTo(partBytes(rel.target), oldLast, newLast);
            if (!grown.isNull())
                m_changed.insert(rel.target.toLower(), grown);
        }
    for (qsizetype i = 0; i < m_reader->sheetNames().size(); ++i) {
        if (m_reader->sheetPart(i) != sheetPart)
            continue;
        const QString workbook = m_reader->workbookPart();
        const QByteArray grown = definedNamesGrownTo(
            partBytes(workbook), m_reader->sheetNames().at(i), oldLast, newLast);
        if (!grown.isNull())
            m_changed.insert(workbook.toLower(), grown);
    }
}

void XlsxPatch::write(const QString& target) {
    bool changed = false;
    bool formulas = false;
    bool formulaReplaced = false;
    QStringList patched;
    for (const auto& [part, blocks] : m_sheets) {
        XlsxSheetContext context;
        context.reader = m_reader.get();
        context.part = part;
        context.dateStyle = [this](bool withTime) { return dateStyle(withTime); };
        XlsxSheetPatchResult result = patchSheetXml(partBytes(part), blocks, context);
        patched.append(part);
        formulas = formulas || result.hasFormulas;
        if (!result.changed)
            continue;
        changed = true;
        formulaReplaced = formulaReplaced || result.formulaReplaced;
        m_changed.insert(part.toLower(), result.xml);
        if (result.lastRowAfter > 0)
            growRanges(part, result.lastRowBefore, result.lastRowAfter);
    }
    if (changed && (formulas || otherSheetsHaveFormulas(patched)))
        markForRecalculation();
    if (formulaReplaced)
        dropCalculationChain();
    writeZip(target);
}

void XlsxPatch::writeZip(const QString& target) const {
    QuaZip in(m_path);
    if (!in.open(QuaZip::mdUnzip))
        throw Error(QStringLiteral("The workbook \"%1\" cannot be read again.").arg(m_path));
    if (in.getEntriesCount() > maxEntries)
        throw Error(QStringLiteral("The workbook \"%1\" is refused as damaged: it holds %2 parts, "
                                   "more than a workbook can need (%3).")
                        .arg(m_path)
                        .arg(in.getEntriesCount())
                        .arg(maxEntries));
    QuaZip out(target);
    if (!out.open(QuaZip::mdCreate))
        throw Error(QStringLiteral("The workbook \"%1\" cannot be written (zip error %2).")
                        .arg(target)
                        .arg(out.getZipError()));
    QByteArray buffer;
    for (bool more = in.goToFirstFile(); more; more = in.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!in.getCurrentFileInfo(&info))
            throw cannotWrite(target, QStringLiteral("list"));
        const QString key = info.name.toLower();
        if (m_removed.contains(key))
            continue;
        QuaZipFile source(&in);
        QuaZipFile sink(&out);
        const auto changed = m_changed.constFind(key);
        if (changed != m_changed.constEnd()) {
            QuaZipNewInfo newInfo(info.name);
            newInfo.dateTime = info.dateTime;
            if (!sink.open(QIODevice::WriteOnly, newInfo, nullptr, 0, Z_DEFLATED,
                           changedPartLevel) ||
                sink.write(*changed) != changed->size())
                throw cannotWrite(target, info.name);
        } else {
            int method = 0;
            int level = 0;
            if (!source.open(QIODevice::ReadOnly, &method, &level, true))
                throw cannotWrite(target, info.name);
            if (!sink.open(QIODevice::WriteOnly, QuaZipNewInfo(info), nullptr, info.crc, method,
                           level, true))
                throw cannotWrite(target, info.name);
            for (;;) {
                buffer = source.read(copyChunk);
                if (buffer.isEmpty())
                    break;
                if (sink.write(buffer) != buffer.size())
                    throw cannotWrite(target, info.name);
            }
            if (source.getZipError() != UNZ_OK)
                throw cannotWrite(target, info.name);
            source.close();
        }
        sink.close();
        if (sink.getZipError() != 0)
            throw cannotWrite(target, info.name);
    }
    in.close();
    out.close();
    if (out.getZipError() != 0)
        throw Error(QStringLiteral("The workbook \"%1\" cannot be written (zip error %2).")
                        .arg(target)
                        .arg(out.getZipError()));
}

} // namespace rp
