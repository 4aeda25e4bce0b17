#pragma once

#include <QPointF>
#include <cstdint>
#include <vector>

namespace rp {

// A stretch of a series without gaps, as points (row, value).
using SeriesSegment = std::vector<QPointF>;

// The points to draw of rows `first` to `last` of one series in `pixels` columns: every point
// when they fit, otherwise the smallest and largest value of each pixel column in row order, so no
// peak is lost. Null cells split the series into segments, except gaps narrower than a pixel
// column, which could not be seen.
std::vector<SeriesSegment> reduceForDisplay(const std::vector<double>& values,
                                            const std::vector<std::uint8_t>& nulls, int first,
                                            int last, int pixels);

} // namespace rp
