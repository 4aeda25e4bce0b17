#include "formats/xlsx/XlsReader.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"

#include <QFile>
#include <QFileInfo>
#include <freexl.h>

namespace rp {

XlsReader::XlsReader(const QString& path) : m_path(path) {
    if (!QFileInfo::exists(path))
        throw Error(QStringLiteral("The workbook \"%1\" does not exist.").arg(path));
    const int rc = freexl_open(QFile::encodeName(path).constData(), &m_handle);
    if (rc != FREEXL_OK) {
        if (m_handle)
            freexl_close(m_handle);
        m_handle = nullptr;
        throw Error(QStringLiteral("The workbook \"%1\" is damaged or not an .xls file (error %2 "
                                   "while reading it).")
                        .arg(path)
                        .arg(rc));
    }
    unsigned int password = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
        password == FREEXL_BIFF_OBFUSCATED) {
        freexl_close(m_handle);
        m_handle = nullptr;
        throw Error(QStringLiteral("The workbook \"%1\" is protected by a password and cannot be "
                                   "read.")
                        .arg(path));
    }
    unsigned int count = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
        count = 0;
    for (unsigned int i = 0; i < count && i < 0xFFFF; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(m_handle, static_cast<unsigned short>(i), &name) !=
                FREEXL_OK ||
            !name) {
            freexl_close(m_handle);
            m_handle = nullptr;
            throw Error(QStringLiteral("The workbook \"%1\" is damaged: worksheet %2 has no name.")
                            .arg(path)
                            .arg(i + 1));
        }
        m_sheetNames.append(QString::fromUtf8(name));
    }
}

XlsReader::~XlsReader() {
    if (m_handle)
        freexl_close(m_handle);
}

QList<QVariantList> XlsReader::readSheet(qsizetype index) const {
    if (index < 0 || index >= m_sheetNames.size())
        throw Error(QStringLiteral("The workbook \"%1\" has no worksheet number %2.")
                        .arg(m_path)
                        .arg(index + 1));
    unsigned int rowCount = 0;
    unsigned short columnCount = 0;
    if (freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(index)) != FREEXL_OK ||
        freexl_worksheet_dimensions(m_handle, &rowCount, &columnCount) != FREEXL_OK)
        throw Error(QStringLiteral("The worksheet \"%1\" of \"%2\" cannot be read.")
                        .arg(m_sheetNames.at(index), m_path));
    QList<QVariantList> rows;
    for (unsigned int r = 0; r < rowCount; ++r) {
        QVariantList cells;
        for (unsigned short c = 0; c < columnCount; ++c) {
            FreeXL_CellValue cell;
            QVariant value;
            if (freexl_get_cell_value(m_handle, r, c, &cell) == FREEXL_OK) {
                switch (cell.type) {
                case FREEXL_CELL_INT:
                    value = double(cell.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    value = cell.value.double_value;
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    value = QString::fromUtf8(cell.value.text_value);
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME: {
                    const QString text = QString::fromUtf8(cell.value.text_value);
                    const auto date = parseIsoDateTime(text);
                    value = date ? QVariant(*date) : QVariant(text);
                    break;
                }
                case FREEXL_CELL_TIME: {
                    const QTime time = QTime::fromString(QString::fromUtf8(cell.value.text_value),
                                                         QStringLiteral("HH:mm:ss"));
                    if (time.isValid())
                        value = naiveDateTime(QDate(1899, 12, 30), time);
                    break;
                }
                default:
                    break;
                }
            }
            if (!value.isNull()) {
                cells.resize(c);
                cells.append(value);
            }
        }
        rows.append(cells);
    }
    return rows;
}

} // namespace rp
