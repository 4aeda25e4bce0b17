#pragma once

#include "core/db/Database.h"
#include "core/db/RecordSet.h"

#include <QStringList>

namespace rp::test {

// The rows a statement returns, each as the grid's cell texts joined by "|": what a test reads
// back from the database after an edit.
inline QStringList recordRows(Database& db, const QString& sql) {
    const auto rs = db.open(sql, LockType::ReadOnly);
    QStringList out;
    for (qsizetype r = 0; r < rs->recordCount(); ++r) {
        QStringList cells;
        for (int f = 0; f < rs->fieldCount(); ++f)
            cells.append(rs->displayText(r, f));
        out.append(cells.join(QLatin1Char('|')));
    }
    return out;
}

} // namespace rp::test
