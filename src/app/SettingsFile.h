#pragma once

#include <QString>

namespace rp {

// The settings file: line 1 the connection string, line 2 (may be missing) the chart backdrop.
// 8-bit text with CR LF line ends, rewritten whole.
struct SettingsFile {
    QString connectionString; // trimmed
    QString backdrop;         // empty when line 2 is missing
    bool hasBackdrop = false;

    // Throws rp::Error when the file cannot be read.
    static SettingsFile read(const QString& path);
    // Replaces the file atomically; throws rp::Error when it cannot be written.
    void write(const QString& path) const;
};

} // namespace rp
