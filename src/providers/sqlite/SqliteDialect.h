#pragma once

#include "jet/SqlDialect.h"

namespace rp {

// SQLite as the Jet translator writes for it: "quoted" names, date-times as
// 'YYYY-MM-DD HH:MM:SS' text, 1 and 0 for True and False, the Jet functions as jet_<name>.
class SqliteDialect : public SqlDialect {
public:
    QString quoteIdentifier(const QString& name) const override;
    QString dateTimeLiteral(const QDateTime& dateTime) const override;
    QString booleanLiteral(bool value) const override;
    // User tables (type 1, flags 0) and views (type 5) from sqlite_master.
    QString systemObjectsQuery() const override;
    QString functionName(const QString& jetName) const override;
};

} // namespace rp
