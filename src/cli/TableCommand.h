#pragma once

#include <QStringList>

namespace rp {

// `rivelpost-cli table SERIESFILE [--out FILE] [--excel] [--station ID] [--date MM-DD-YYYY]
// [--water-year] [--connection C --dsid K [--write-monthly] [--write-yearly]]`: writes the table
// report of a series file, storing the daily table's monthly and yearly values when asked. `args`
// are the arguments after "table". Returns 0 on success, 1 when the report fails, 2 for a usage
// error.
int runTableCommand(const QStringList& args);

} // namespace rp
