#include "gui/graph/ChartBuilder.h"

#include "core/base/ValueText.h"
#include "core/chart/AxisScale.h"
#include "core/chart/ChartModel.h"
#include "core/chart/ChartOptions.h"
#include "core/chart/SeriesReduction.h"

#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QFontMetricsF>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <QtMath>
#include <cmath>

namespace rp {

namespace {

QColor columnColor(int column) {
    static const QColor colors[] = {QColor(0, 0, 160),     QColor(200, 0, 0),   QColor(0, 130, 0),
                                    QColor(200, 120, 0),   QColor(120, 0, 160), QColor(0, 140, 140),
                                    QColor(110, 110, 110), QColor(160, 80, 40)};
    return colors[column % int(std::size(colors))];
}

// Values as stacked: each column summed with the columns before it row by row.
std::vector<std::vector<double>> stackedValues(const ChartModel& model) {
    std::vector<std::vector<double>> values;
    for (int c = 0; c < model.seriesCount(); ++c) {
        values.push_back(model.values(c));
        if (c > 0) {
            const auto& below = values[c - 1];
            for (size_t r = 0; r < values[c].size(); ++r)
                values[c][r] = (model.isNull(int(r), c) ? 0 : values[c][r]) + below[r];
        }
    }
    return values;
}

// Labels that would run into each other over `width` pixels are slanted rather than cut.
void fitLabels(QCategoryAxis& axis, double width) {
    const QStringList labels = axis.categoriesLabels();
    if (labels.size() < 2 || width <= 0)
        return;
    const QFontMetricsF metrics(axis.labelsFont());
    double widest = 0;
    for (const QString& label : labels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    // The narrowest step between neighbouring labels, in pixels.
    const double span = axis.max() - axis.min();
    double step = width;
    for (qsizetype i = 1; i < labels.size(); ++i)
        step = std::min(step, (axis.endValue(labels[i]) - axis.endValue(labels[i - 1])) * width /
                                  std::max(span, 1e-9));
    const int angle = widest + metrics.averageCharWidth() > step ? -30 : 0;
    if (axis.labelsAngle() != angle)
        axis.setLabelsAngle(angle);
}

void addCategoryLabels(QCategoryAxis& axis, const ChartModel& model, VisibleRows rows, int pixels) {
    axis.setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const int first = std::max(0, int(std::ceil(rows.first)));
    const int last = std::min(model.rowCount() - 1, int(std::floor(rows.last)));
    const int visible = last - first + 1;
    int every = model.labelEvery();
    if (every <= 0 || visible / every > 12)
        every = std::max(1, int(std::ceil(visible / 10.0)));
    for (int r = (first + every - 1) / every * every; r <= last; r += every) {
        QString label = model.rowLabel(r);
        while (axis.categoriesLabels().contains(label))
            label += QChar(0x200b); // labels must differ; dates rarely repeat
        axis.append(label, r);
    }
    fitLabels(axis, pixels);
}

QAbstractAxis* makeYAxis(const ChartModel& model, double autoLow, double autoHigh) {
    if (model.yAxis.logarithmic) {
        auto* log = new QLogValueAxis;
        log->setBase(10);
        const double low = autoLow > 0 ? std::pow(10, std::floor(std::log10(autoLow))) : 0.1;
        const double high =
            autoHigh > low ? std::pow(10, std::ceil(std::log10(autoHigh))) : low * 10;
        log->setRange(low, high);
        log->setLabelFormat(QStringLiteral("%g"));
        return log;
    }
    auto* axis = new QValueAxis;
    AxisScale scale = model.yAxis.scale;
    if (model.yAxis.automatic && autoHigh >= autoLow) {
        double high = autoHigh;
        scale = computeAxisScale(autoLow, high);
    }
    axis->setRange(scale.lower, scale.upper);
    axis->setTickCount(std::clamp(scale.divisions, 1, 50) + 1);
    axis->setLabelFormat(QStringLiteral("%g"));
    return axis;
}

} // namespace

namespace {

// Widens the chart's side margins where a date label centred near an edge would run past it.
void makeRoomForLabels(QChart& chart, QCategoryAxis& axis) {
    const QRectF plot = chart.plotArea();
    const double span = axis.max() - axis.min();
    if (plot.width() <= 0 || span <= 0)
        return;
    const QFontMetricsF metrics(axis.labelsFont());
    const double angle = qDegreesToRadians(std::abs(axis.labelsAngle()));
    double left = 0;
    double right = 0;
    for (const QString& label : axis.categoriesLabels()) {
        const double x = plot.left() + (axis.endValue(label) - axis.min()) * plot.width() / span;
        // Half the label's box as drawn (slanted labels are turned about their centre), and air.
        const double half = (metrics.horizontalAdvance(label) * std::cos(angle) +
                             metrics.height() * std::sin(angle)) /
                                2 +
                            metrics.averageCharWidth();
        left = std::max(left, half - x);
        right = std::max(right, x + half - chart.size().width());
    }
    if (left <= 0 && right <= 0)
        return;
    QMargins margins = chart.margins();
    margins.setLeft(margins.left() + int(std::ceil(left)));
    margins.setRight(margins.right() + int(std::ceil(right)));
    chart.setMargins(margins);
}

} // namespace

void ChartBuilder::fitDateLabels(QChart& chart) {
    for (QAbstractAxis* axis : chart.axes(Qt::Horizontal))
        if (auto* dates = qobject_cast<QCategoryAxis*>(axis)) {
            fitLabels(*dates, chart.plotArea().width());
            makeRoomForLabels(chart, *dates);
        }
}

QString chartPointText(const ChartModel& model, int row, int column) {
    if (row < 0 || row >= model.rowCount() || column < 0 || column >= model.seriesCount() ||
        model.isNull(row, column))
        return {};
    return numberText(model.value(row, column)) + QStringLiteral(", ") + model.rowLabel(row);
}

void ChartBuilder::build(QChart& chart, const ChartModel& model, const ChartOptions& options,
                         VisibleRows rows, int pixels) {
    chart.removeAllSeries();
    for (QAbstractAxis* axis : chart.axes()) {
        chart.removeAxis(axis);
        delete axis;
    }
    chart.setTitle(model.title);
    chart.legend()->setVisible(model.showLegend);
    chart.legend()->setAlignment(Qt::AlignRight);

    const bool stacked = options.stacked();
    // Plain columns are drawn from the model itself: a long series is not copied for each drawing.
    const auto sums = stacked ? stackedValues(model) : std::vector<std::vector<double>>{};
    const auto values = [&](int c) -> const std::vector<double>& {
        return stacked ? sums[c] : model.values(c);
    };
    const int first = std::max(0, int(std::floor(rows.first)));
    const int last = std::min(model.rowCount() - 1, int(std::ceil(rows.last)));
    double low = 0, high = -1;
    for (int c = 0; c < model.seriesCount(); ++c)
        for (int r = first; r <= last; ++r)
            if (!model.isNull(r, c)) {
                const double v = values(c)[r];
                if (high < low)
                    low = high = v;
                low = std::min(low, v);
                high = std::max(high, v);
            }
    if (model.yAxis.logarithmic) {
        low = high = -1;
        for (int c = 0; c < model.seriesCount(); ++c)
            for (int r = first; r <= last; ++r)
                if (!model.isNull(r, c) && values(c)[r] > 0) {
                    if (low <= 0 || values(c)[r] < low)
                        low = values(c)[r];
                    high = std::max(high, values(c)[r]);
                }
    }

    auto* xAxis = new QCategoryAxis;
    xAxis->setRange(rows.first - 0.5, rows.last + 0.5);
    xAxis->setTitleVisible(false);
    xAxis->setTruncateLabels(false);
    addCategoryLabels(*xAxis, model, rows, pixels);
    QAbstractAxis* yAxis = makeYAxis(model, low, high);
    yAxis->setTitleText(model.yAxis.title);
    yAxis->setTitleBrush(model.yAxis.titleColor);
    chart.addAxis(xAxis, Qt::AlignBottom);
    chart.addAxis(yAxis, Qt::AlignLeft);
    QValueAxis* y2Axis = nullptr;
    if (model.y2Axis.visible && !stacked) {
        y2Axis = new QValueAxis;
        const AxisScale s = model.y2Axis.scale;
        y2Axis->setRange(s.lower, s.upper);
        y2Axis->setTickCount(std::clamp(s.divisions, 1, 50) + 1);
        y2Axis->setLabelFormat(QStringLiteral("%g"));
        y2Axis->setTitleText(model.y2Axis.title);
        y2Axis->setTitleBrush(model.y2Axis.titleColor);
        chart.addAxis(y2Axis, Qt::AlignRight);
    }
    const auto attach = [&](QAbstractSeries* series, int column) {
        series->setProperty("column", column);
        chart.addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(column > 0 && y2Axis && model.secondaryAxisInUse ? y2Axis : yAxis);
    };

    const ChartFamily family = options.family();
    if (family == ChartFamily::Bar && last - first + 1 <= maxBars) {
        // With a second axis, series 2 onward are a bar series of their own against it; the
        // chart sets bar series side by side.
        const bool split = y2Axis && model.secondaryAxisInUse && model.seriesCount() > 1;
        for (int part = 0; part < (split ? 2 : 1); ++part) {
            QAbstractBarSeries* bars =
                stacked ? static_cast<QAbstractBarSeries*>(new QStackedBarSeries) : new QBarSeries;
            const int from = part == 0 ? 0 : 1;
            const int to = split && part == 0 ? 1 : model.seriesCount();
            for (int c = from; c < to; ++c) {
                auto* set = new QBarSet(model.columnLabel(c));
                set->setColor(columnColor(c));
                for (int r = 0; r < model.rowCount(); ++r)
                    set->append(model.value(r, c));
                bars->append(set);
            }
            bars->setBarWidth(0.8);
            attach(bars, from);
        }
        return;
    }

    for (int c = 0; c < model.seriesCount(); ++c) {
        const auto segments = reduceForDisplay(values(c), model.nulls(c), first, last, pixels);
        std::vector<SeriesSegment> lowerSegments;
        if (family != ChartFamily::Line && stacked && c > 0)
            lowerSegments = reduceForDisplay(values(c - 1), model.nulls(c), first, last, pixels);
        bool inLegend = false;
        for (size_t i = 0; i < segments.size(); ++i) {
            QAbstractSeries* series = nullptr;
            if (family == ChartFamily::Line) {
                QXYSeries* xy = options.showLines() ? static_cast<QXYSeries*>(new QLineSeries)
                                                    : new QScatterSeries;
                xy->replace(QList<QPointF>(segments[i].begin(), segments[i].end()));
                xy->setColor(columnColor(c));
                if (auto* scatter = qobject_cast<QScatterSeries*>(xy)) {
                    scatter->setMarkerSize(7);
                    scatter->setBorderColor(columnColor(c));
                } else {
                    xy->setPointsVisible(options.showMarkers());
                    xy->setMarkerSize(7);
                }
                series = xy;
            } else {
                auto* upper = new QLineSeries;
                upper->replace(QList<QPointF>(segments[i].begin(), segments[i].end()));
                QLineSeries* lowerLine = nullptr;
                if (i < lowerSegments.size()) {
                    lowerLine = new QLineSeries;
                    lowerLine->replace(
                        QList<QPointF>(lowerSegments[i].begin(), lowerSegments[i].end()));
                }
                auto* area = new QAreaSeries(upper, lowerLine);
                QColor fill = columnColor(c);
                area->setPen(QPen(fill, 1));
                fill.setAlpha(family == ChartFamily::Bar ? 255 : 170);
                area->setBrush(fill);
                series = area;
            }
            series->setName(model.columnLabel(c));
            attach(series, c);
            if (inLegend)
                for (QLegendMarker* marker : chart.legend()->markers(series))
                    marker->setVisible(false);
            inLegend = true;
        }
    }
}

} // namespace rp
