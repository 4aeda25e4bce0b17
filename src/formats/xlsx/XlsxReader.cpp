#include "formats/xlsx/XlsxReader.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "formats/xlsx/XlsxDates.h"
#include "formats/xlsx/XlsxPackage.h"
#include "formats/xlsx/XlsxXmlScan.h"

#include <QHash>
#include <QXmlStreamReader>
#include <vector>

namespace rp {

namespace {

constexpr int maxColumns = 16384;
constexpr int maxRows = 1048576;
// Cells held for one sheet, gaps included: far beyond any HDB, short of exhausting memory when a
// hostile file scatters single cells over the whole grid.
constexpr qint64 maxHeldCells = 8'000'000;

bool typeIs(const QString& type, QStringView last) {
    return type.endsWith(QLatin1Char('/') + last.toString(), Qt::CaseInsensitive);
}

// The text of an <si> or <is> element: its <t> parts, plain or in runs, without phonetic hints.
QString readRichText(QXmlStreamReader& xml) {
    QString text;
    int depth = 1;
    int phonetic = 0;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh") {
                ++phonetic;
                ++depth;
            } else if (xml.name() == u"t" && phonetic == 0) {
                text +=
                    decodeCellEscapes(xml.readElementText(QXmlStreamReader::IncludeChildElements));
            } else {
                ++depth;
            }
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh")
                --phonetic;
            --depth;
        }
    }
    return text;
}

// "AB12" -> column 27 (from 0) and row 12 (from 1); false when it is no cell reference.
bool parseCellReference(QStringView ref, int& column, int& row) {
    qsizetype i = 0;
    column = 0;
    while (i < ref.size() && ref[i].isLetter()) {
        const char16_t c = ref[i].toUpper().unicode();
        if (c < u'A' || c > u'Z' || i >= 3)
            return false;
        column = column * 26 + (c - u'A' + 1);
        ++i;
    }
    bool ok = false;
    row = ref.mid(i).toInt(&ok);
    column -= 1;
    return i > 0 && ok && row >= 1 && ref[i].isDigit();
}

} // namespace

struct XlsxReader::Parts {
    explicit Parts(const QString& path) : package(path) {}
    XlsxPackage package;
    QStringList sheetParts; // by sheet index
    QStringList sharedStrings;
    std::vector<bool> dateStyles; // by cell style index
    bool date1904 = false;

    void readWorkbook(const QString& workbookPart, QStringList& names);
    void readSharedStrings(const QString& part);
    void readStyles(const QString& part);
    QList<QVariantList> readSheet(const QString& part) const;
    QVariant cellValue(QStringView type, int style, const QString& v, const QString& inlineText,
                       bool hasInline, const QString& part, QStringView ref) const;
};

void XlsxReader::Parts::readWorkbook(const QString& workbookPart, QStringList& names) {
    QHash<QString, QString> targets;
    QString sharedStringsPart;
    QString stylesPart;
    for (const XlsxPackage::Relationship& rel : package.relationships(workbookPart)) {
        if (typeIs(rel.type, u"worksheet"))
            targets.insert(rel.id, rel.target);
        else if (typeIs(rel.type, u"sharedStrings"))
            sharedStringsPart = rel.target;
        else if (typeIs(rel.type, u"styles"))
            stylesPart = rel.target;
    }
    QXmlStreamReader xml(package.read(workbookPart));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"workbookPr") {
            const QStringView v = xml.attributes().value(QLatin1String("date1904"));
            date1904 = v == u"1" || v.compare(u"true", Qt::CaseInsensitive) == 0;
        } else if (xml.name() == u"sheet") {
            QString id;
            for (const QXmlStreamAttribute& a : xml.attributes())
                if (a.name() == u"id" && !a.namespaceUri().isEmpty())
                    id = a.value().toString();
            const auto target = targets.constFind(id);
            if (target == targets.constEnd())
                continue; // a chart sheet or dialog sheet: no table
            names.append(xml.attributes().value(QLatin1String("name")).toString());
            sheetParts.append(*target);
        }
    }
    if (xml.hasError())
        throw package.xmlError(workbookPart, xml);
    if (!sharedStringsPart.isEmpty() && package.has(sharedStringsPart))
        readSharedStrings(sharedStringsPart);
    if (!stylesPart.isEmpty() && package.has(stylesPart))
        readStyles(stylesPart);
}

