#pragma once

#include "core/reports/AggregateSink.h"

#include <QString>
#include <functional>
#include <memory>

namespace rp {

class Database;

// The "Write Monthlys" and "Write Yearlys" boxes, asked again before every write.
struct WriteBackChoice {
    std::function<bool()> monthly;
    std::function<bool()> yearly;
};

// Stores the daily table's aggregates as rows of rmonth and ryear, replacing the row of the same
// parameter and date. The database is opened once, when the object is made, and only when either
// box is ticked then; it is released with the object. Each write deletes and inserts in one
// transaction: when the insert fails the old row is kept, and the error reaches the caller; rows
// written before stay.
class DatabaseAggregateSink : public AggregateSink {
public:
    using Connect = std::function<std::shared_ptr<Database>()>;

    // `modeText` is the main window's mode box: the datatype_site_id of the retrieved series.
    // Throws rp::Error when a box is ticked and the parameter is not an identifier, the database
    // is read-only or cannot be opened.
    DatabaseAggregateSink(const QString& connectionString, const QString& modeText,
                          WriteBackChoice choice);
    // As above, with the database opened by `connect` (called at most once).
    DatabaseAggregateSink(const Connect& connect, const QString& modeText, WriteBackChoice choice);
    ~DatabaseAggregateSink() override;

    // Whether the database was opened (a box was ticked at the start).
    bool isConnected() const { return m_db != nullptr; }

    bool wantsMonthly() const override;
    bool wantsYearly() const override;
    void writeMonthly(int year, int month, const QVariant& value) override;
    void writeYearly(int year, const QVariant& value) override;

private:
    void replaceRow(const QString& table, const QString& date, const QVariant& value);

    WriteBackChoice m_choice;
    qint64 m_parameter = 0;
    std::shared_ptr<Database> m_db;
};

} // namespace rp
