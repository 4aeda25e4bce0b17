#pragma once

#include "formats/readers/ReadOptions.h"
#include "formats/readers/ReadResult.h"

#include <QByteArrayView>

namespace rp::readers {

// USGS WaterML 1.1: one series per timeSeries element (site code and name, variable code and
// name, unit, statistic option, noDataValue), values with their dateTime (offsets honoured, the
// site's standard offset from defaultTimeZone) and qualifiers attribute. Malformed XML is
// refused with its line.
ReadResult readWaterMl(QByteArrayView bytes, const ReadOptions& options = {});

} // namespace rp::readers
