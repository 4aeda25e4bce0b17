#pragma once

#include <QDateTime>
#include <QVariant>

namespace rp {

// How a value given for a cell is written: the one reading of QVariant types that the table
// writer and the in-place change share.
enum class XlsxValueKind { Empty, Date, Bool, Number, Text };
XlsxValueKind xlsxValueKind(const QVariant& value);

// The date-time of a Date value (a QDate is its midnight).
QDateTime xlsxDateTimeOf(const QVariant& value);

} // namespace rp
