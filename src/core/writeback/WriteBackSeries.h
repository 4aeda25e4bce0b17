#pragma once

#include <QDate>
#include <QString>

class QIODevice;

namespace rp {

// What the write-back needs to know of the series a daily table reads: whose it is and which days
// it spans.
struct WriteBackSeries {
    qint64 key = 0; // the datatype_site_id of header line 1
    QDate first;    // the first and last data line
    QDate last;

    // Whether the series reaches from the first to the last day of the month or year.
    bool coversMonth(int year, int month) const;
    bool coversYear(int year) const;
};

// Reads a whole series file from its current position and puts the position back. Throws
// rp::Error when its aggregates cannot be trusted: header line 1 names no key, a date does not
// read or is not later than the one before, a value is not a finite number, the file ends inside
// a line (cut short) or holds no data line.
WriteBackSeries checkWriteBackSeries(QIODevice& series);

} // namespace rp
