// The export workbook written with libxlsxwriter, row by row in constant memory.
#include "formats/xlsx/XlsxWorkbookWriter.h"

#include "core/base/Error.h"
#include "core/base/SaveFile.h"
#include "formats/xlsx/XlsxChartPatch.h"
#include "formats/xlsx/XlsxDates.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <algorithm>
#include <limits>
#include <map>
#include <xlsxwriter.h>

namespace rp {

namespace {

constexpr int defaultColumnPixels = 64;
constexpr int wideColumnPixels = 110; // 15 characters
constexpr int rowPixels = 20;
constexpr lxw_color_t plotBorderGrey = 0x808080; // colour index 16
constexpr lxw_color_t plotFillColour = 0xFFCC00; // scheme colour 44 of the classic palette

// The classic palette's numbers and where a new embedded chart lands: the top-left corner of
// column C, row 5; moved 250 pt right and 54.75 pt up (pixels at 96 per inch).
constexpr int landingLeft = wideColumnPixels + defaultColumnPixels;
constexpr int landingTop = 4 * rowPixels;
constexpr double pointsToPixels = 96.0 / 72.0;

void check(lxw_error error, const QString& what) {
    if (error != LXW_NO_ERROR)
        throw Error(QStringLiteral("The workbook cannot be written (%1): %2")
                        .arg(what, QString::fromUtf8(lxw_strerror(error))));
}

struct Formats {
    lxw_format* day = nullptr;
    lxw_format* month = nullptr;
    lxw_format* year = nullptr;
    lxw_format* minute = nullptr;
    lxw_format* white = nullptr;
    lxw_format* right = nullptr;
    lxw_format* rightDate = nullptr;
    // The number formats the cells ask for, plain and aligned right, by format code.
    std::map<QString, std::pair<lxw_format*, lxw_format*>> numbers;
};

lxw_format* numberFormat(lxw_workbook* book, const char* code, bool right = false) {
    lxw_format* format = workbook_add_format(book);
    format_set_num_format(format, code);
    if (right)
        format_set_align(format, LXW_ALIGN_RIGHT);
    return format;
}

Formats makeFormats(lxw_workbook* book) {
    Formats f;
    f.day = numberFormat(book, "dd-mmm-yyyy");
    f.month = numberFormat(book, "mmm yyyy");
    f.year = numberFormat(book, "yyyy");
    f.minute = numberFormat(book, "dd-mmm-yyyy hh:mm");
    f.white = workbook_add_format(book);
    format_set_font_color(f.white, LXW_COLOR_WHITE);
    f.right = workbook_add_format(book);
    format_set_align(f.right, LXW_ALIGN_RIGHT);
    f.rightDate = numberFormat(book, "dd-mmm-yyyy hh:mm", true);
    return f;
}

void addCellNumberFormats(lxw_workbook* book, Formats& f,
                          const std::vector<SpreadsheetSheet>& sheets) {
    for (const SpreadsheetSheet& sheet : sheets)
        for (const auto& [cell, code] : sheet.numberFormats)
            if (!f.numbers.contains(code)) {
                const QByteArray utf8 = code.toUtf8();
                f.numbers[code] = {numberFormat(book, utf8.constData()),
                                   numberFormat(book, utf8.constData(), true)};
            }
}

lxw_format* dateFormat(const Formats& f, const SeriesColumns& series) {
    if (series.timeOfDay)
        return f.minute;
    switch (series.chart.axis) {
    case ChartAxisKind::Years:
        return f.year;
    case ChartAxisKind::Months:
        return f.month;
    default:
        return f.day;
    }
}

class SheetWriter {
public:
    SheetWriter(lxw_worksheet* sheet, const Formats& formats, const SpreadsheetSheet& content,
                ProgressSteps& steps)
        : m_sheet(sheet), m_formats(formats), m_content(content), m_steps(steps) {}

