#pragma once

#include "core/chart/AxisScale.h"
#include "core/chart/RowLabels.h"

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class QIODevice;

namespace rp {

// The smallest and largest value seen; starts inverted so the first value sets both.
struct ValueRange {
    double smallest = 99999999;
    double largest = -99999999;
    void extend(double v) {
        if (v > largest)
            largest = v;
        if (v < smallest)
            smallest = v;
    }
};

// A value axis as the chart shows it.
struct ValueAxisState {
    AxisScale scale;
    bool automatic = false;   // the chart picks its own bounds (stacked display)
    bool logarithmic = false; // primary axis only
    bool visible = true;      // second axis: hidden until asked for
    QColor titleColor = Qt::black;
    QString title;
};

// The data behind the graph window: one row per data line of a series file, one column per
// series, each cell a value with a null flag; row labels from the date fields; the value ranges
// and axis scales that the chart options restore. Rows and columns count from 0 here.
class ChartModel {
public:
    // Fills the chart from a series file: a new chart, or a further column when `addSeries` is
    // set and a chart is shown. `valuesPerDay` spaces the labels of unit series; a negative one
    // has them counted from the file (UnitDayCount). Throws rp::Error naming the file and line
    // for unreadable input; the chart keeps what was set before.
    void loadSeriesFile(const QString& path, bool addSeries, int valuesPerDay);
    void loadSeries(QIODevice& in, const QString& name, bool addSeries, int valuesPerDay);

    // Toggles the cumulative display (running sums per column) and back to the plain values.
    void totalit();
    // The window closed: no chart any more.
    void clear();

    int seriesCount() const { return int(m_columns.size()); }
    bool cumulative() const { return m_cumulative; }
    int rowCount() const { return m_rowCount; }
    // The row's date: day, month and year; a sub-daily row not at midnight shows day, month and
    // time, with the year too when the rows span more than one year.
    QString rowLabel(int row) const;
    const QString& columnLabel(int column) const { return m_columns[column].label; }
    bool isNull(int row, int column) const;
    double value(int row, int column) const; // 0 for a null cell
    const std::vector<double>& values(int column) const { return m_columns[column].values; }
    const std::vector<std::uint8_t>& nulls(int column) const { return m_columns[column].nulls; }

    QString title;
    bool showLegend = false;
    ValueAxisState yAxis;
    ValueAxisState y2Axis{{}, false, false, false, Qt::black, {}};
    // Series 2 onward plotted against the second axis.
    bool secondaryAxisInUse = false;

    // Category labels every `labelEvery` rows; 0 leaves the spacing to the chart.
    int labelEvery() const { return m_labelEvery; }
    bool subDaily() const { return m_subDaily; }

    const ValueRange& valueRange() const { return m_valueRange; }
    const ValueRange& secondRange() const { return m_secondRange; }
    const AxisScale& primaryScale() const { return m_primaryScale; }
    const AxisScale& firstSeriesScale() const { return m_firstSeriesScale; }
    // The second axis: divisions from its scale, bounds from the second range.
    AxisScale secondAxisScale() const;

    // The Y axis back to a stored scale, bounds fixed.
    void setYScale(const AxisScale& scale);

private:
    struct Column {
        QString label;
        QString heading; // line 2 of the series file
        std::vector<double> values;
        std::vector<std::uint8_t> nulls;
    };

    Column& columnForLoad(bool add);
    void readValues(QIODevice& in, const QString& name, Column& column, int width);
    void updateScales();
    void setLabelSpacing(int code, int lines, int valuesPerDay);

    std::vector<Column> m_columns;
    RowLabels m_labels;
    int m_rowCount = 0;
    bool m_cumulative = false;
    bool m_subDaily = false;
    int m_labelEvery = 0;
    bool m_labelsSpanYears = false;
    ValueRange m_valueRange;
    ValueRange m_secondRange;
    ValueRange m_savedSecondRange;
    AxisScale m_primaryScale;
    AxisScale m_firstSeriesScale;
    int m_secondDivisions = 1;
    std::vector<std::vector<double>> m_savedValues;
};

} // namespace rp
