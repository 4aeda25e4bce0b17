#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace rp {

// Reads the worksheets of a legacy .xls workbook (BIFF, through freexl) as rows of typed cells,
// the same way XlsxReader gives them: double, QString, QDateTime (Qt::UTC, naive) for date cells,
// null for empty cells. Throws rp::Error naming the file when it is missing, damaged, password
// protected or not an .xls workbook.
class XlsReader {
public:
    explicit XlsReader(const QString& path);
    ~XlsReader();
    XlsReader(const XlsReader&) = delete;
    XlsReader& operator=(const XlsReader&) = delete;

    const QStringList& sheetNames() const { return m_sheetNames; }
    QList<QVariantList> readSheet(qsizetype index) const;

private:
    QString m_path;
    const void* m_handle = nullptr;
    QStringList m_sheetNames;
};

} // namespace rp