void XlsxReader::Parts::readSharedStrings(const QString& part) {
    const auto stream = package.stream(
        part, [this] { return XlsxPackage::xmlAllowance(sharedStrings.size() + 1); });
    QXmlStreamReader xml(stream.get());
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si")
            sharedStrings.append(readRichText(xml));
    }
    package.finish(part, *stream, xml, QStringLiteral("texts"), sharedStrings.size());
}

void XlsxReader::Parts::readStyles(const QString& part) {
    QHash<int, QString> formatCodes;
    QXmlStreamReader xml(package.read(part));
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == u"numFmt") {
                formatCodes.insert(a.value(QLatin1String("numFmtId")).toInt(),
                                   a.value(QLatin1String("formatCode")).toString());
            } else if (xml.name() == u"cellXfs") {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == u"xf") {
                const int id = a.value(QLatin1String("numFmtId")).toInt();
                dateStyles.push_back(isDateNumberFormat(id, formatCodes.value(id)));
            }
        } else if (xml.isEndElement() && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    if (xml.hasError())
        throw package.xmlError(part, xml);
}

QVariant XlsxReader::Parts::cellValue(QStringView type, int style, const QString& v,
                                      const QString& inlineText, bool hasInline,
                                      const QString& part, QStringView ref) const {
    const auto damaged = [&](const QString& what) {
        return Error(QStringLiteral("The workbook \"%1\" is damaged: cell %2 of part \"%3\" %4.")
                         .arg(package.path(), ref.toString(), part, what));
    };
    if (type == u"inlineStr")
        return hasInline ? QVariant(inlineText) : QVariant(v);
    if (type == u"str")
        return v;
    if (v.isEmpty())
        return {};
    if (type == u"s") {
        bool ok = false;
        const int index = v.toInt(&ok);
        if (!ok || index < 0 || index >= sharedStrings.size())
            throw damaged(QStringLiteral("names a shared text that does not exist"));
        return sharedStrings.at(index);
    }
    if (type == u"b")
        return QVariant(v.trimmed() == u"1" || v.trimmed() == u"true");
    if (type == u"e")
        return {};
    if (type == u"d") {
        if (const auto date = parseIsoDateTime(v.trimmed()))
            return *date;
        throw damaged(QStringLiteral("holds \"%1\", which is no date").arg(v));
    }
    bool ok = false;
    const double number = v.toDouble(&ok);
    if (!ok)
        throw damaged(QStringLiteral("holds \"%1\", which is no number").arg(v));
    if (style >= 0 && size_t(style) < dateStyles.size() && dateStyles[size_t(style)]) {
        if (const auto date = dateTimeFromSerial(number, date1904))
            return *date;
    }
    return number;
}

