#pragma once

#include "formats/readers/ReadOptions.h"
#include "formats/readers/ReadResult.h"

#include <QByteArrayView>

namespace rp::readers {

// Generic delimited text: a date column and value columns, with or without a header row. Found
// from the file unless the options say: the delimiter (the one of , ; tab | that splits the first
// lines into the same number of fields), the date column (the first whose values read as dates)
// and the date form (ISO with optional offset, M/D/YYYY, D/M/YYYY when a day passes 12,
// YYYY/MM/DD; each with an optional H:MM[:SS]). A column named like a qualifier (flag, qualifier,
// quality, code, *_cd …) or holding no numbers gives the qualifiers of the value column before
// it. Empty, NA, NaN and null are missing values; where the delimiter is not a comma a decimal
// comma reads (1,5). The step comes from the most common spacing.
ReadResult readCsv(QByteArrayView bytes, const ReadOptions& options = {});

} // namespace rp::readers
