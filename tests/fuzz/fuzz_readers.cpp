// Every text reader through the format detector: each input reads or is refused with
// ReadError, and what it reads keeps the promises a loader relies on.
#include "FuzzCheck.h"
#include "formats/readers/FormatDetector.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray in = rp::fuzz::bytes(data, size);
    using namespace rp::readers;
    try {
        const ReadResult r = readAny(in);
        rp::fuzz::check(r.series.size() <= kMaxSeries, "more series than the limit");
        rp::fuzz::check(r.warnings.size() <= kMaxWarnings + 1, "more warnings than the limit");
        for (const Series& s : r.series) {
            for (qsizetype i = 0; i < s.values.size(); ++i) {
                rp::fuzz::check(s.values[i].time.isValid(), "invalid time");
                rp::fuzz::check(std::isfinite(s.values[i].value), "value not finite");
                if (i > 0)
                    rp::fuzz::check(s.values[i - 1].time < s.values[i].time,
                                    "values not strictly ascending");
            }
        }
        for (const ReadWarning& w : r.warnings)
            rp::fuzz::check(w.message.size() <= 2 * kMaxQuotedChars + 120, "warning too long");
    } catch (const ReadError&) {
    }
    return 0;
}
