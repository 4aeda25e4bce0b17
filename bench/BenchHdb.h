#pragma once

// The benchmark HDB (named by RIVELPOST_BENCH_HDB) and the 100-year 15-minute unit series the
// benchmarks add to it themselves: key 1002, the real 10-year series of key 1001 repeated ten
// times from 01-Jan-1920 00:00 to 31-Dec-2019 23:45, with its own site (11532501) in rsite.

#include <QString>
#include <benchmark/benchmark.h>

namespace rp::bench {

inline constexpr int centuryKey = 1002;
inline constexpr qint64 centuryRows = 3506400;
inline constexpr const char* centurySite = "11532501";

// The benchmark HDB's path; empty, with the benchmark skipped, when RIVELPOST_BENCH_HDB is unset.
QString benchHdb(benchmark::State& state);

// The benchmark HDB's path once key 1002 is in it; empty, with the benchmark skipped, when it
// cannot be made. The first call on a new HDB file adds the series in one transaction.
QString centuryBenchHdb(benchmark::State& state);

// Adds key 1002 to the HDB at path unless it is there already; returns the seconds that took
// (0 when there was nothing to do). Throws rp::Error.
double addCenturySeries(const QString& path);

} // namespace rp::bench
