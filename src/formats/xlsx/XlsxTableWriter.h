#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

struct lxw_workbook;
struct lxw_format;

namespace rp {

// Writes tables as the worksheets of a new .xlsx workbook: row 1 the column names, then one row
// per record. Dates (QDateTime, QDate) become date cells with a date format, numbers number cells,
// booleans boolean cells, everything else text; nulls stay empty. The file is written by close();
// a writer destroyed before that leaves no file behind.
class XlsxTableWriter {
public:
    enum class Strings {
        Inline, // rows are streamed to disk; texts are written in their cells
        Shared  // texts go to the shared-strings part (every row is held until close)
    };

    // Throws rp::Error when the workbook cannot be started.
    explicit XlsxTableWriter(const QString& path, Strings strings = Strings::Inline);
    ~XlsxTableWriter();
    XlsxTableWriter(const XlsxTableWriter&) = delete;
    XlsxTableWriter& operator=(const XlsxTableWriter&) = delete;

    // Adds a worksheet and writes its rows, as long as next() fills one and returns true. Throws
    // rp::Error for a name a worksheet cannot have, a text too long for a cell or too many rows.
    void addSheet(const QString& name, const QStringList& columns,
                  const std::function<bool(QVariantList& row)>& next);
    void addSheet(const QString& name, const QStringList& columns, const QList<QVariantList>& rows);

    // Writes the file. Throws rp::Error naming the file when it cannot be written.
    void close();

private:
    void writeSheet(const QString& name, const QStringList& columns,
                    const std::function<bool(QVariantList& row)>& next);

    QString m_path;
    lxw_workbook* m_workbook = nullptr;
    lxw_format* m_dateFormat = nullptr;
    lxw_format* m_dateTimeFormat = nullptr;
    bool m_failed = false;
};

} // namespace rp
