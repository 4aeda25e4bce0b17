#pragma once

#include <QString>

namespace rp {

// What the first page of an Access file says about it.
struct AccessFileFormat {
    int version = 0;     // 0 Jet 3, 1 Jet 4, 2 and later ACE (.accdb)
    qint64 pageSize = 0; // 2048 for Jet 3, 4096 otherwise
    qint64 pageCount = 0;
    QString name; // "Jet 3", "Jet 4", "ACE 12" …
};

// Checks that a file looks like a whole Access database before any reader touches it: the
// signature, a known version, a length of whole pages, and the table catalogue where it must
// be. Throws rp::Error naming what is wrong (missing, not an Access file, truncated).
AccessFileFormat checkAccessFile(const QString& path);

} // namespace rp
