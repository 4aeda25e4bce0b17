#include "core/reports/MonthlyTable.h"

#include "core/reports/NumberFormat.h"
#include "core/reports/ReportText.h"
#include "core/reports/SeriesReader.h"

namespace rp {

namespace {
constexpr int rowsPerPage = 49;
}

MonthlyTable::MonthlyTable(QIODevice& out, const QString& header1, const QString& header2,
                           const ReportOptions& options)
    : m_w(out), m_header1(header1), m_header2(header2), m_options(options) {
    const bool flowOrVolume = header2.contains(u"ACRE") || header2.contains(u"CFS");
    m_totalWanted = flowOrVolume && !header2.contains(u"STORAGE");
}

void MonthlyTable::run(SeriesReader& in) {
    QString line;
    bool first = true;
    while (in.readDataLine(line)) {
        const SeriesDate d = in.date(line, false);
        if (first)
            m_year = d.year;
        first = false;
        if (m_lineCount % (rowsPerPage + 1) == 0)
            printHeader();
        if (d.year != m_year) {
            printRow();
            m_year = d.year;
        }
        const QString value = line.mid(12).trimmed();
        Cell& cell = m_cells[d.month];
        cell.text = value.isEmpty() ? emptyCell : rightAligned(value);
        cell.value = in.number(value);
    }
    if (!first)
        printRow();
    m_w.flush();
}

void MonthlyTable::printHeader() {
    if (m_lineCount != 0) {
        m_w.formFeed();
        m_w.endLine();
    }
    if (m_options.excel)
        m_w << emptyFields(7) << u"\"";
    m_w << m_header1;
    if (m_options.excel)
        m_w << u"\"";
    m_w << m_header2;
    m_w.endLine();
    m_w << u"YEAR ";
    for (int m = 1; m <= 12; ++m)
        m_w << u"      " << monthName(m);
    if (m_totalWanted)
        m_w << u"    TOTAL";
    m_w.endLine();
    ++m_lineCount;
}

void MonthlyTable::printRow() {
    m_w << fm(m_year, u"#### ");
    double total = 0;
    for (int m = 1; m <= 12; ++m) {
        const Cell& cell = m_cells[m];
        m_w << (cell.text.isEmpty() ? emptyCell : cell.text);
        total += cell.value;
    }
    if (m_totalWanted)
        m_w << fm(total, u" #######0");
    m_w.endLine();
    ++m_lineCount;
    m_cells.fill(Cell{});
}

void monthlytable(SeriesReader& in, QIODevice& out, const QString& header1, const QString& header2,
                  const ReportOptions& options) {
    MonthlyTable(out, header1, header2, options).run(in);
}

} // namespace rp
