#include "core/reports/DatabaseAggregateSink.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/db/Database.h"
#include "core/reports/AggregateRows.h"

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

DatabaseAggregateSink::~DatabaseAggregateSink() = default;

// A box ticked only after the start finds no open database; it writes nothing.
bool DatabaseAggregateSink::wantsMonthly() const {
    return m_db && ticked(m_choice.monthly);
}

bool DatabaseAggregateSink::wantsYearly() const {
    return m_db && ticked(m_choice.yearly);
}

void DatabaseAggregateSink::writeMonthly(int year, int month, const QVariant& value) {
    replaceRow(QStringLiteral("rmonth"), monthRowDate(year, month), value);
}

void DatabaseAggregateSink::writeYearly(int year, const QVariant& value) {
    // A year without a value (a mean over no days) keeps the row it has.
    if (!value.isValid())
        return;
    replaceRow(QStringLiteral("ryear"), yearRowDate(year), value);
}

void DatabaseAggregateSink::replaceRow(const QString& table, const QString& date,
                                       const QVariant& value) {
    if (!m_db)
        return;
    const auto when = parseJetDateTime(date);
    if (!when)
        throw Error(QStringLiteral("%1 is not a date a row can be written for.").arg(date));
    const double number = aggregateNumber(value);
    static const QStringList columns{QStringLiteral("datatype_site_id"),
                                     QStringLiteral("date_time"), QStringLiteral("value"),
                                     QStringLiteral("source")};

    const QString failure =
        QStringLiteral("Writing the %1 row of %2 for %3 failed").arg(table, date).arg(m_parameter);
    inTransaction(*m_db, failure, [&] {
        m_db->execute(aggregateDeleteStatement(table, m_parameter, date));
        m_db->insertRow(table, columns, {m_parameter, *when, number, aggregateSource});
    });
}

} // namespace rp
