// The acre-feet conversion of a series file: it converts, declines (not CFS, output empty) or
// throws rp::Error.
#include "FuzzCheck.h"
#include "core/base/Error.h"
#include "core/export/AcreFeet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray in = rp::fuzz::bytes(data, size);
    QByteArray out;
    try {
        if (!rp::convertToAcreFeet(in, out))
            rp::fuzz::check(out.isEmpty(), "declined conversion left output");
        else
            rp::fuzz::check(out.contains("ACRE-FEET"), "converted file not in acre-feet");
    } catch (const rp::Error&) {
    }
    return 0;
}
