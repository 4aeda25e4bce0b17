#include "core/series/SeriesSlots.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/hdb/Retrieval.h"
#include "core/series/SeriesDateField.h"

#include <algorithm>

namespace rp {

namespace {

bool byYear(TimeStep step) {
    return step == TimeStep::Year || step == TimeStep::Month;
}

qint64 yearOfBox(const QString& text) {
    const double year = leadingNumber(QStringView(text).right(4));
    if (year < 1 || year > 9999)
        throw Error(QStringLiteral("The date box holds no year at its end: \"%1\".").arg(text));
    return static_cast<qint64>(year);
}

qint64 dayOfBox(const QString& text) {
    const auto date = parseJetDateTime(text.trimmed());
    if (!date)
        throw Error(QStringLiteral("The date box does not hold a date: \"%1\".").arg(text));
    return date->date().toJulianDay();
}

QString dateText(const QDateTime& when) {
    return jetDateText(when.date());
}

} // namespace

SeriesSlots::SeriesSlots(TimeStep step, const QString& startText, const QString& endText)
    : m_step(step) {
    if (byYear(step)) {
        m_startRow = yearOfBox(startText);
        m_endRow = yearOfBox(endText);
    } else {
        m_startRow = dayOfBox(startText);
        m_endRow = dayOfBox(endText);
    }
    switch (step) {
    case TimeStep::Year:
        m_firstSlot = m_lastSlot = 1;
        m_haveFirst = true;
        m_firstRow = m_startRow;
        break;
    case TimeStep::Month:
        m_firstSlot = 1;
        m_lastSlot = 12;
        break;
    case TimeStep::Hour:
        m_firstSlot = 0;
        m_lastSlot = 23;
        m_endRow += 1;
        break;
    default:
        m_firstSlot = m_lastSlot = 0;
        break;
    }
}

void SeriesSlots::rowAndSlot(const QDateTime& when, qint64& row, int& slot) const {
    switch (m_step) {
    case TimeStep::Year:
        row = when.date().year();
        slot = 1;
        break;
    case TimeStep::Month:
        row = when.date().year();
        slot = when.date().month();
        break;
    case TimeStep::Hour:
        row = when.date().toJulianDay();
        slot = when.time().hour();
        break;
    default:
        row = when.date().toJulianDay();
        slot = 0;
        break;
    }
}

void SeriesSlots::store(const QDateTime& when, const QString& value) {
    qint64 row = 0;
    int slot = 0;
    rowAndSlot(when, row, slot);
    if (row < m_startRow || row > m_endRow) {
        const QString span =
            byYear(m_step) ? QStringLiteral("the years %1 to %2").arg(m_startRow).arg(m_endRow)
                           : QStringLiteral("the dates %1 to %2")
                                 .arg(jetDateText(QDate::fromJulianDay(m_startRow)),
                                      jetDateText(QDate::fromJulianDay(m_endRow)));
        throw Error(QStringLiteral("The record of %1 lies outside %2 of the date boxes.")
                        .arg(dateText(when), span));
    }
    if (!m_haveFirst) {
        m_haveFirst = true;
        m_firstRow = row;
    }
    m_entries.push_back({row, slot, value});
}

void SeriesSlots::write(const QDateTime& last, const LineWriter& line) const {
    if (!m_haveFirst)
        return;
    qint64 lastRow = m_endRow;
    // Days and hours stop at the last record's date and time; years and months run to the end.
    if (!byYear(m_step))
        lastRow = std::min(lastRow, last.date().toJulianDay());
    if (lastRow < m_firstRow)
        return;
    const int slotsPerRow = m_lastSlot - m_firstSlot + 1;
    std::vector<QString> table(static_cast<size_t>((lastRow - m_firstRow + 1) * slotsPerRow));
    for (const Entry& entry : m_entries)
        if (entry.row >= m_firstRow && entry.row <= lastRow)
            table[static_cast<size_t>((entry.row - m_firstRow) * slotsPerRow + entry.slot -
                                      m_firstSlot)] = entry.value;

    QByteArray field;
    const QDate lastDay = last.date();
    const int lastHour = last.time().hour();
    size_t index = 0;
    for (qint64 row = m_firstRow; row <= lastRow; ++row) {
        for (int slot = m_firstSlot; slot <= m_lastSlot; ++slot, ++index) {
            field.clear();
            switch (m_step) {
            case TimeStep::Year:
                appendDayField(field, QDate(static_cast<int>(row), 1, 1));
                break;
            case TimeStep::Month:
                appendDayField(field, QDate(static_cast<int>(row), slot, 1));
                break;
            case TimeStep::Hour: {
                const QDate day = QDate::fromJulianDay(row);
                if (day == lastDay && slot > lastHour)
                    return;
                appendHourField(field, day, slot);
                break;
            }
            default:
                appendDayField(field, QDate::fromJulianDay(row));
                break;
            }
            line(field, table[index]);
        }
    }
}

} // namespace rp
