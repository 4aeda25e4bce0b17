#pragma once

namespace rp {

// Copies every user table of an Access file into an SQLite file with libmdb: each table with
// its name and its columns' names and types (AccessValues), rows as they are stored. Meant to
// run in a process of its own, because libmdb can crash or loop on a damaged file; it reports
// on the descriptor reportFd in lines: "P<rows>\t<table>" for progress, "E<message>" for a
// failure. Returns 0 on success, another value after reporting a failure.
int copyMdbToSqlite(const char* mdbPath, const char* sqlitePath, int reportFd);

} // namespace rp
