#pragma once

#include "core/base/Error.h"

#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <functional>

namespace rp {

// How far long work has got: `done` of `total` steps (total 0 when unknown). The callback answers
// false when the user asks to stop; work that can stop without losing anything then ends with an
// rp::Error saying it was cancelled.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// One stage of longer work, running from step `from` to step `to` of the whole's `total`: the
// stage's own done and total are scaled into that span. Empty when `whole` is.
inline Progress progressStage(const Progress& whole, qint64 from, qint64 to, qint64 total) {
    if (!whole)
        return {};
    return [whole, from, to, total](qint64 done, qint64 stageTotal) {
        const qint64 at =
            stageTotal > 0
                ? from + (to - from) * std::clamp<qint64>(done, 0, stageTotal) / stageTotal
                : from;
        return whole(at, total);
    };
}

// Counts the steps of a loop and reports every few thousand of them, so that a tight loop pays
// next to nothing; throws rp::Error with `cancelled` when the user stops the work.
class ProgressSteps {
public:
    ProgressSteps(Progress progress, qint64 total, QString cancelled)
        : m_progress(std::move(progress)), m_total(total), m_cancelled(std::move(cancelled)) {}

    void step() {
        if (++m_done % every == 0 && m_progress)
            report();
    }
    // Reports where the loop is now.
    void report() const {
        if (m_progress && !m_progress(m_done, m_total))
            throw Error(m_cancelled);
    }

    static constexpr qint64 every = 4096;

private:
    Progress m_progress;
    qint64 m_total;
    qint64 m_done = 0;
    QString m_cancelled;
};

} // namespace rp
