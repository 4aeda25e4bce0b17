#pragma once

#include "formats/readers/ReadOptions.h"
#include "formats/readers/ReadResult.h"

#include <QByteArrayView>

namespace rp::readers {

// USBR Upper Colorado reservoir CSV: "Date,<name> (<unit>),…" then rows dated D-Mon-YY (two-digit
// years 50..99 are 19xx, 00..49 are 20xx), a blank (" ") field for a missing value, and footnote
// rows at the end: reading stops at the first row whose date does not read. Rows all on the
// first of the month make Month series, others Day. One series per column; the file names no
// site.
ReadResult readUsbrCsv(QByteArrayView bytes, const ReadOptions& options = {});

// D-Mon-YY or D-Mon-YYYY (Mon in English, any case), or nothing.
std::optional<QDate> parseDayMonYear(QByteArrayView text);

} // namespace rp::readers
