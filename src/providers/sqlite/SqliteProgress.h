#pragma once

#include "core/base/Progress.h"

struct sqlite3;

namespace rp {

// Hands a SQLite connection's long statements to a progress callback every few thousand virtual
// machine steps (total unknown); a false answer interrupts the running statement. Keep it alive
// as long as the connection, or attach an empty callback before it goes.
class SqliteProgress {
public:
    // Often enough for a prompt Cancel, seldom enough to cost nothing measurable.
    static constexpr int defaultSteps = 10000;

    void attach(sqlite3* handle, Progress progress, int steps = defaultSteps);

private:
    static int tick(void* self);

    Progress m_progress;
    qint64 m_reports = 0;
};

} // namespace rp
