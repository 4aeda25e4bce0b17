#pragma once

#include <QStringList>

namespace rp {

// `rivelpost-cli table SERIESFILE [--out FILE] [--excel] [--station ID] [--date MM-DD-YYYY]
// [--water-year]`: writes the table report of a series file. `args` are the arguments after
// "table". Returns 0 on success, 1 when the report fails, 2 for a usage error.
int runTableCommand(const QStringList& args);

} // namespace rp
