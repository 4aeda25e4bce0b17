#pragma once

#include <QString>
#include <QVariant>

class QIODevice;

namespace rp {

// Receives the monthly and yearly aggregates the daily table computes, so they can be stored in
// the database. The table asks before every write, so a choice changed while it runs counts.
class AggregateSink {
public:
    virtual ~AggregateSink() = default;

    virtual bool wantsMonthly() const = 0;
    virtual bool wantsYearly() const = 0;

    // `value` is either the cell text as printed (leading blanks included; the database reads it
    // as a number) or a double.
    virtual void writeMonthly(int year, int month, const QVariant& value) = 0;
    // An invalid `value` means the year has no value to store (a mean over no days).
    virtual void writeYearly(int year, const QVariant& value) = 0;

    // Before the first line: the series the table reads, at its start, for the sink to refuse
    // (throwing rp::Error) when its aggregates cannot be trusted. The position is kept.
    virtual void checkSeries(QIODevice& series) { (void)series; }
    // After the report was written without error: the writes take effect, all or none. Returns
    // what the user should know of it (rows left alone), empty when nothing.
    virtual QString finish() { return {}; }
};

} // namespace rp