QList<QVariantList> XlsxReader::Parts::readSheet(const QString& part) const {
    QList<QVariantList> rows;
    // Rows and cells met so far: what the part's bytes must be in proportion to.
    qint64 items = 0;
    const auto stream = package.stream(part, [&items] { return XlsxPackage::xmlAllowance(items); });
    QXmlStreamReader xml(stream.get());
    int rowNumber = 0;
    int nextColumn = 0;
    qint64 held = 0;
    const auto badReference = [&](QStringView ref) {
        return Error(QStringLiteral("The workbook \"%1\" is damaged: part \"%2\" names the cell "
                                    "\"%3\", which is outside a sheet.")
                         .arg(package.path(), part, ref.toString()));
    };
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"row") {
            ++items;
            const QStringView r = xml.attributes().value(QLatin1String("r"));
            bool ok = true;
            rowNumber = r.isEmpty() ? rowNumber + 1 : r.toInt(&ok);
            if (!ok || rowNumber < 1 || rowNumber > maxRows)
                throw badReference(r);
            nextColumn = 0;
            while (rows.size() < rowNumber)
                rows.append(QVariantList());
        } else if (xml.name() == u"c") {
            ++items;
            const QXmlStreamAttributes a = xml.attributes();
            const QStringView ref = a.value(QLatin1String("r"));
            int column = nextColumn;
            int row = qMax(rowNumber, 1);
            if (!ref.isEmpty() && !parseCellReference(ref, column, row))
                throw badReference(ref);
            if (column >= maxColumns || row > maxRows)
                throw badReference(ref);
            nextColumn = column + 1;
            const QStringView type = a.value(QLatin1String("t"));
            const int style =
                a.hasAttribute(QLatin1String("s")) ? a.value(QLatin1String("s")).toInt() : -1;
            QString v;
            QString inlineText;
            bool hasInline = false;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && xml.name() == u"c")
                    break;
                if (!xml.isStartElement())
                    continue;
                if (xml.name() == u"v") {
                    v = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                } else if (xml.name() == u"is") {
                    inlineText = readRichText(xml);
                    hasInline = true;
                } else {
                    xml.skipCurrentElement(); // formulas and extensions
                }
            }
            if (xml.hasError())
                break;
            const QVariant value = cellValue(type, style, v, inlineText, hasInline, part, ref);
            if (value.isNull())
                continue;
            while (rows.size() < row)
                rows.append(QVariantList());
            QVariantList& cells = rows[row - 1];
            if (cells.size() <= column) {
                held += column + 1 - cells.size();
                if (held > maxHeldCells)
                    throw Error(QStringLiteral("The worksheet part \"%1\" of the workbook \"%2\" "
                                               "holds more cells (gaps included) than one sheet "
                                               "can bring in: %3.")
                                    .arg(part, package.path())
                                    .arg(maxHeldCells));
                cells.resize(column + 1);
            }
            cells[column] = value;
        }
    }
    package.finish(part, *stream, xml, QStringLiteral("rows and cells"), items);
    // Rows left with formatted empty cells only (a cleared record) hold nothing.
    while (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

XlsxReader::XlsxReader(const QString& path) : m_path(path), m_parts(std::make_unique<Parts>(path)) {
    QString& workbookPart = m_workbookPart;
    for (const XlsxPackage::Relationship& rel : m_parts->package.relationships(QString()))
        if (typeIs(rel.type, u"officeDocument"))
            workbookPart = rel.target;
    if (workbookPart.isEmpty())
        workbookPart = QStringLiteral("xl/workbook.xml");
    if (!m_parts->package.has(workbookPart))
        throw Error(QStringLiteral("The workbook \"%1\" is damaged or not an .xlsx file: it has no "
                                   "workbook part.")
                        .arg(path));
    m_parts->readWorkbook(workbookPart, m_sheetNames);
}

XlsxReader::~XlsxReader() = default;

const XlsxPackage& XlsxReader::package() const {
    return m_parts->package;
}

QString XlsxReader::sheetPart(qsizetype index) const {
    return m_parts->sheetParts.value(index);
}

const QStringList& XlsxReader::sharedStrings() const {
    return m_parts->sharedStrings;
}

bool XlsxReader::isDateStyle(int style) const {
    return style >= 0 && size_t(style) < m_parts->dateStyles.size() &&
           m_parts->dateStyles[size_t(style)];
}

bool XlsxReader::date1904() const {
    return m_parts->date1904;
}

QVariant XlsxReader::cellValue(QStringView type, int style, const QString& v,
                               const QString& inlineText, bool hasInline, const QString& part,
                               QStringView ref) const {
    return m_parts->cellValue(type, style, v, inlineText, hasInline, part, ref);
}

bool XlsxReader::hasSheet(const QString& name) const {
    return m_sheetNames.contains(name, Qt::CaseInsensitive);
}

QList<QVariantList> XlsxReader::readSheet(const QString& name) const {
    for (qsizetype i = 0; i < m_sheetNames.size(); ++i)
        if (m_sheetNames.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return readSheet(i);
    throw Error(QStringLiteral("The workbook \"%1\" has no worksheet \"%2\".").arg(m_path, name));
}

QList<QVariantList> XlsxReader::readSheet(qsizetype index) const {
    if (index < 0 || index >= m_parts->sheetParts.size())
        throw Error(QStringLiteral("The workbook \"%1\" has no worksheet number %2.")
                        .arg(m_path)
                        .arg(index + 1));
    return m_parts->readSheet(m_parts->sheetParts.at(index));
}

} // namespace rp
