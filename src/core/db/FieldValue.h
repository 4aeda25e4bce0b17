#pragma once

#include "core/db/RecordSet.h"

#include <QString>
#include <QVariant>

namespace rp {

// Converts a value given to a field (often the text typed or pasted into the grid) to what a
// field of that type holds: qlonglong, double, QString, naive QDateTime, QByteArray, or an invalid
// QVariant for null. Texts are read as numbers or dates for such fields; a blank text is null
// there. Throws rp::Error naming the field when the value does not fit.
QVariant coerceFieldValue(const QVariant& value, FieldType fieldType, const QString& fieldName);

} // namespace rp
