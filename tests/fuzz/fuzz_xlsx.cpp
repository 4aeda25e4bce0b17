// The .xlsx reader: the input is either a whole file (it starts with "PK") or the XML parts of a
// workbook separated by lines "==" (workbook, its relationships, sheet 1, shared strings, styles),
// packed into a zip here so that the mutations reach the XML readers and not only the zip's
// checksums. Every input either reads or throws rp::Error.
#include "FuzzCheck.h"
#include "core/base/Error.h"
#include "formats/xlsx/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <quazip.h>
#include <quazipfile.h>
#include <unistd.h>

namespace {

const QByteArray contentTypes =
    "<?xml version=\"1.0\"?><Types "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
const QByteArray packageRels =
    "<?xml version=\"1.0\"?><Relationships "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
    "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";

bool writeParts(const QString& path, const QList<QByteArray>& pieces) {
    static const char* const names[] = {"xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                                        "xl/worksheets/sheet1.xml", "xl/sharedStrings.xml",
                                        "xl/styles.xml"};
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    const auto add = [&](const QString& name, const QByteArray& bytes) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, 0))
            return false;
        file.write(bytes);
        file.close();
        return true;
    };
    bool ok = add(QStringLiteral("[Content_Types].xml"), contentTypes) &&
              add(QStringLiteral("_rels/.rels"), packageRels);
    for (qsizetype i = 0; ok && i < pieces.size() && i < 5; ++i)
        ok = add(QLatin1String(names[i]), pieces[i]);
    zip.close();
    return ok && zip.getZipError() == 0;
}

QList<QByteArray> splitParts(const QByteArray& input) {
    QList<QByteArray> pieces;
    qsizetype from = 0;
    for (qsizetype at; (at = input.indexOf("\n==\n", from)) >= 0; from = at + 4)
        pieces.append(input.mid(from, at - from));
    pieces.append(input.mid(from));
    return pieces;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path =
        QDir::temp().filePath(QStringLiteral("rivelpost-fuzz-%1.xlsx").arg(getpid()));
    const QByteArray input = rp::fuzz::bytes(data, size);
    QFile::remove(path);
    if (input.startsWith("PK")) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size())
            return 0;
    } else if (!writeParts(path, splitParts(input))) {
        return 0;
    }
    try {
        const rp::XlsxReader reader(path);
        for (qsizetype i = 0; i < reader.sheetNames().size(); ++i) {
            rp::fuzz::check(reader.hasSheet(reader.sheetNames()[i]), "listed sheet not found");
            reader.readSheet(i);
        }
    } catch (const rp::Error&) {
    }
    return 0;
}
