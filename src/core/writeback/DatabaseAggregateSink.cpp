#include "core/writeback/DatabaseAggregateSink.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/db/Database.h"
#include "core/writeback/AggregateRows.h"

#include <QLocale>
#include <cmath>

namespace rp {

namespace {

bool ticked(const std::function<bool()>& box) {
    return box && box();
}

DatabaseAggregateSink::Connect openRefusingReadOnly(const QString& connectionString) {
    return [connectionString] {
        const QString refusal = writeBackRefusal(connectionString);
        if (!refusal.isEmpty())
            throw Error(refusal);
        return openDatabase(connectionString);
    };
}

const QString& nothingWritten() {
    static const QString text = QStringLiteral(" No monthly or yearly value was written.");
    return text;
}

} // namespace

DatabaseAggregateSink::DatabaseAggregateSink(const QString& connectionString,
                                             const QString& modeText, WriteBackChoice choice)
    : DatabaseAggregateSink(openRefusingReadOnly(connectionString), modeText, std::move(choice)) {}

DatabaseAggregateSink::DatabaseAggregateSink(const Connect& connect, const QString& modeText,
                                             WriteBackChoice choice)
    : m_choice(std::move(choice)) {
    if (!ticked(m_choice.monthly) && !ticked(m_choice.yearly))
        return;
    m_parameter = aggregateParameter(modeText);
    m_db = connect();
    if (!m_db)
        throw Error(QStringLiteral("No database is open to write monthly and yearly values to."));
}

// Rows kept but not finished (the report failed) are never written.
DatabaseAggregateSink::~DatabaseAggregateSink() = default;

// A box ticked only after the start finds no open database; it writes nothing.
bool DatabaseAggregateSink::wantsMonthly() const {
    return m_db && ticked(m_choice.monthly);
}

bool DatabaseAggregateSink::wantsYearly() const {
    return m_db && ticked(m_choice.yearly);
}

void DatabaseAggregateSink::checkSeries(QIODevice& series) {
    m_series.reset();
    if (!m_db)
        return;
    const WriteBackSeries found = checkWriteBackSeries(series);
    if (found.key != m_parameter)
        throw Error(QStringLiteral("The series file is the series of %1, not of %2.")
                        .arg(found.key)
                        .arg(m_parameter) +
                    nothingWritten());
    const auto site =
        m_db->open(QStringLiteral("SELECT datatype_site_id FROM rsite WHERE datatype_site_id=%1;")
                       .arg(m_parameter),
                   LockType::ReadOnly);
    if (site->recordCount() == 0)
        throw Error(QStringLiteral("There is no datatype_site_id %1 in rsite.").arg(m_parameter) +
                    nothingWritten());
    m_series = found;
}

void DatabaseAggregateSink::writeMonthly(int year, int month, const QVariant& value) {
    keep({QStringLiteral("rmonth"), monthRowDate(year, month), {}, 0, year, month}, value);
}

void DatabaseAggregateSink::writeYearly(int year, const QVariant& value) {
    // A year without a value (a mean over no days) keeps the row it has.
    if (!value.isValid())
        return;
    keep({QStringLiteral("ryear"), yearRowDate(year), {}, 0, year, 0}, value);
}

void DatabaseAggregateSink::keep(Pending row, const QVariant& value) {
    if (!m_db)
        return;
    const auto when = parseJetDateTime(row.date);
    if (!when)
        throw Error(QStringLiteral("%1 is not a date a row can be written for.").arg(row.date));
    row.when = *when;
    row.value = aggregateNumber(value);
    if (!std::isfinite(row.value))
        throw Error(
            QStringLiteral("The %1 value of %2 is not a finite number.").arg(row.table, row.date) +
            nothingWritten());
    m_pending.push_back(std::move(row));
}

bool DatabaseAggregateSink::covers(const Pending& row) const {
    return row.month == 0 ? m_series->coversYear(row.year)
                          : m_series->coversMonth(row.year, row.month);
}

bool DatabaseAggregateSink::isStored(const Pending& row) {
    const auto stored = m_db->open(
        QStringLiteral("SELECT value FROM %1 WHERE datatype_site_id=%2 AND date_time= #%3#;")
            .arg(row.table)
            .arg(m_parameter)
            .arg(row.date),
        LockType::ReadOnly);
    return stored->recordCount() > 0;
}

void DatabaseAggregateSink::writeRow(const Pending& row) {
    static const QStringList columns{QStringLiteral("datatype_site_id"),
                                     QStringLiteral("date_time"), QStringLiteral("value"),
                                     QStringLiteral("source")};
    try {
        m_db->execute(aggregateDeleteStatement(row.table, m_parameter, row.date));
        m_db->insertRow(row.table, columns, {m_parameter, row.when, row.value, aggregateSource});
    } catch (const Error& e) {
        throw Error(QStringLiteral("Writing the %1 row of %2 for %3 failed: %4")
                        .arg(row.table, row.date)
                        .arg(m_parameter)
                        .arg(e.message()));
    }
}

QString DatabaseAggregateSink::finish() {
    std::vector<Pending> rows;
    rows.swap(m_pending);
    if (rows.empty())
        return {};
    if (!m_series)
        throw Error(QStringLiteral("The series was not checked before its values were kept.") +
                    nothingWritten());
    QStringList skipped;
    inTransaction(*m_db, QStringLiteral("The monthly and yearly values were not written"), [&] {
        // A write-back of the same parameter by another user waits for this one to end: its
        // deletes then find the rows written here instead of failing on them with a duplicate.
        m_db->lockUntilTransactionEnds(QStringLiteral("rivelpost write-back %1").arg(m_parameter));
        for (const Pending& row : rows) {
            if (!covers(row) && isStored(row)) {
                skipped.append(row.month == 0 ? QString::number(row.year)
                                              : QLocale::c().monthName(row.month) +
                                                    QLatin1Char(' ') + QString::number(row.year));
                continue;
            }
            writeRow(row);
        }
    });
    if (skipped.isEmpty())
        return {};
    return QStringLiteral("The series covers only part of %1; the stored values there were kept.")
        .arg(skipped.join(QStringLiteral(", ")));
}

} // namespace rp