    void write() {
        if (m_content.rightAligned) {
            check(worksheet_set_column(m_sheet, 0, 0,
                                       m_content.wideColumnA ? 15 : LXW_DEF_COL_WIDTH,
                                       m_formats.right),
                  QStringLiteral("column A"));
            check(worksheet_set_column(m_sheet, 1, LXW_COL_MAX - 1, LXW_DEF_COL_WIDTH,
                                       m_formats.right),
                  QStringLiteral("columns"));
        } else if (m_content.wideColumnA) {
            check(worksheet_set_column(m_sheet, 0, 0, 15, nullptr), QStringLiteral("column A"));
        }
        std::vector<const SheetCell*> cells;
        cells.reserve(m_content.cells.size());
        for (const SheetCell& cell : m_content.cells)
            cells.push_back(&cell);
        std::stable_sort(cells.begin(), cells.end(),
                         [](const SheetCell* a, const SheetCell* b) { return a->row < b->row; });
        // Rows go out in order: constant memory mode cannot go back.
        size_t next = 0;
        if (const SeriesColumns* series = m_content.series ? &*m_content.series : nullptr) {
            const QString* headers[] = {&series->line1, &series->line2};
            for (int row = 0; row < 2; ++row) {
                writeCellsBefore(cells, next, row);
                writeString(row, 0, *headers[row], nullptr);
                writeCellsBesideSeries(cells, next, row);
            }
            checkSeriesFitsSheet(series->size());
            lxw_format* dates = dateFormat(m_formats, *series);
            for (qsizetype i = 0; i < series->size(); ++i) {
                m_steps.step();
                const int row = seriesFirstRow + static_cast<int>(i);
                writeCellsBefore(cells, next, row);
                writeSeriesRow(row, *series, i, dates);
                writeCellsBesideSeries(cells, next, row);
            }
        }
        writeCellsBefore(cells, next, std::numeric_limits<int>::max());
    }

private:
    void writeSeriesRow(int row, const SeriesColumns& series, qsizetype i, lxw_format* dates) {
        const auto index = static_cast<size_t>(i);
        check(worksheet_write_number(m_sheet, static_cast<lxw_row_t>(row), 0, series.dates[index],
                                     dates),
              QStringLiteral("a date"));
        switch (series.kinds[index]) {
        case SeriesColumns::Number:
            check(worksheet_write_number(m_sheet, static_cast<lxw_row_t>(row), 1,
                                         series.values[index], nullptr),
                  QStringLiteral("a value"));
            break;
        case SeriesColumns::Text: {
            const auto found = std::lower_bound(series.texts.begin(), series.texts.end(), i,
                                                [](const std::pair<qsizetype, QString>& entry,
                                                   qsizetype at) { return entry.first < at; });
            if (found != series.texts.end() && found->first == i)
                writeString(row, 1, found->second, nullptr);
            break;
        }
        case SeriesColumns::Empty:
            break;
        }
    }

    void writeCellsBefore(const std::vector<const SheetCell*>& cells, size_t& next, int row) {
        while (next < cells.size() && cells[next]->row < row)
            writeCell(*cells[next++]);
    }

    // The other cells of a row the series fills; the series keeps columns A and B.
    void writeCellsBesideSeries(const std::vector<const SheetCell*>& cells, size_t& next, int row) {
        while (next < cells.size() && cells[next]->row == row) {
            const SheetCell& cell = *cells[next++];
            if (cell.column > 1)
                writeCell(cell);
        }
    }

    void writeCell(const SheetCell& cell) {
        const auto row = static_cast<lxw_row_t>(cell.row);
        const auto column = static_cast<lxw_col_t>(cell.column);
        lxw_format* format = cell.white               ? m_formats.white
                             : m_content.rightAligned ? m_formats.right
                                                      : nullptr;
        switch (cell.value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Int:
        case QMetaType::LongLong:
            if (const auto code = m_content.numberFormats.find({cell.row, cell.column});
                !cell.white && code != m_content.numberFormats.end()) {
                const auto& found = m_formats.numbers.at(code->second);
                format = m_content.rightAligned ? found.second : found.first;
            }
            check(worksheet_write_number(m_sheet, row, column, cell.value.toDouble(), format),
                  QStringLiteral("a number"));
            break;
        case QMetaType::Bool:
            check(
                worksheet_write_boolean(m_sheet, row, column, cell.value.toBool() ? 1 : 0, format),
                QStringLiteral("a truth value"));
            break;
        case QMetaType::QDateTime:
            check(worksheet_write_number(
                      m_sheet, row, column, serialFromDateTime(cell.value.toDateTime()),
                      m_content.rightAligned ? m_formats.rightDate : m_formats.minute),
                  QStringLiteral("a date"));
            break;
        default:
            if (!cell.value.isNull())
                writeString(cell.row, cell.column, cell.value.toString(), format);
        }
    }

