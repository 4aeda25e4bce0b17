#include "core/series/SeriesFile.h"

#include "core/base/CivilDays.h"
#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/base/SaveFile.h"
#include "core/db/RecordColumn.h"
#include "core/db/RecordSet.h"
#include "core/series/HandOff.h"
#include "core/series/SeriesDateField.h"
#include "core/series/SeriesSlots.h"

#include <QIODevice>

namespace rp {

namespace {

constexpr int dateField = 1;
constexpr int valueField = 2;
constexpr qsizetype chunk = 1 << 20;

QDateTime recordDate(const RecordSet& records, qsizetype row) {
    const QVariant value = records.value(row, dateField);
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QString)
        if (const auto parsed = parseJetDateTime(value.toString()))
            return *parsed;
    throw Error(QStringLiteral("Record %1 has no date in %2 that can be read (\"%3\").")
                    .arg(row + 1)
                    .arg(records.fieldName(dateField), records.displayText(row, dateField)));
}

// Buffers the output and hands it to the device in large pieces.
class LineSink {
public:
    explicit LineSink(QIODevice& out) : m_out(out) { m_buffer.reserve(chunk + 256); }
    ~LineSink() = default;
    QByteArray& buffer() { return m_buffer; }
    void line(const QString& text) {
        m_buffer += text.toLatin1();
        endLine();
    }
    void endLine() {
        m_buffer += "\r\n";
        if (m_buffer.size() >= chunk)
            flush();
    }
    void flush() {
        if (!m_buffer.isEmpty() && m_out.write(m_buffer) != m_buffer.size())
            throw Error(
                QStringLiteral("The series file cannot be written: %1").arg(m_out.errorString()));
        m_buffer.clear();
    }

private:
    QIODevice& m_out;
    QByteArray m_buffer;
};

bool isUnitStep(TimeStep step) {
    return step == TimeStep::Unit || step == TimeStep::UnitShift;
}

// A record's date as naive milliseconds: read straight from a date cell, parsed from a text one.
qint64 recordMSecs(const RecordSet& records, qsizetype row) {
    if (const auto msecs = records.dateTimeMSecs(row, dateField))
        return *msecs;
    return msecsFromDateTime(recordDate(records, row));
}

// The whole day (counted from 1970-01-01) the first record's date and time rounds to, half-way
// to the even day number (day numbers counted from 30 Dec 1899).
qint64 nearestDay(qint64 msecs) {
    const qint64 day = floorDays(msecs);
    const qint64 ms = msecs - day * msecsPerDay;
    constexpr qint64 noon = msecsPerDay / 2;
    if (ms < noon)
        return day;
    if (ms > noon)
        return day + 1;
    constexpr qint64 daysFrom1899 = -daysFromCivil(1899, 12, 30);
    return (day + daysFrom1899) % 2 == 0 ? day : day + 1;
}

int writeUnitLines(const RecordSet& records, LineSink& sink, ProgressSteps& steps) {
    const qsizetype count = records.recordCount();
    qint64 firstDay = 0;
    int perDay = 0;
    for (qsizetype row = 0; row < count; ++row) {
        steps.step();
        const qint64 when = recordMSecs(records, row);
        if (row == 0)
            firstDay = nearestDay(when);
        if (floorDays(when) == firstDay) {
            if (perDay == 32767)
                throw Error(QStringLiteral("More than 32767 unit values fall on the first day."));
            ++perDay;
        }
        appendUnitDateField(sink.buffer(), when);
        records.appendDisplayText(sink.buffer(), row, valueField);
        sink.endLine();
    }
    return perDay;
}

void writeGapFilled(const RecordSet& records, const SeriesRequest& request, LineSink& sink,
                    ProgressSteps& steps) {
    SeriesSlots table(request.step, request.startText, request.endText);
    const qsizetype count = records.recordCount();
    QDateTime last;
    for (qsizetype row = 0; row < count; ++row) {
        steps.step();
        last = recordDate(records, row);
        table.store(last, records.displayText(row, valueField));
    }
    table.write(last, [&](const QByteArray& dateField, const QString& value) {
        sink.buffer() += dateField;
        sink.buffer() += value.toLatin1();
        sink.endLine();
    });
}

} // namespace

int writeSeriesFile(const RecordSet& records, const SeriesRequest& request, QIODevice& out,
                    const Progress& progress) {
    const SeriesHeader header = seriesHeader(request.step, request.description);
    if (records.fieldCount() <= valueField)
        throw Error(QStringLiteral("The grid holds no series (no date_time and value columns)."));
    LineSink sink(out);
    sink.line(header.line1);
    sink.line(header.line2);
    if (records.isEmpty()) {
        sink.flush();
        throw Error(QStringLiteral("There are no records to write: the series is empty."));
    }
    int perDay = 0;
    ProgressSteps steps(progress, records.recordCount(),
                        QStringLiteral("The hand-off was cancelled; the series file was not "
                                       "replaced."));
    try {
        if (isUnitStep(request.step))
            perDay = writeUnitLines(records, sink, steps);
        else
            writeGapFilled(records, request, sink, steps);
    } catch (const Error&) {
        sink.flush();
        throw;
    }
    sink.flush();
    return perDay;
}

int writeSeriesFile(const RecordSet& records, const SeriesRequest& request, const QString& path,
                    const Progress& progress) {
    // Written beside the old file and renamed over it, so nobody reads half a file and a failure
    // leaves the old one. Not forced to disk first: the file is made again at every hand-off, and
    // waiting for the disk took longer than writing it.
    SaveFile file(path, SaveFile::Sync::Skip);
    const int perDay = writeSeriesFile(records, request, file.device(), progress);
    file.commit();
    return perDay;
}

} // namespace rp
