#include "formats/xlsx/XlsxPatch.h"

#include "formats/xlsx/XlsxPackage.h"
#include "formats/xlsx/XlsxPatchRanges.h"
#include "formats/xlsx/XlsxPatchXml.h"
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

Error cannotWrite(const QString& target, const QString& part) {
    return Error(QStringLiteral("The workbook \"%1\" cannot be written: the part \"%2\" failed.")
                     .arg(target, part));
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
    const QString part = sheetPartOf(sheet);
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
        setPart(relsPart, rels);
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
        context.dateStyle = [this](const QByteArray& format) { return dateStyle(format); };
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
    for (const QString& part : m_added) {
        QuaZipFile sink(&out);
        const QByteArray& bytes = *m_changed.constFind(part.toLower());
        if (!sink.open(QIODevice::WriteOnly, QuaZipNewInfo(part), nullptr, 0, Z_DEFLATED,
                       changedPartLevel) ||
            sink.write(bytes) != bytes.size())
            throw cannotWrite(target, part);
        sink.close();
        if (sink.getZipError() != 0)
            throw cannotWrite(target, part);
    }
    in.close();
    out.close();
    if (out.getZipError() != 0)
        throw Error(QStringLiteral("The workbook \"%1\" cannot be written (zip error %2).")
                        .arg(target)
                        .arg(out.getZipError()));
}

} // namespace rp
