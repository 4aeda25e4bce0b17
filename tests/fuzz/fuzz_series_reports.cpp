// A series file handed to the table reports (daily, hourly and monthly tables by the time-step
// code in line 1): every input either gives a report or throws rp::Error.
#include "FuzzCheck.h"
#include "core/base/Error.h"
#include "core/reports/SeriesReader.h"
#include "core/reports/TableReport.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes = rp::fuzz::bytes(data, size);
    // The first byte picks the report options so that their branches are reached too.
    const uint8_t flags = size > 0 ? data[0] : 0;
    for (const bool water : {false, true}) {
        QBuffer series(&bytes);
        series.open(QIODevice::ReadOnly);
        QByteArray out;
        QBuffer report(&out);
        report.open(QIODevice::WriteOnly);
        rp::ReportOptions options;
        options.excel = flags & 1;
        options.stationId = QString::number((flags >> 1) % 5);
        options.waterYear = water;
        options.today = QDate(2024, 2, 29);
        try {
            rp::writeTableReport(series, report, options);
        } catch (const rp::Error&) {
        }
    }
    // The reader on its own, line by line, with the date parsers.
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    rp::SeriesReader reader(in);
    QString line;
    try {
        while (reader.readDataLine(line)) {
            try {
                reader.date(line);
            } catch (const rp::Error&) {
            }
            try {
                reader.dateAndHour(line);
            } catch (const rp::Error&) {
            }
            try {
                reader.number(QStringView(line).mid(12));
            } catch (const rp::Error&) {
            }
        }
    } catch (const rp::Error&) {
    }
    return 0;
}
