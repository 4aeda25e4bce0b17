#include "gui/graph/GraphWindow.h"

#include "core/base/Error.h"
#include "core/chart/ChartLine.h"
#include "core/settings/AppPaths.h"
#include "core/settings/WindowGeometry.h"
#include "gui/graph/BackdropPainter.h"
#include "gui/graph/ChartView.h"
#include "gui/widgets/MessageBoxDialogs.h"
#include "gui/widgets/Twips.h"

#include <QAbstractAxis>
#include <QAbstractBarSeries>
#include <QAreaSeries>
#include <QBarSet>
#include <QChart>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHideEvent>
#include <QLineF>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QPrinterInfo>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTimer>
#include <QToolTip>
#include <QValueAxis>
#include <QXYSeries>
#include <algorithm>
#include <limits>

namespace rp {

namespace {

// The picture behind the chart when the settings name none: a soft sky with a faint grid.
QImage builtInPicture() {
    QImage tile(64, 64, QImage::Format_ARGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int shade = 232 + (x + y) % 64 / 8;
            tile.setPixel(x, y,
                          (x % 32 == 0 || y % 32 == 0) ? qRgb(214, 224, 236)
                                                       : qRgb(shade - 8, shade - 2, 250));
        }
    return tile;
}

QChart* newChart() {
    auto* chart = new QChart;
    // The chart's own background is button face: those pixels show the backdrop.
    chart->setBackgroundBrush(QColor::fromRgb(buttonFaceColor()));
    chart->setBackgroundRoundness(0);
    chart->setPlotAreaBackgroundVisible(false);
    return chart;
}

} // namespace

GraphWindow::GraphWindow(GraphWindowServices services, QWidget* parent)
    : QWidget(parent), m_services(std::move(services)) {
    setObjectName(QStringLiteral("vga1"));
    setWindowTitle(QStringLiteral("Rivelpost %1.%2.%3")
                       .arg(RIVELPOST_VERSION_MAJOR)
                       .arg(RIVELPOST_VERSION_MINOR)
                       .arg(RIVELPOST_VERSION_PATCH));
    resize(1000, 700);

    m_chartView = new ChartView(this);
    m_chartView->setChart(newChart());
    m_chartView->setBackgroundBrush(QColor::fromRgb(buttonFaceColor()));
    m_chartView->setFrameShape(QFrame::NoFrame);

    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    for (ChartOption option : allChartOptions) {
        auto* item = new QListWidgetItem(chartOptionCaption(option), m_list1);
        item->setData(Qt::UserRole, int(option));
    }
    m_list1->setFixedWidth(130);
    m_list1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list1->hide();
    m_listPrinters = new QListWidget(this);
    m_listPrinters->setObjectName(QStringLiteral("ListPrinters"));
    m_listPrinters->addItem(QStringLiteral("Default Printer"));
    m_listPrinters->addItems(QPrinterInfo::availablePrinterNames());
    m_listPrinters->setFixedSize(220, 120);
    m_listPrinters->hide();

    connect(m_chartView, &ChartView::released, this, &GraphWindow::chartReleased);
    connect(m_chartView, &ChartView::pointerMoved, this, &GraphWindow::pointerMoved);
    connect(m_chartView, &ChartView::zoomed, this, [this] {
        const auto axes = m_chartView->chart()->axes(Qt::Horizontal);
        if (axes.isEmpty())
            return;
        auto* x = qobject_cast<QValueAxis*>(axes.first());
        if (!x)
            return;
        m_zoom = VisibleRows{x->min() + 0.5, x->max() - 0.5};
        QTimer::singleShot(0, this, &GraphWindow::rebuild);
    });
    connect(m_list1, &QListWidget::itemClicked, this, &GraphWindow::itemClicked);
    connect(m_listPrinters, &QListWidget::itemClicked, this, &GraphWindow::printerChosen);
    // Esc does what the "Close" option does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] { runOption(ChartOption::Close); });

    loadBackdrop();
    // Where the user left the window last time; the screen it was on may be gone, which
    // restoreGeometry() allows for.
    if (m_services.keepsGeometry)
        restoreGeometry(WindowGeometry::load(objectName()));
}

GraphWindow::~GraphWindow() {
    // Ending the program destroys the window without hiding it first.
    if (isVisible())
        rememberGeometry();
}

void GraphWindow::rememberGeometry() {
    if (!m_services.keepsGeometry)
        return;
    try {
        WindowGeometry::save(objectName(), saveGeometry());
    } catch (const Error& e) {
        // Losing the window's place is no reason to interrupt the user.
        qWarning("%s", qPrintable(e.message()));
    }
}

void GraphWindow::hideEvent(QHideEvent* event) {
    if (!event->spontaneous())
        rememberGeometry();
    QWidget::hideEvent(event);
}

QStringList GraphWindow::optionItems() {
    QStringList captions;
    for (ChartOption option : allChartOptions)
        captions << chartOptionCaption(option);
    return captions;
}

QChart* GraphWindow::chart() const {
    return m_chartView->chart();
}

void GraphWindow::message(const QString& text) {
    if (m_services.dialogs) {
        m_services.dialogs->message(this, text);
    } else {
        MessageBoxDialogs dialogs;
        dialogs.message(this, text);
    }
}

void GraphWindow::loadBackdrop() {
    applyBackdrop(readChartLine(AppPaths::settingsFilePath()));
}

void GraphWindow::applyBackdrop(const QString& chartLine) {
    QWidget* target = m_chartView->viewport();
    const ChartLine line = ChartLine::parse(chartLine);
    switch (line.kind) {
    case ChartLine::Kind::BuiltInPicture:
        m_image1 = builtInPicture();
        break;
    case ChartLine::Kind::PictureFile: {
        QImage picture;
        if (!QFileInfo::exists(line.path) || !picture.load(line.path)) {
            message(QStringLiteral("Chart picture file not found:  ") + line.path);
            return;
        }
        m_image1 = picture;
        break;
    }
    case ChartLine::Kind::Gradient:
        m_image1 = QImage();
        setBackdropStyle(target, 2);
        setGradientDirection(target, 1);
        setGradientColor1(target, line.color1);
        setGradientColor2(target, line.color2);
        hookBackdrop(target);
        return;
    }
    setBackdropStyle(target, 1);
    setBackdropPicture(target, m_image1);
    hookBackdrop(target);
}

void GraphWindow::loadSeriesFile(const QString& path, bool addSeries, int valuesPerDay) {
    m_model.loadSeriesFile(path, addSeries, valuesPerDay);
    m_zoom.reset();
    announceState();
    rebuild();
    refresh3d();
    showMaximized();
}

void GraphWindow::totalit() {
    m_model.totalit();
    announceState();
    rebuild();
    refresh3d();
}

void GraphWindow::announceState() {
    emit chartStateChanged(m_model.seriesCount(), m_model.cumulative());
}

void GraphWindow::rebuild() {
    if (m_building)
        return;
    // Cleared however the rebuild ends: a chart that failed once must still redraw later.
    const QScopedValueRollback building(m_building, true);
    const VisibleRows all{0, double(std::max(m_model.rowCount() - 1, 0))};
    const int pixels = std::max(200, int(chart()->plotArea().width()));
    // A fresh chart each time: the chart keeps the items of removed axes until the event loop
    // runs, which a chart drawn for the command line never does.
    QChart* old = chart();
    auto fresh = std::unique_ptr<QChart>(newChart());
    ChartBuilder::build(*fresh, m_model, m_options, m_zoom.value_or(all), pixels);
    // The width guessed above is the last chart's; the labels are fitted again once this one is
    // laid out, and whenever the window changes its size.
    QChart* shown = fresh.release();
    connect(shown, &QChart::plotAreaChanged, shown,
            [shown] { ChartBuilder::fitDateLabels(*shown); });
    m_chartView->setChart(shown);
    delete old;
}

void GraphWindow::pointerMoved(QPoint pos) {
    const QString text = tipAt(pos);
    m_chartView->setToolTip(text);
    QWidget* viewport = m_chartView->viewport();
    if (text.isEmpty())
        QToolTip::hideText();
    else if (QToolTip::isVisible())
        QToolTip::showText(viewport->mapToGlobal(pos), text, viewport);
}

QString GraphWindow::tipAt(QPoint pos) const {
    // No tips on a logarithmic axis or a 3D line chart.
    if (m_model.yAxis.logarithmic || (m_options.is3d() && m_options.family() == ChartFamily::Line))
        return {};
    QChart* shown = chart();
    const QPointF at = shown->mapFromScene(m_chartView->mapToScene(pos));
    if (!shown->plotArea().contains(at))
        return {};
    constexpr double reach = 8; // pixels around a point that still count as over it
    double best = reach;
    int row = -1;
    int column = -1;
    for (QAbstractSeries* series : shown->series()) {
        const int first = series->property("column").toInt();
        const double x = shown->mapToValue(at, series).x();
        if (auto* bars = qobject_cast<QAbstractBarSeries*>(series)) {
            // Over a bar's row: the set whose top is nearest to the pointer.
            const int r = qRound(x);
            double nearest = std::numeric_limits<double>::max();
            const QList<QBarSet*> sets = bars->barSets();
            for (int k = 0; k < sets.size(); ++k) {
                if (r < 0 || r >= sets[k]->count())
                    continue;
                const double top = shown->mapToPosition(QPointF(r, sets[k]->at(r)), series).y();
                if (std::abs(top - at.y()) < nearest) {
                    nearest = std::abs(top - at.y());
                    row = r;
                    column = first + k;
                }
            }
            continue;
        }
        QList<QPointF> points;
        if (auto* xy = qobject_cast<QXYSeries*>(series))
            points = xy->points();
        else if (auto* area = qobject_cast<QAreaSeries*>(series))
            points = area->upperSeries()->points();
        const double dx = std::abs(shown->mapToValue(at + QPointF(reach, 0), series).x() - x);
        auto p = std::lower_bound(points.cbegin(), points.cend(), x - dx,
                                  [](QPointF point, double value) { return point.x() < value; });
        for (; p != points.cend() && p->x() <= x + dx; ++p) {
            const double distance = QLineF(shown->mapToPosition(*p, series), at).length();
            if (distance <= best) {
                best = distance;
                row = qRound(p->x());
                column = first;
            }
        }
    }
    return column < 0 ? QString() : chartPointText(m_model, row, column);
}

void GraphWindow::chartReleased(QPoint pos, bool right) {
    m_list1->hide();
    if (!right)
        return;
    // Every option shows whole, whatever the font and scaling; sized now that the style is known.
    m_list1->ensurePolished();
    int height = 2 * m_list1->frameWidth();
    for (int row = 0; row < m_list1->count(); ++row)
        height += m_list1->sizeHintForRow(row);
    m_list1->setFixedSize(std::max(130, m_list1->sizeHintForColumn(0) + 2 * m_list1->frameWidth() +
                                            m_list1->fontMetrics().averageCharWidth()),
                          height);
    // Where the click was, moved in so far as the window needs to show it all.
    const QPoint at = m_chartView->pos() + pos;
    m_list1->move(std::clamp(at.x(), 0, std::max(0, width() - m_list1->width())),
                  std::clamp(at.y(), 0, std::max(0, this->height() - m_list1->height())));
    m_list1->show();
    m_list1->raise();
}

void GraphWindow::itemClicked(QListWidgetItem* item) {
    m_list1->hide();
    if (item)
        runOption(ChartOption(item->data(Qt::UserRole).toInt()));
}

void GraphWindow::closeEvent(QCloseEvent* event) {
    // Closing from the title bar ends the chart: the next GRAPH starts a new one.
    m_model.clear();
    m_options.reset();
    showLogCaption();
    // The 3D form goes with the chart it showed.
    delete m_view3d;
    m_view3d = nullptr;
    m_chartView->show();
    m_zoom.reset();
    announceState();
    rebuild();
    QWidget::closeEvent(event);
}

void GraphWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isMinimized())
        return;
    const int height = std::max(100, this->height() - twipsToPixels(500));
    m_chartView->setGeometry(0, m_chartView->y(), width(), height);
    if (m_view3d)
        m_view3d->setGeometry(m_chartView->geometry());
    if (m_model.seriesCount() > 0)
        QTimer::singleShot(0, this, &GraphWindow::rebuild);
}

} // namespace rp
