// Connection strings from the settings file and the connection box.
#include "FuzzCheck.h"
#include "core/base/Error.h"
#include "core/db/ConnectionString.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(rp::fuzz::bytes(data, size));
    // Messages may show this text: the password must be gone whatever the string looks like.
    const QString shown = rp::ConnectionString::withoutPassword(text);
    try {
        const rp::ConnectionString parsed = rp::ConnectionString::parse(text);
        for (const auto& entry : parsed.entries()) {
            rp::fuzz::check(!entry.first.isEmpty(), "empty key accepted");
            rp::fuzz::check(parsed.contains(entry.first), "parsed key not found");
        }
        try {
            parsed.backendKind();
            parsed.databasePath();
        } catch (const rp::Error&) {
        }
    } catch (const rp::Error&) {
    }
    (void)shown;
    return 0;
}
