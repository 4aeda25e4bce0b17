#include "formats/xlsx/XlsxTableWriter.h"

#include "core/base/Error.h"
#include "formats/xlsx/XlsxCellValue.h"
#include "formats/xlsx/XlsxDates.h"

#include <QDateTime>
#include <QFile>
#include <xlsxwriter.h>

namespace rp {

namespace {

constexpr lxw_row_t maxRows = 1048576;
constexpr qsizetype maxTextLength = 32767;

} // namespace

XlsxTableWriter::XlsxTableWriter(const QString& path, Strings strings) : m_path(path) {
    lxw_workbook_options options = {};
    options.constant_memory = strings == Strings::Inline ? LXW_TRUE : LXW_FALSE;
    options.use_zip64 = LXW_TRUE;
    m_workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!m_workbook)
        throw Error(QStringLiteral("The workbook \"%1\" cannot be written.").arg(path));
    m_dateFormat = workbook_add_format(m_workbook);
    format_set_num_format(m_dateFormat, "yyyy-mm-dd");
    m_dateTimeFormat = workbook_add_format(m_workbook);
    format_set_num_format(m_dateTimeFormat, "yyyy-mm-dd hh:mm:ss");
}

XlsxTableWriter::~XlsxTableWriter() {
    if (!m_workbook)
        return;
    // libxlsxwriter frees a workbook only by writing it; write the abandoned one, then drop it.
    workbook_close(m_workbook);
    QFile::remove(m_path);
}

void XlsxTableWriter::addSheet(const QString& name, const QStringList& columns,
                               const std::function<bool(QVariantList& row)>& next) {
    try {
        writeSheet(name, columns, next);
    } catch (const Error&) {
        m_failed = true; // close() must not give a half-written workbook as a good one
        throw;
    }
}

void XlsxTableWriter::writeSheet(const QString& name, const QStringList& columns,
                                 const std::function<bool(QVariantList& row)>& next) {
    if (!m_workbook)
        throw Error(QStringLiteral("The workbook \"%1\" is already written.").arg(m_path));
    const QByteArray sheetName = name.toUtf8();
    if (name.trimmed().isEmpty() ||
        workbook_validate_sheet_name(m_workbook, sheetName.constData()) != LXW_NO_ERROR)
        throw Error(QStringLiteral("\"%1\" cannot be the name of a worksheet (at most 31 "
                                   "characters, none of []:*?/\\, and not used twice).")
                        .arg(name));
    lxw_worksheet* sheet = workbook_add_worksheet(m_workbook, sheetName.constData());
    if (!sheet)
        throw Error(QStringLiteral("The worksheet \"%1\" cannot be added.").arg(name));

    const auto check = [&](lxw_error error, lxw_row_t row) {
        if (error == LXW_NO_ERROR)
            return;
        throw Error(QStringLiteral("Row %1 of the worksheet \"%2\" cannot be written: %3.")
                        .arg(row + 1)
                        .arg(name, QString::fromUtf8(lxw_strerror(error))));
    };
    for (qsizetype c = 0; c < columns.size(); ++c)
        check(worksheet_write_string(sheet, 0, lxw_col_t(c), columns.at(c).toUtf8().constData(),
                                     nullptr),
              0);

    std::vector<bool> widened(size_t(columns.size()), false);
    lxw_row_t row = 1;
    QVariantList values;
    while (next(values)) {
        if (row >= maxRows)
            throw Error(QStringLiteral("The worksheet \"%1\" cannot hold more than %2 rows.")
                            .arg(name)
                            .arg(maxRows - 1));
        for (qsizetype c = 0; c < values.size(); ++c) {
            const QVariant& v = values.at(c);
            const lxw_col_t col = lxw_col_t(c);
            switch (xlsxValueKind(v)) {
            case XlsxValueKind::Empty:
                break;
            case XlsxValueKind::Date: {
                const QDateTime dt = xlsxDateTimeOf(v);
                const bool midnight = dt.time() == QTime(0, 0);
                check(worksheet_write_number(sheet, row, col, serialFromDateTime(dt),
                                             midnight ? m_dateFormat : m_dateTimeFormat),
                      row);
                if (size_t(c) < widened.size() && !widened[size_t(c)]) {
                    widened[size_t(c)] = true;
                    worksheet_set_column(sheet, col, col, 19, nullptr);
                }
                break;
            }
            case XlsxValueKind::Bool:
                check(worksheet_write_boolean(sheet, row, col, v.toBool(), nullptr), row);
                break;
            case XlsxValueKind::Number:
                check(worksheet_write_number(sheet, row, col, v.toDouble(), nullptr), row);
                break;
            case XlsxValueKind::Text: {
                const QString text = v.toString();
                if (text.size() > maxTextLength)
                    throw Error(QStringLiteral("A text in row %1 of the worksheet \"%2\" is longer "
                                               "than a cell can hold (%3 characters).")
                                    .arg(row + 1)
                                    .arg(name)
                                    .arg(maxTextLength));
                check(worksheet_write_string(sheet, row, col, text.toUtf8().constData(), nullptr),
                      row);
            }
            }
        }
        ++row;
    }
}

void XlsxTableWriter::addSheet(const QString& name, const QStringList& columns,
                               const QList<QVariantList>& rows) {
    qsizetype i = 0;
    addSheet(name, columns, [&](QVariantList& row) {
        if (i >= rows.size())
            return false;
        row = rows.at(i++);
        return true;
    });
}

void XlsxTableWriter::close() {
    if (!m_workbook)
        return;
    lxw_workbook* workbook = m_workbook;
    m_workbook = nullptr;
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR || m_failed) {
        QFile::remove(m_path);
        throw Error(QStringLiteral("The workbook \"%1\" cannot be written: %2.")
                        .arg(m_path, QString::fromUtf8(lxw_strerror(error))));
    }
}

} // namespace rp
