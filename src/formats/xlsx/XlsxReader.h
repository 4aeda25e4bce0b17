#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace rp {

class XlsxPackage;

// Reads the worksheets of an .xlsx workbook. Cells arrive typed: double for numbers, QString for
// texts (shared, inline or formula results), bool, QDateTime (Qt::UTC, naive) for numbers shown
// through a date or time format, and a null QVariant for empty or error cells. Relative and
// absolute part targets are both followed. Every fault in the file (not a zip, truncated, a part
// missing, malformed XML) throws rp::Error naming the workbook.
class XlsxReader {
public:
    explicit XlsxReader(const QString& path);
    ~XlsxReader();
    XlsxReader(const XlsxReader&) = delete;
    XlsxReader& operator=(const XlsxReader&) = delete;

    const QString& path() const { return m_path; }
    // Worksheet names in workbook order (chart sheets are left out).
    const QStringList& sheetNames() const { return m_sheetNames; }
    bool hasSheet(const QString& name) const; // without regard to case

    // The rows of a sheet, row 1 first. Rows and cells missing from the file are filled with nulls
    // up to the last one present; trailing empty cells of a row are not added, so rows may differ
    // in length. The sheet is found without regard to case; an unknown sheet throws rp::Error.
    QList<QVariantList> readSheet(const QString& name) const;
    QList<QVariantList> readSheet(qsizetype index) const;

    // What a change made in place builds on: the package, its workbook part, a sheet's part, the
    // shared texts, the cell styles that show dates and the date system.
    const XlsxPackage& package() const;
    const QString& workbookPart() const { return m_workbookPart; }
    QString sheetPart(qsizetype index) const;
    const QStringList& sharedStrings() const;
    bool isDateStyle(int style) const;
    bool date1904() const;
    // A cell's value as readSheet() gives it, from its type (t), style (s, or -1), <v> text and
    // inline text. Throws rp::Error naming the part and the cell when it cannot be.
    QVariant cellValue(QStringView type, int style, const QString& v, const QString& inlineText,
                       bool hasInline, const QString& part, QStringView ref) const;

private:
    struct Parts;
    QString m_workbookPart;
    QString m_path;
    QStringList m_sheetNames;
    std::unique_ptr<Parts> m_parts;
};

} // namespace rp
