#pragma once

#include <QString>
#include <functional>

namespace rp {

// Rows read so far from the table being read.
using AccessReadProgress = std::function<void(const QString& table, qint64 rows)>;

// Copies every user table of an Access file into an existing, empty SQLite file (MdbCopy). The
// file is checked first (checkAccessFile); libmdb then runs in a child process, so a damaged
// file that makes it crash or stop responding gives an rp::Error, never a crash of the program.
void readAccessFile(const QString& accessPath, const QString& sqlitePath,
                    const AccessReadProgress& progress = {});

} // namespace rp
