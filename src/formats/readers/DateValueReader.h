#pragma once

#include "formats/readers/ReadOptions.h"
#include "formats/readers/ReadResult.h"

#include <QByteArrayView>

namespace rp::readers {

// DateValue text (.dv): "Key = value" header lines (NumTS, TSID, Description, DataType, Units,
// MissingVal, DataFlags, Start …; several series as quoted lists), a title line starting "Date",
// then rows of a date (Day, Month), date and hour (Hour) or date and HH:MM (15Minute) followed
// per series by its value and, where DataFlags says so, a quoted flag. A zone code after the
// Start date (MST) applies to every row. The step is the TSID's interval part.
ReadResult readDateValue(QByteArrayView bytes, const ReadOptions& options = {});

} // namespace rp::readers
