#pragma once

#include <QtGlobal>

namespace rp::demo {

// Seeded, stateless noise for the demo database: every number is a pure function of its
// arguments, so a value depends only on its series and its time, never on generation order.

// A well-mixed 64-bit hash of up to three keys.
quint64 hash(quint64 a, quint64 b, quint64 c = 0);
// Uniform in [0, 1).
double uniform(quint64 a, quint64 b, quint64 c = 0);
// Standard normal.
double normal(quint64 a, quint64 b, quint64 c = 0);
// Smooth noise in about [-1, 1] over a continuous coordinate x: knots at whole multiples of
// period, joined by a smooth step so the curve has no corners.
double smoothNoise(quint64 key, double x, double period);

} // namespace rp::demo
