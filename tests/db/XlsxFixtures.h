#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QMap>
#include <QPair>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <quazip.h>
#include <quazipfile.h>

// Workbooks for the workbook tests: hand-made zip packages, and files made by other programs.
namespace rp::test {

using XlsxParts = QList<QPair<QString, QByteArray>>;

// Stored members (no compression) keep their bytes readable in the file.
inline bool writeZip(const QString& path, const XlsxParts& parts, bool stored = false) {
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (const auto& [name, bytes] : parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, stored ? 0 : 8))
            return false;
        file.write(bytes);
        file.close();
    }
    zip.close();
    return zip.getZipError() == 0;
}

inline QByteArray sheetXml(const QByteArray& sheetData) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
           "<sheetData>" +
           sheetData + "</sheetData></worksheet>";
}

// A package of one or more sheets; targets as given (relative or absolute), optional shared
// strings and styles (cellXfs content).
struct HandMadeWorkbook {
    QList<QPair<QString, QByteArray>> sheets;                  // name, sheetData content
    QString sheetTargetPrefix = QStringLiteral("worksheets/"); // or "/xl/worksheets/"
    QByteArray sharedStrings;                                  // <si> elements, or empty
    QByteArray numFmts;                                        // <numFmt> elements
    QByteArray cellXfs;                                        // <xf> elements
    QByteArray workbookPr;                                     // e.g. date1904="1"
    QString workbookPart = QStringLiteral("xl/workbook.xml");

    XlsxParts parts() const {
        const QString folder = workbookPart.left(workbookPart.lastIndexOf(u'/') + 1);
        const QString file = workbookPart.mid(folder.size());
        XlsxParts p;
        p.append({QStringLiteral("[Content_Types].xml"),
                  "<?xml version=\"1.0\"?><Types "
                  "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"});
        p.append({QStringLiteral("_rels/.rels"),
                  "<?xml version=\"1.0\"?><Relationships "
                  "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                  "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
                  "officeDocument/2006/relationships/officeDocument\" Target=\"/" +
                      workbookPart.toUtf8() + "\"/></Relationships>"});
        QByteArray rels = "<?xml version=\"1.0\"?><Relationships "
                          "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
        QByteArray book = "<?xml version=\"1.0\"?><workbook "
                          "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                          "relationships\"><workbookPr " +
                          workbookPr + "/><sheets>";
        const QByteArray relType = "http://schemas.openxmlformats.org/officeDocument/2006/"
                                   "relationships/";
        for (qsizetype i = 0; i < sheets.size(); ++i) {
            const QByteArray n = QByteArray::number(i + 1);
            rels += "<Relationship Id=\"rIdS" + n + "\" Type=\"" + relType +
                    "worksheet\" Target=\"" + sheetTargetPrefix.toUtf8() + "sheet" + n + ".xml\"/>";
            book += "<sheet name=\"" + sheets[i].first.toUtf8() + "\" sheetId=\"" + n +
                    "\" r:id=\"rIdS" + n + "\"/>";
            const QString target = sheetTargetPrefix.startsWith(u'/') ? sheetTargetPrefix.mid(1)
                                                                      : folder + sheetTargetPrefix;
            p.append({QDir::cleanPath(target + QStringLiteral("sheet%1.xml").arg(i + 1)),
                      sheetXml(sheets[i].second)});
        }
        if (!sharedStrings.isEmpty()) {
            rels += "<Relationship Id=\"rIdSS\" Type=\"" + relType +
                    "sharedStrings\" Target=\"sharedStrings.xml\"/>";
            p.append({folder + QStringLiteral("sharedStrings.xml"),
                      "<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/"
                      "spreadsheetml/2006/main\">" +
                          sharedStrings + "</sst>"});
        }
        if (!cellXfs.isEmpty()) {
            rels +=
                "<Relationship Id=\"rIdSt\" Type=\"" + relType + "styles\" Target=\"styles.xml\"/>";
            p.append({folder + QStringLiteral("styles.xml"),
                      "<?xml version=\"1.0\"?><styleSheet xmlns=\"http://schemas.openxmlformats."
                      "org/spreadsheetml/2006/main\"><numFmts>" +
                          numFmts +
                          "</numFmts><cellStyleXfs><xf numFmtId=\"14\"/></cellStyleXfs>"
                          "<cellXfs>" +
                          cellXfs + "</cellXfs></styleSheet>"});
        }
        rels += "</Relationships>";
        book += "</sheets></workbook>";
        p.append({workbookPart, book});
        p.append({folder + QStringLiteral("_rels/") + file + QStringLiteral(".rels"), rels});
        return p;
    }
};

// A workbook made by LibreOffice from CSV text (dates read month-first, en-US), in outDir under
// the name table.FORMAT (format "xlsx" or "xls"), so that its one sheet is named table; an empty
// string when LibreOffice is missing or fails.
inline QString workbookByLibreOffice(const QString& outDir, const QString& table,
                                     const QByteArray& csv,
                                     const QString& format = QStringLiteral("xlsx")) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    const QString csvPath = QDir(outDir).filePath(table + QStringLiteral(".csv"));
    QFile file(csvPath);
    if (soffice.isEmpty() || !file.open(QIODevice::WriteOnly))
        return {};
    file.write(csv);
    file.close();
    QProcess p;
    p.start(
        soffice,
        {QStringLiteral("-env:UserInstallation=file://") + outDir + QStringLiteral("/lo-profile"),
         QStringLiteral("--headless"), QStringLiteral("--infilter=CSV:44,34,76,1,,1033,false,true"),
         QStringLiteral("--convert-to"), format, QStringLiteral("--outdir"), outDir, csvPath});
    if (!p.waitForFinished(180000) || p.exitCode() != 0)
        return {};
    const QString out = QDir(outDir).filePath(table + QLatin1Char('.') + format);
    return QFile::exists(out) ? out : QString();
}

// Every entry of the zip, still packed, by name.
inline QMap<QString, QByteArray> rawEntries(const QString& path) {
    QMap<QString, QByteArray> entries;
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return entries;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFile file(&zip);
        int method = 0, level = 0;
        if (file.open(QIODevice::ReadOnly, &method, &level, true))
            entries.insert(zip.getCurrentFileName(), file.readAll());
    }
    return entries;
}

} // namespace rp::test
