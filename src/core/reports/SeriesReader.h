#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

class QIODevice;

namespace rp {

// The date of a data line of a series file: "05 MAR 1999 " (and "07:00 " for hours).
struct SeriesDate {
    int day = 0;
    int month = 0;
    int year = 0;
    int hour = 0;
};

// Reads a series file line by line (8-bit text, CR LF or LF line ends) and parses the date field
// of its data lines. Every failure names the line.
class SeriesReader {
public:
    explicit SeriesReader(QIODevice& in);

    // The next line without its line end; false at the end of the input.
    bool readLine(QString& line);
    // The next line that is not blank; false at the end of the input.
    bool readDataLine(QString& line);
    int lineNumber() const { return m_lineNumber; }

    // Day (1..31 and a real date when `checkDay`), month (JAN..DEC) and year of the line;
    // throws rp::Error naming the line when they do not parse.
    SeriesDate date(QStringView line, bool checkDay = true) const;
    // As date(), and the hour (0..23) in characters 13-14.
    SeriesDate dateAndHour(QStringView line) const;

    // The leading number of a value text; an overflow names the line.
    double number(QStringView text) const;

    [[noreturn]] void fail(const QString& what) const;

private:
    QIODevice& m_in;
    QByteArray m_bytes;
    int m_lineNumber = 0;
};

// 1..12 for the month abbreviation (JAN..DEC, any case), 0 otherwise.
int seriesMonth(QStringView text);

} // namespace rp
