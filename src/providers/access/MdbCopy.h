#pragma once

namespace rp {

// Copies every user table of an Access file into an SQLite file with libmdb: each table with
// its name and its columns' names and types (AccessValues), rows as they are stored. Meant to
// run in a process of its own, because libmdb can crash or loop on a damaged file; it reports
// on the descriptor reportFd in lines: "P<rows>\t<table>" for progress, "E<message>" for a
// failure. Returns 0 on success, mdbCopyDamaged when the file is damaged (cut short: a page it
// refers to lies beyond its end, or a table holds fewer rows than its definition counts; or more
// memory needed than allowed), another value after reporting another failure.
int copyMdbToSqlite(const char* mdbPath, const char* sqlitePath, int reportFd);

constexpr int mdbCopyDamaged = 3;

} // namespace rp
