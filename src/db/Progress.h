#pragma once

#include <QtGlobal>
#include <functional>

namespace rp {

// How far long work has got: `done` of `total` steps (total 0 when unknown). The callback answers
// false when the user asks to stop; work that can stop without losing anything then ends with an
// rp::Error saying it was cancelled.
using Progress = std::function<bool(qint64 done, qint64 total)>;

} // namespace rp
