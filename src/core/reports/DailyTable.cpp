#include "core/reports/DailyTable.h"

#include "core/reports/AggregateSink.h"
#include "core/reports/NumberFormat.h"
#include "core/reports/ReportKind.h"
#include "core/reports/ReportText.h"
#include "core/reports/SeriesReader.h"

#include <cmath>

namespace rp {

namespace {

constexpr double acreFeetPerCfsDay = 1.9835;
constexpr int yearColumn = 13;

// Column where a title of `length` characters starts so it is centred about column 62.
int titleColumn(qsizetype length) {
    return int(std::lrint(62 - double(length) / 2));
}

// A number as the runtime's plain conversion writes it: a leading blank unless negative.
QString plainNumber(double v) {
    return (v < 0 ? QString() : QStringLiteral(" ")) + QString::number(v, 'g', 15);
}

} // namespace

DailyTable::DailyTable(QIODevice& out, const QString& header1, const QString& header2,
                       const ReportOptions& options)
    : m_w(out), m_header1(header1), m_header2(header2), m_options(options) {
    const auto has = [&](const char16_t* word) { return header2.contains(QStringView(word)); };
    const ParameterKind parameter = ParameterKind::of(header2);
    m_kind.flow = parameter.flow;
    m_kind.totalKind = has(u" ET") || has(u"RAINFALL") || has(u"STORAGE") || has(u"CFS");
    m_kind.twoDecimals = parameter.twoDecimals;
    m_kind.waterTemp = parameter.waterTemp;
    m_kind.inches = has(u"INCHES");
    m_kind.etOrRain = has(u" ET") || has(u"RAINFALL");
    m_kind.direction = parameter.direction;
    m_kind.cumulative = has(u"TOTAL") || has(u"YTD");
    m_factor = m_kind.flow ? acreFeetPerCfsDay : 1.0;
}

int DailyTable::columnOfMonth(int month) const {
    return m_options.waterYear ? (month + 2) % 12 + 1 : month;
}

int DailyTable::monthOfColumn(int column) const {
    return m_options.waterYear ? (column + 8) % 12 + 1 : column;
}

// The calendar year of a column: October to December of a water year lie in the year before.
int DailyTable::calendarYear(int column) const {
    return m_options.waterYear && monthOfColumn(column) >= 10 ? m_year - 1 : m_year;
}

void DailyTable::run(SeriesReader& in) {
    QString line;
    bool open = false;
    while (in.readDataLine(line)) {
        const SeriesDate d = in.date(line);
        const int pageYear = m_options.waterYear && d.month >= 10 ? d.year + 1 : d.year;
        if (open && pageYear != m_year)
            printPage();
        if (!open || pageYear != m_year)
            startPage(pageYear);
        open = true;

        // The value occupies the rest of the line; the cell shows its first nine characters.
        const QString value = line.mid(12).trimmed();
        Cell& cell = m_cells[columnOfMonth(d.month)][d.day];
        cell.stored = true;
        cell.text = value.isEmpty() ? emptyCell : rightAligned(value);
        cell.value = in.number(value);
        if (m_kind.direction && isDataCell(cell.text) && !(cell.value >= 0 && cell.value <= 4))
            in.fail(QStringLiteral("the wind direction %1 is outside 0 to 4.").arg(value));
    }
    if (open)
        printPage();
    m_w.flush();
}

void DailyTable::startPage(int pageYear) {
    m_year = pageYear;
    for (auto& column : m_cells)
        for (Cell& c : column)
            c = Cell{};
    m_stats.clear();
    m_directions.clear();
    m_hasData.fill(false);
    m_dayCount = 0;
    m_annual = 0;
    m_annualFormat = QStringLiteral("#0");
}

void DailyTable::printPage() {
    printTitle();
    printDayRows();
    m_w.endLine();
    printStatisticsRows();
    const QVariant yearly = printAnnualLines();
    if (m_kind.direction) {
        m_w.endLine();
        m_w << u"Note: Wind direction values 0 and 4 =North, 1=East, 2=South, 3=West, 0.25=NNE, "
               u"0.5=NE, 0.75=ENE etc.";
        m_w.endLine();
        if (stationPrefix(m_options.stationId) != u"CDEC-") {
            m_w << u"Daily wind directions were computed from vectors of unit values (5, 10, or "
                   u"15 minute) direction and wind speed.";
            m_w.endLine();
        }
        m_w << u"Monthly Mean and Annual Mean wind direction is computed from the daily values "
               u"as unit vectors (no wind speed).";
        m_w.endLine();
    }
    // A water year is not a row of the yearly table, so only calendar years are handed on.
    if (!m_options.waterYear && m_options.sink && m_options.sink->wantsYearly())
        m_options.sink->writeYearly(m_year, yearly);
    m_w.formFeed();
    m_w.endLine();
}

void DailyTable::printTitle() {
    const bool excel = m_options.excel;
    m_w.endLine();
    if (excel)
        m_w << emptyFields(1) << u"\"";
    m_w << stationPrefix(m_options.stationId) << m_options.stationId << u" "
        << m_options.today.toString(QStringLiteral("MM-dd-yyyy"));
    if (excel)
        m_w << u"\"";
    m_w.endLine();
    m_w.endLine();

    if (excel)
        m_w << emptyFields(7) << u"\"";
    m_w.tab(titleColumn(m_header1.size()));
    m_w << m_header1;
    if (excel)
        m_w << u"\"";
    m_w.tab(titleColumn(m_header2.size()));
    m_w << m_header2;
    if (excel)
        m_w << u"\"";
    m_w.endLine();
    m_w.endLine();

    if (excel)
        m_w << emptyFields(2) << u"\"";
    // The water-year title is centred like the calendar-year one.
    m_w.tab(m_options.waterYear ? 56 : 53);
    m_w << (m_options.waterYear ? u"WATER YEAR " : u"CALENDAR YEAR ") << fm(m_year, u"####");
    if (excel)
        m_w << u"\"";
    m_w.endLine();
    m_w.endLine();

    m_w << (excel ? u"DAY" : u"    DAY");
    for (int c = 1; c <= 12; ++c)
        m_w << u"      " << monthName(monthOfColumn(c));
    m_w.endLine();
}

void DailyTable::printDayRows() {
    for (int day = 1; day <= 31; ++day) {
        m_w << (m_options.excel ? QString::number(day) : fm(day, u"     ##"));
        for (int c = 1; c <= 12; ++c) {
            const Cell& cell = m_cells[c][day];
            if (!cell.stored || !isDataCell(cell.text)) {
                m_w << emptyCell;
                continue;
            }
            ++m_dayCount;
            m_hasData[c] = true;
            m_stats.add(c, cell.value);
            if (m_kind.direction) {
                m_directions.add(c, cell.value);
                m_directions.add(yearColumn, cell.value);
                m_w << rightAligned(compassLabel(cell.value));
            } else {
                m_w << cell.text;
            }
        }
        m_w.endLine();
    }
}

QString DailyTable::cellPattern(double value) const {
    if (m_kind.twoDecimals)
        return QStringLiteral("#####0.00");
    if (m_kind.waterTemp)
        return QStringLiteral("######0.0");
    const double magnitude = std::fabs(value);
    if (magnitude < 0.95)
        return QStringLiteral("#####0.00");
    if (magnitude < 9.5)
        return QStringLiteral("######0.0");
    return QStringLiteral("########0");
}

void DailyTable::writeMonthly(int column, const QVariant& value) {
    if (m_hasData[column] && m_options.sink && m_options.sink->wantsMonthly())
        m_options.sink->writeMonthly(calendarYear(column), monthOfColumn(column), value);
}

void DailyTable::printStatisticsRows() {
    static const char16_t* const labels[] = {u"", u"MINIMUM", u"MAXIMUM", u"MEAN   "};
    for (int c = 1; c <= 12; ++c)
        m_annual += m_stats.sum(c) * m_factor;

    for (int row = 1; row <= 4; ++row) {
        if (row == 4 && !m_kind.totalKind && !m_kind.direction) {
            m_w.endLine();
            continue;
        }
        if (row < 4)
            m_w << labels[row];
        else if (m_kind.direction)
            m_w << u"MODE   ";
        else
            m_w << (m_kind.flow ? u"ACRE-FT" : u"TOTAL  ");
        for (int c = 1; c <= 12; ++c) {
            double value = 0;
            switch (row) {
            case 1:
                value = m_stats.minimum(c);
                break;
            case 2:
                value = m_stats.maximum(c);
                break;
            case 3:
                value = m_stats.mean(c);
                break;
            default:
                value = m_stats.sum(c) * m_factor;
            }
            const QString pattern = cellPattern(value);
            if (m_kind.direction && row >= 3) {
                QString label;
                double direction = 0;
                if (row == 3) {
                    direction = m_directions.vectorMean(c);
                } else {
                    m_lastModeIndex = modeIndex(m_directions.counts(c), m_lastModeIndex);
                    direction = m_lastModeIndex / 4.0;
                }
                label = m_directions.isNull(c) ? QStringLiteral("0.00") : compassLabel(direction);
                m_w << rightAligned(label);
                if (row == 3)
                    writeMonthly(c, direction);
            } else {
                const QString cell = fm(value, pattern);
                m_w << cell;
                if (!m_kind.direction) {
                    if (row == 4 && m_kind.totalKind)
                        writeMonthly(c, cell);
                    else if (row == 3 && !m_kind.totalKind)
                        writeMonthly(c, m_kind.cumulative
                                            ? QVariant(plainNumber(m_stats.maximum(c)))
                                            : QVariant(cell));
                }
            }
            if (row == 3 && value != 0)
                m_annualFormat = pattern;
        }
        m_w.endLine();
    }
}

QVariant DailyTable::printAnnualLines() {
    if (m_options.excel)
        m_w << emptyFields(2) << u"\"";
    QVariant yearly;
    if (m_kind.flow) {
        m_w << u"ANNUAL ACRE-FEET " << formatNumber(m_annual, u"###,###,##0");
        yearly = m_annual;
    } else if (m_kind.inches && m_kind.etOrRain) {
        m_w << u"ANNUAL TOTAL " << formatNumber(m_annual, m_annualFormat);
        yearly = m_annual;
    } else if (m_kind.inches) {
        double largest = 0;
        for (int c = 1; c <= 12; ++c)
            if (m_stats.maximum(c) > largest)
                largest = m_stats.maximum(c);
        m_w << u"ANNUAL MAXIMUM " << formatNumber(largest, m_annualFormat);
        yearly = largest;
    } else if (m_kind.direction) {
        const double mean = m_directions.vectorMean(yearColumn);
        m_w << u"ANNUAL MEAN " << formatNumber(mean, m_annualFormat) << u" " << compassLabel(mean);
        m_w.endLine();
        m_lastModeIndex = modeIndex(m_directions.counts(yearColumn), m_lastModeIndex);
        const double mode = m_lastModeIndex / 4.0;
        m_w << u"ANNUAL MODE " << formatNumber(mode, m_annualFormat) << u" " << compassLabel(mode);
        yearly = mean;
    } else if (m_dayCount > 0) {
        const QString mean = formatNumber(m_annual / m_dayCount, m_annualFormat);
        m_w << u"ANNUAL MEAN " << mean;
        yearly = leadingNumber(mean);
    } else {
        // No day to average: say so rather than divide by zero.
        m_w << u"ANNUAL MEAN ---";
    }
    if (m_options.excel)
        m_w << u"\"";
    m_w.endLine();

    return yearly;
}

void dailytable(SeriesReader& in, QIODevice& out, const QString& header1, const QString& header2,
                const ReportOptions& options) {
    DailyTable(out, header1, header2, options).run(in);
}

} // namespace rp
