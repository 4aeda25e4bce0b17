#include "core/reports/SeriesReader.h"

#include "core/base/Error.h"
#include "core/reports/NumberFormat.h"

#include <QDate>
#include <QIODevice>

namespace rp {

namespace {

// A number of exactly `text.size()` digits, optionally with leading blanks; -1 otherwise.
int digitsValue(QStringView text) {
    const QStringView t = text.trimmed();
    if (t.isEmpty() || text.endsWith(u' '))
        return -1;
    int v = 0;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c.unicode() - u'0');
    }
    return v;
}

} // namespace

int seriesMonth(QStringView text) {
    static const char* const names[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    if (text.size() != 3)
        return 0;
    for (int m = 0; m < 12; ++m)
        if (text.compare(QLatin1StringView(names[m]), Qt::CaseInsensitive) == 0)
            return m + 1;
    return 0;
}

SeriesReader::SeriesReader(QIODevice& in) : m_in(in) {}

bool SeriesReader::readLine(QString& line) {
    // Reuses the buffers of `line` and m_bytes: a long series is read without an allocation per
    // line.
    m_bytes.resize(0);
    for (;;) {
        char chunk[4096];
        const qint64 n = m_in.readLine(chunk, sizeof chunk);
        if (n <= 0)
            break;
        m_bytes.append(chunk, n);
        if (chunk[n - 1] == '\n')
            break;
    }
    if (m_bytes.isEmpty())
        return false;
    ++m_lineNumber;
    qsizetype size = m_bytes.size();
    if (size > 0 && m_bytes[size - 1] == '\n')
        --size;
    if (size > 0 && m_bytes[size - 1] == '\r')
        --size;
    line.resize(size);
    QChar* out = line.data();
    for (qsizetype i = 0; i < size; ++i)
        out[i] = QChar(uchar(m_bytes[i]));
    return true;
}

bool SeriesReader::readDataLine(QString& line) {
    while (readLine(line))
        if (!line.trimmed().isEmpty())
            return true;
    return false;
}

void SeriesReader::fail(const QString& what) const {
    throw Error(QStringLiteral("Line %1 of the series file: %2").arg(m_lineNumber).arg(what));
}

double SeriesReader::number(QStringView text) const {
    try {
        return leadingNumber(text);
    } catch (const Error& e) {
        fail(e.message());
    }
}

SeriesDate SeriesReader::date(QStringView line, bool checkDay) const {
    if (line.size() < 11)
        fail(QStringLiteral("the line is too short for a date \"DD MMM YYYY\"."));
    SeriesDate d;
    d.year = digitsValue(line.sliced(7, 4));
    if (d.year < 0)
        fail(QStringLiteral("\"%1\" is not a year.").arg(line.sliced(7, 4).toString()));
    d.month = seriesMonth(line.sliced(3, 3));
    if (d.month == 0)
        fail(QStringLiteral("\"%1\" is not a month (JAN to DEC).")
                 .arg(line.sliced(3, 3).toString()));
    d.day = digitsValue(line.first(2));
    if (checkDay && (d.day < 1 || !QDate(d.year, d.month, d.day).isValid()))
        fail(QStringLiteral("\"%1\" is not a date.").arg(line.first(11).toString()));
    return d;
}

SeriesDate SeriesReader::dateAndHour(QStringView line) const {
    SeriesDate d = date(line);
    if (line.size() < 14)
        fail(QStringLiteral("the line is too short for an hour \"DD MMM YYYY HH:00\"."));
    d.hour = digitsValue(line.sliced(12, 2));
    if (d.hour < 0 || d.hour > 23)
        fail(
            QStringLiteral("\"%1\" is not an hour (00 to 23).").arg(line.sliced(12, 2).toString()));
    return d;
}

} // namespace rp
