#include "providers/sqlite/SqliteProgress.h"

#include <sqlite3.h>

namespace rp {

void SqliteProgress::attach(sqlite3* handle, Progress progress, int steps) {
    m_progress = std::move(progress);
    m_reports = 0;
    if (handle)
        sqlite3_progress_handler(handle, m_progress ? steps : 0,
                                 m_progress ? &SqliteProgress::tick : nullptr, this);
}

int SqliteProgress::tick(void* self) {
    auto* progress = static_cast<SqliteProgress*>(self);
    return progress->m_progress(++progress->m_reports, 0) ? 0 : 1;
}

} // namespace rp
