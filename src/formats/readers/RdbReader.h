#pragma once

#include "formats/readers/ReadOptions.h"
#include "formats/readers/ReadResult.h"

#include <QByteArrayView>

namespace rp::readers {

// USGS NWIS tab-delimited RDB: daily values (one column per TS_ID, parameter and statistic, each
// with a _cd qualifier column; several site blocks in one file), instantaneous values (with the
// tz_cd column) and the older daily layout (agency_cd site_no dv_dt dv_va dv_cd). Lines that are
// not data (HTML a server appended, text) are skipped with a warning. One series per site and
// value column.
ReadResult readRdb(QByteArrayView bytes, const ReadOptions& options = {});

} // namespace rp::readers
