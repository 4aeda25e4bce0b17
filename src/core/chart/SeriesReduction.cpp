#include "core/chart/SeriesReduction.h"

#include <algorithm>

namespace rp {

std::vector<SeriesSegment> reduceForDisplay(const std::vector<double>& values,
                                            const std::vector<std::uint8_t>& nulls, int first,
                                            int last, int pixels) {
    std::vector<SeriesSegment> segments;
    first = std::max(first, 0);
    last = std::min(last, int(values.size()) - 1);
    if (last < first)
        return segments;
    const int count = last - first + 1;
    const bool reduce = pixels > 0 && count > 2 * pixels;
    const double width = reduce ? double(count) / pixels : 1.0;

    SeriesSegment current;
    long bucket = -1;
    int minRow = -1;
    int maxRow = -1;
    int nullRun = 0;
    const auto flush = [&] {
        if (minRow < 0)
            return;
        const int a = std::min(minRow, maxRow);
        const int b = std::max(minRow, maxRow);
        current.emplace_back(a, values[a]);
        if (b != a)
            current.emplace_back(b, values[b]);
        minRow = maxRow = -1;
    };
    const auto endSegment = [&] {
        flush();
        if (!current.empty())
            segments.push_back(std::move(current));
        current = {};
    };

    for (int r = first; r <= last; ++r) {
        if (nulls[r]) {
            ++nullRun;
            continue;
        }
        if (nullRun > 0 && nullRun >= width)
            endSegment();
        nullRun = 0;
        const long b = reduce ? long((r - first) / width) : r;
        if (b != bucket) {
            flush();
            bucket = b;
        }
        if (minRow < 0 || values[r] < values[minRow])
            minRow = r;
        if (maxRow < 0 || values[r] > values[maxRow])
            maxRow = r;
    }
    endSegment();
    return segments;
}

} // namespace rp
