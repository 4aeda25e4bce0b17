#include "core/reports/HourlyTable.h"

#include "core/reports/NumberFormat.h"
#include "core/reports/ReportKind.h"
#include "core/reports/ReportText.h"
#include "core/reports/SeriesReader.h"

#include <cmath>

namespace rp {

namespace {

// A number as the runtime prints it into a text file: a blank (or the sign) before, a blank after.
QString printedNumber(int v) {
    return (v < 0 ? QString() : QStringLiteral(" ")) + QString::number(v) + u' ';
}

} // namespace

HourlyTable::HourlyTable(QIODevice& out, const QString& header1, const QString& header2,
                         const ReportOptions& options)
    : m_w(out), m_header1(header1), m_header2(header2), m_options(options) {
    const auto has = [&](const char16_t* word) { return header2.contains(QStringView(word)); };
    m_totalKind = has(u"ET,") || has(u"RAINFALL") || has(u"STORAGE") || has(u"CFS");
    const ParameterKind parameter = ParameterKind::of(header2);
    m_twoDecimals = parameter.twoDecimals;
    m_waterTemp = parameter.waterTemp;
    m_direction = parameter.direction;
}

void HourlyTable::run(SeriesReader& in) {
    QString line;
    bool first = true;
    while (in.readDataLine(line)) {
        const SeriesDate d = in.dateAndHour(line);
        // The series starts at 00:00 of its first day; that value closes the day before, which
        // the table does not show.
        if (first && d.hour == 0) {
            first = false;
            continue;
        }
        first = false;
        const QDate date(d.year, d.month, d.day);
        const QDate day = d.hour == 0 ? date.addDays(-1) : date;
        const int hour = d.hour == 0 ? 24 : d.hour;
        if (m_day.isValid() && day != m_day)
            printBlock();
        m_day = day;

        const QString value = line.mid(17).trimmed();
        Cell& cell = m_cells[hour];
        cell.text = value.isEmpty() ? emptyCell : rightAligned(value);
        cell.value = in.number(value);
        if (m_direction && isDataCell(cell.text) && !(cell.value >= 0 && cell.value <= 4))
            in.fail(QStringLiteral("the wind direction %1 is outside 0 to 4.").arg(value));
    }
    if (m_day.isValid())
        printBlock();
    if (m_direction) {
        m_w << u"Note: Daily mean wind computed here as unit vectors with out windspeed and";
        m_w.endLine();
        m_w << u"may not agree with daily wind direction values in database.";
        m_w.endLine();
    }
    m_w.flush();
}

void HourlyTable::printBlock() {
    const bool excel = m_options.excel;
    if (excel)
        m_w << emptyFields(7) << u"\"";
    m_w << m_header1 << u", " << m_header2;
    if (excel)
        m_w << u"\"";
    m_w.endLine();
    if (excel)
        m_w << emptyFields(1) << u"\"";
    m_w << u"DATE:" << printedNumber(m_day.month()) << u"/" << printedNumber(m_day.day()) << u"/"
        << printedNumber(m_day.year());
    if (excel)
        m_w << u"\"";
    m_w.endLine();

    m_directions.clear();
    for (int h = 1; h <= 24; ++h)
        if (isDataCell(m_cells[h].text))
            m_stats.add(1, m_cells[h].value);

    m_w << QStringLiteral("  HOUR    VALUE").repeated(4);
    m_w.endLine();
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 4; ++c) {
            const int h = r + 6 * c + 1;
            const Cell& cell = m_cells[h];
            m_w << fm(h, u"    #0");
            if (!isDataCell(cell.text)) {
                m_w << emptyCell;
            } else if (m_direction) {
                m_directions.add(1, cell.value);
                m_w << rightAligned(compassLabel(cell.value));
            } else {
                m_w << cell.text;
            }
        }
        m_w.endLine();
    }
    m_w.endLine();
    printStatistics();
    m_w.endLine();
    m_w.endLine();

    ++m_dayCounter;
    if (m_dayCounter % 5 == 0)
        m_w.formFeed();
    m_cells.fill(Cell{});
    m_stats.clear();
}

QString HourlyTable::pattern(double value) const {
    if (m_twoDecimals)
        return QStringLiteral(" 0.00  ");
    if (m_waterTemp)
        return QStringLiteral(" 0.0  ");
    const double magnitude = std::fabs(value);
    if (magnitude < 0.1)
        return QStringLiteral(" 0.000  ");
    if (magnitude < 1)
        return QStringLiteral(" 0.00  ");
    if (magnitude < 10)
        return QStringLiteral(" 0.0  ");
    if (magnitude < 1000)
        return QStringLiteral(" 0  ");
    return QStringLiteral(" 00  ");
}

void HourlyTable::printStatistics() {
    const double min = m_stats.minimum(1);
    const double max = m_stats.maximum(1);
    m_w << u"MINIMUM" << formatNumber(min, pattern(min));
    m_w << u"MAXIMUM" << formatNumber(max, pattern(max));
    m_w << u"MEAN";
    if (m_direction) {
        const double mean = m_directions.vectorMean(1);
        m_w << formatNumber(mean, u" 0.00 ") << compassLabel(mean);
        m_lastModeIndex = modeIndex(m_directions.counts(1), m_lastModeIndex);
        const double mode = m_lastModeIndex / 4.0;
        m_w << u"  MODE " << formatNumber(mode, u"0.00 ") << compassLabel(mode);
        return;
    }
    const double mean = m_stats.mean(1);
    m_w << formatNumber(mean, pattern(mean));
    if (m_totalKind) {
        const double sum = m_stats.sum(1);
        m_w << u"TOTAL" << formatNumber(sum, pattern(sum));
    }
}

void hourlytable(SeriesReader& in, QIODevice& out, const QString& header1, const QString& header2,
                 const ReportOptions& options) {
    HourlyTable(out, header1, header2, options).run(in);
}

} // namespace rp
