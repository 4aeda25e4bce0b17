#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

class QIODevice;

namespace rp {

// What a written chart still needs that the workbook writer cannot say.
struct ChartFinish {
    QString dateAxisUnit;   // "days", "months" or "years": a time-scale date axis; empty keeps
                            // the category axis
    QString gradientColour; // RRGGBB: the plot area fades from white at the top to this colour
    // Labels and gridlines of the date axis every so many days, months or years; none when 0.
    int majorUnit = 0;
    QString majorTimeUnit;
};

// The label step of a date axis over `spanDays` days of values in `baseUnit` ("days", "months",
// "years"): about a dozen labels, counted in days, months or years.
void chooseDateAxisStep(ChartFinish& finish, double spanDays);

// Finishes one chart part (xl/charts/chartN.xml): the date axis, the plot-area gradient in place
// of its solid fill, and Arial 9 for every text of the chart. Throws rp::Error when the part is
// not laid out as the writer lays it out.
QByteArray finishChartXml(const QByteArray& xml, const ChartFinish& finish);

// Copies the workbook at `from` into `to` (open for writing), chart parts finished: chartN.xml
// by finishes[N - 1]. Other parts are copied as they are, without compressing them again.
// Throws rp::Error.
void copyWorkbookFinishingCharts(const QString& from, QIODevice& to,
                                 const std::vector<ChartFinish>& finishes);

} // namespace rp
