#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace rp::fuzz {

// A broken invariant is a finding: print it and abort so that libFuzzer keeps the input.
inline void check(bool ok, const char* what) {
    if (ok)
        return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace rp::fuzz
