#include "formats/xlsx/XlsxCellValue.h"

namespace rp {

XlsxValueKind xlsxValueKind(const QVariant& value) {
    if (value.isNull())
        return XlsxValueKind::Empty;
    switch (value.typeId()) {
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return XlsxValueKind::Date;
    case QMetaType::Bool:
        return XlsxValueKind::Bool;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return XlsxValueKind::Number;
    default:
        return XlsxValueKind::Text;
    }
}

QDateTime xlsxDateTimeOf(const QVariant& value) {
    return value.typeId() == QMetaType::QDate ? QDateTime(value.toDate(), QTime(0, 0), Qt::UTC)
                                              : value.toDateTime();
}

} // namespace rp
