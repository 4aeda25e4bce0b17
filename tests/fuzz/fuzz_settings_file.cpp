// The settings file: any bytes give a connection string and perhaps a backdrop line, and what is
// written back reads the same again.
#include "FuzzCheck.h"
#include "core/settings/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const rp::SettingsFile settings = rp::SettingsFile::parse(rp::fuzz::bytes(data, size));
    rp::fuzz::check(settings.connectionString == settings.connectionString.trimmed(),
                    "connection string not trimmed");
    rp::fuzz::check(settings.hasBackdrop || settings.backdrop.isEmpty(), "backdrop without line 2");
    const rp::SettingsFile again = rp::SettingsFile::parse(settings.bytes());
    rp::fuzz::check(again.connectionString == settings.connectionString, "connection round trip");
    rp::fuzz::check(again.hasBackdrop == settings.hasBackdrop, "backdrop presence round trip");
    rp::fuzz::check(again.backdrop == settings.backdrop, "backdrop round trip");
    return 0;
}
