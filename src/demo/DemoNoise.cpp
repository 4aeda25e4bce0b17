#include "demo/DemoNoise.h"

#include <cmath>

namespace rp::demo {

namespace {

quint64 mix(quint64 x) {
    // splitmix64 finaliser: every input bit reaches every output bit.
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

double knot(quint64 key, qint64 index) {
    return 2.0 * uniform(key, quint64(index), 0x6b6e6f74) - 1.0;
}

} // namespace

quint64 hash(quint64 a, quint64 b, quint64 c) {
    return mix(mix(mix(a) ^ b) ^ c);
}

double uniform(quint64 a, quint64 b, quint64 c) {
    return double(hash(a, b, c) >> 11) * (1.0 / 9007199254740992.0);
}

double normal(quint64 a, quint64 b, quint64 c) {
    const double u1 = 1.0 - uniform(a, b, c ^ 0x5555);
    const double u2 = uniform(a, b, c ^ 0xaaaa);
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

double smoothNoise(quint64 key, double x, double period) {
    const double s = x / period;
    const double f = std::floor(s);
    const qint64 i = qint64(f);
    const double u = s - f;
    const double w = u * u * (3.0 - 2.0 * u);
    return knot(key, i) * (1.0 - w) + knot(key, i + 1) * w;
}

} // namespace rp::demo