    void writeString(int row, int column, const QString& text, lxw_format* format) {
        if (text.isEmpty())
            return;
        const QByteArray utf8 = text.left(32767).toUtf8();
        check(worksheet_write_string(m_sheet, static_cast<lxw_row_t>(row),
                                     static_cast<lxw_col_t>(column), utf8.constData(), format),
              QStringLiteral("a text"));
    }

    lxw_worksheet* m_sheet;
    const Formats& m_formats;
    const SpreadsheetSheet& m_content;
    ProgressSteps& m_steps;
};

lxw_chart_font font(bool bold) {
    lxw_chart_font f{};
    f.name = const_cast<char*>("Arial");
    f.size = 9;
    f.bold = bold ? 1 : 0;
    return f;
}

void styleAxis(lxw_chart_axis* axis) {
    chart_axis_set_major_tick_mark(axis, LXW_CHART_AXIS_TICK_MARK_OUTSIDE);
    chart_axis_set_minor_tick_mark(axis, LXW_CHART_AXIS_TICK_MARK_INSIDE);
    chart_axis_set_label_position(axis, LXW_CHART_AXIS_LABEL_POSITION_NEXT_TO);
    chart_axis_major_gridlines_set_visible(axis, LXW_TRUE);
    chart_axis_minor_gridlines_set_visible(axis, LXW_FALSE);
    lxw_chart_font numbers = font(false);
    chart_axis_set_num_font(axis, &numbers);
}

void insertChart(lxw_workbook* book, lxw_worksheet* sheet, const QString& sheetName,
                 const SeriesColumns& series) {
    const QByteArray name = sheetName.toUtf8();
    const QByteArray title = series.chart.title.toUtf8();
    const QByteArray axisTitle = series.chart.valueAxisTitle.toUtf8();
    lxw_chart* chart = workbook_add_chart(book, LXW_CHART_LINE);
    if (!chart)
        throw Error(QStringLiteral("The workbook cannot be written: no memory for the chart."));
    lxw_chart_series* line = chart_add_series(chart, nullptr, nullptr);
    const auto last = static_cast<lxw_row_t>(seriesFirstRow + series.size() - 1);
    chart_series_set_categories(line, name.constData(), seriesFirstRow, 0, last, 0);
    chart_series_set_values(line, name.constData(), seriesFirstRow, 1, last, 1);

    lxw_chart_font titleFont = font(true);
    if (!title.trimmed().isEmpty()) {
        chart_title_set_name(chart, title.constData());
        chart_title_set_name_font(chart, &titleFont);
    }
    if (!axisTitle.isEmpty()) {
        chart_axis_set_name(chart->y_axis, axisTitle.constData());
        chart_axis_set_name_font(chart->y_axis, &titleFont);
    }
    styleAxis(chart->x_axis);
    styleAxis(chart->y_axis);
    // The labels show the dates as the cells do.
    chart_axis_set_num_format(chart->x_axis, seriesDateFormat(series));
    chart_axis_set_position(chart->x_axis, LXW_CHART_AXIS_POSITION_ON_TICK);
    if (series.chart.axis == ChartAxisKind::Categories) {
        chart_axis_set_crossing(chart->x_axis, 1);
        if (series.chart.labelSpacing > 0) {
            const auto spacing = static_cast<uint16_t>(std::min(series.chart.labelSpacing, 32767));
            chart_axis_set_interval_unit(chart->x_axis, spacing);
            chart_axis_set_interval_tick(chart->x_axis, spacing);
        }
    }
    chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
    lxw_chart_line border{};
    border.color = plotBorderGrey;
    border.width = 0.75f;
    chart_plotarea_set_line(chart, &border);
    // A solid fill that the finishing pass turns into the gradient.
    lxw_chart_fill fill{};
    fill.color = plotFillColour;
    chart_plotarea_set_fill(chart, &fill);

    const ChartPlacement place = seriesChartPlacement();
    lxw_chart_options options{};
    const int column = place.left < wideColumnPixels
                           ? 0
                           : 1 + (place.left - wideColumnPixels) / defaultColumnPixels;
    const int columnLeft = column == 0 ? 0 : wideColumnPixels + (column - 1) * defaultColumnPixels;
    options.x_offset = place.left - columnLeft;
    options.y_offset = place.top % rowPixels;
    options.x_scale = place.widthScale;
    options.y_scale = place.heightScale;
    check(worksheet_insert_chart_opt(sheet, static_cast<lxw_row_t>(place.top / rowPixels),
                                     static_cast<lxw_col_t>(column), chart, &options),
          QStringLiteral("the chart"));
}

ChartFinish finishOf(const SeriesColumns& series) {
    ChartFinish finish;
    switch (series.chart.axis) {
    case ChartAxisKind::Days:
        finish.dateAxisUnit = QStringLiteral("days");
        break;
    case ChartAxisKind::Months:
        finish.dateAxisUnit = QStringLiteral("months");
        break;
    case ChartAxisKind::Years:
        finish.dateAxisUnit = QStringLiteral("years");
        break;
    case ChartAxisKind::Categories:
        break;
    }
    finish.gradientColour = QStringLiteral("FFCC00");
    if (!finish.dateAxisUnit.isEmpty() && series.size() > 0)
        chooseDateAxisStep(finish, series.dates.back() - series.dates.front());
    return finish;
}

} // namespace

const char* seriesDateFormat(const SeriesColumns& series) {
    if (series.timeOfDay)
        return "dd-mmm-yyyy hh:mm";
    switch (series.chart.axis) {
    case ChartAxisKind::Years:
        return "yyyy";
    case ChartAxisKind::Months:
        return "mmm yyyy";
    default:
        return "dd-mmm-yyyy";
    }
}

ChartPlacement seriesChartPlacement() {
    ChartPlacement place;
    place.left = landingLeft + qRound(250 * pointsToPixels);
    place.top = std::max(0, landingTop - qRound(54.75 * pointsToPixels));
    place.widthScale = 1.22;
    place.heightScale = 1.74;
    return place;
}

void writeSpreadsheetWorkbook(const QString& path, const std::vector<SpreadsheetSheet>& sheets,
                              const Progress& progress, bool ownerOnly) {
    if (sheets.empty())
        throw Error(QStringLiteral("A workbook needs at least one sheet."));
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw Error(
            QStringLiteral("No temporary folder for the workbook: %1").arg(scratch.errorString()));
    const QByteArray rawPath = QFile::encodeName(scratch.filePath(QStringLiteral("raw.xlsx")));
    const QByteArray tmp = QFile::encodeName(scratch.path());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(tmp.constData());
    options.use_zip64 = LXW_FALSE;
    lxw_workbook* book = workbook_new_opt(rawPath.constData(), &options);
    if (!book)
        throw Error(QStringLiteral("The workbook cannot be started in %1.").arg(scratch.path()));
    std::vector<ChartFinish> finishes;
    // The rows take about half the time, packing the file (which reports nothing) the rest.
    constexpr qint64 whole = 1000;
    qint64 rows = 0;
    for (const SpreadsheetSheet& content : sheets)
        rows += content.series ? content.series->size() : 0;
    const QString cancelled = exportCancelledMessage();
    ProgressSteps steps(progressStage(progress, 0, whole / 2, whole), rows, cancelled);
    try {
        Formats formats = makeFormats(book);
        addCellNumberFormats(book, formats, sheets);
        for (const SpreadsheetSheet& content : sheets) {
            const QByteArray name = content.name.toUtf8();
            lxw_worksheet* sheet = workbook_add_worksheet(book, name.constData());
            if (!sheet)
                throw Error(QStringLiteral("The workbook cannot take a sheet named \"%1\".")
                                .arg(content.name));
            SheetWriter(sheet, formats, content, steps).write();
            if (content.hidden)
                worksheet_hide(sheet);
            if (content.series && content.series->size() > 0) {
                insertChart(book, sheet, content.name, *content.series);
                finishes.push_back(finishOf(*content.series));
            }
        }
        steps.report();
    } catch (...) {
        workbook_close(book); // frees it; the half-written file stays in the scratch folder
        throw;
    }
    check(workbook_close(book), QStringLiteral("closing"));
    if (progress && !progress(whole * 9 / 10, whole))
        throw Error(cancelled);

    SaveFile out(path);
    // Owner-only before a byte is written, so no one else ever reads it.
    if (ownerOnly && !out.device().setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw Error(QStringLiteral("%1 cannot be made owner-only: %2")
                        .arg(path, out.device().errorString()));
    copyWorkbookFinishingCharts(QFile::decodeName(rawPath), out.device(), finishes);
    out.commit();
}

void checkSeriesFitsSheet(qint64 count) {
    if (count > seriesMostValues)
        throw Error(QStringLiteral("The worksheet holds at most %1 values below its header; this "
                                   "series has %2. Export a shorter range.")
                        .arg(QLocale(QLocale::English).toString(seriesMostValues),
                             QLocale(QLocale::English).toString(count)));
}

} // namespace rp
