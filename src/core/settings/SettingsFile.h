#pragma once

#include <QByteArray>
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
    // The settings held by the file's bytes.
    static SettingsFile parse(const QByteArray& bytes);
    // The file's bytes: the lines that are set, each ended by CR LF.
    QByteArray bytes() const;
    // Replaces the file atomically; throws rp::Error when it cannot be written.
    void write(const QString& path) const;
};

} // namespace rp
