#pragma once

#include "core/reports/AggregateSink.h"
#include "core/writeback/WriteBackSeries.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace rp {

class Database;

// The "Write Monthlys" and "Write Yearlys" boxes, asked again before every write.
struct WriteBackChoice {
    std::function<bool()> monthly;
    std::function<bool()> yearly;
};

// Stores the daily table's aggregates as rows of rmonth and ryear, replacing the row of the same
// parameter and date. The database is opened once, when the object is made, and only when either
// box is ticked then; it is released with the object. The series is checked before the report
// starts (its key is the parameter's and in rsite, dates ascending, values finite numbers); the
// aggregates are kept until finish(), which writes them all in one transaction: an error leaves
// every stored row as it was. A month or year the series covers only in part does not replace a
// stored row.
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
    void checkSeries(QIODevice& series) override;
    QString finish() override;

private:
    struct Pending {
        QString table;
        QString date; // as the delete statement names it
        QDateTime when;
        double value = 0;
        int year = 0;
        int month = 0; // 0 for a yearly row
    };
    void keep(Pending row, const QVariant& value);
    void writeRow(const Pending& row);
    bool isStored(const Pending& row);
    bool covers(const Pending& row) const;

    WriteBackChoice m_choice;
    qint64 m_parameter = 0;
    std::shared_ptr<Database> m_db;
    std::optional<WriteBackSeries> m_series;
    std::vector<Pending> m_pending;
};

} // namespace rp
