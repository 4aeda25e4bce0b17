#include "../support/PdfCheck.h"
#include "SeriesFiles.h"
#include "core/base/UserDialogs.h"
#include "core/settings/AppPaths.h"
#include "gui/graph/BackdropPainter.h"
#include "gui/graph/Chart3dView.h"
#include "gui/graph/ChartView.h"
#include "gui/graph/GraphWindow.h"
#include "gui/graph/GraphWindowRunner.h"
#include "gui/widgets/PdfFallback.h"

#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsTextItem>
#include <QLineSeries>
#include <QListWidget>
#include <QLogValueAxis>
#include <QPrinter>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QTemporaryDir>
#include <QToolTip>
#include <QValueAxis>
#include <QtDataVisualization/Q3DBars>
#include <QtDataVisualization/Q3DSurface>
#include <QtTest>

using namespace rp;
using rp::test::dailySeries;

namespace {

class RecordingDialogs : public UserDialogs {
public:
    void message(QWidget*, const QString& text) override { messages << text; }
    QStringList messages;
};

// A graph window in a temporary program folder with answering dialogs.
struct Window {
    QTemporaryDir folder;
    RecordingDialogs dialogs;
    // What the window announces, as the hand-off keeps it.
    struct {
        int seriesCount = 0;
        bool cumulative = false;
        int valuesPerDay = 0;
    } session;
    QList<std::optional<quint32>> colors;
    std::optional<QString> picture;
    std::optional<QString> imageFile;
    int graphTableShown = 0;
    bool hasPrinter = true;
    QString pdfAnswer;    // the file dialog's answer when no printer is installed
    QStringList pdfAsked; // its title and suggested file name
    std::function<std::unique_ptr<QPrinter>()> printer;
    std::unique_ptr<GraphWindow> window;

    explicit Window(const QByteArray& settings = {}) {
        AppPaths::setProgramFolder(folder.path());
        if (!settings.isEmpty())
            write(QStringLiteral("Rivelpost_setup.txt"), settings);
        GraphWindowServices services;
        services.dialogs = &dialogs;
        services.chooseColor = [this](QWidget*) {
            return colors.isEmpty() ? std::nullopt : colors.takeFirst();
        };
        services.choosePicture = [this](QWidget*) { return picture; };
        services.chooseImageFile = [this](QWidget*) { return imageFile; };
        services.connectionString = [] { return QStringLiteral("Data Source=hdb.sqlite"); };
        services.showGraphTable = [this] { ++graphTableShown; };
        services.has3d = [] { return canDraw3d(); };
        services.printerInstalled = [this] { return hasPrinter; };
        services.askNewFile = [this](QWidget*, const QString& title, const QString& suggested) {
            pdfAsked << title << QFileInfo(suggested).fileName();
            return pdfAnswer;
        };
        services.printer = [this](const QString&) {
            return printer ? printer() : std::unique_ptr<QPrinter>();
        };
        window = std::make_unique<GraphWindow>(services);
        QObject::connect(window.get(), &GraphWindow::chartStateChanged,
                         [this](int count, bool sums) {
                             session.seriesCount = count;
                             session.cumulative = sums;
                         });
    }
    ~Window() {
        window.reset();
        AppPaths::setProgramFolder({});
    }
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = folder.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    void graph(const QByteArray& series, bool add = false) {
        window->loadSeriesFile(write(QStringLiteral("lastout.txt"), series), add,
                               session.valuesPerDay);
    }
    QChart* chart() const { return window->chart(); }
    template <class T> QList<T*> series() const {
        QList<T*> out;
        for (QAbstractSeries* s : chart()->series())
            if (auto* t = qobject_cast<T*>(s))
                out << t;
        return out;
    }
    QValueAxis* yAxis() const {
        return qobject_cast<QValueAxis*>(chart()->axes(Qt::Vertical, nullptr).value(0));
    }
    QString settingsText() const {
        QFile f(folder.filePath(QStringLiteral("Rivelpost_setup.txt")));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }
};

// Remembers the parts of a widget that were painted.
class PaintWatcher : public QObject {
public:
    explicit PaintWatcher(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    bool wholePainted() const { return painted.contains(m_widget->rect()); }
    QRegion painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    QWidget* m_widget;
};

QByteArray flowSeries() {
    return dailySeries("100 GAUGE", "FLOW, CFS", {3.7, 12.5, std::nullopt, 41.2, 20.0});
}

} // namespace

class tst_GraphWindow : public QObject {
    Q_OBJECT
private slots:
    void oneSeriesChart();
    void saveImage_data();
    void saveImage();
    void optionsList_data();
    void optionsList();
    void dateLabelsFitThePlot_data();
    void dateLabelsFitThePlot();
    void barLineCycleAnd3d();
    void threeDFollowsChart();
    void markersCycle();
    void stackTwiceRestoresTitle();
    void logAndNormalAxis();
    void y2Axis_data();
    void y2Axis();
    void failedRebuildRedrawsLater();
    void cumulative();
    void closeHidesAndShowsDialog();
    void toolTip();
    void wholeChartRepainted_data();
    void wholeChartRepainted();
    void toolTipShowsWhenThePointerRests_data();
    void toolTipShowsWhenThePointerRests();
    void escapeDoesWhatCloseDoes();
    void pictureOption_data();
    void pictureOption();
    void missingPictureAtLoad();
    void backdropPixels();
    void printOnPdf();
    void printWithoutPrinter_data();
    void printWithoutPrinter();
    void longSeriesIsReduced();
    void runnerMakesOneWindow();
};

void tst_GraphWindow::oneSeriesChart() {
    Window w;
    w.graph(flowSeries());
    QCOMPARE(w.chart()->title(), QStringLiteral("2 100 GAUGE"));
    QVERIFY(!w.chart()->legend()->isVisible());
    QCOMPARE(w.yAxis()->titleText(), QStringLiteral("DAILY FLOW, CFS"));
    QCOMPARE(w.yAxis()->min(), 0.0);
    QCOMPARE(w.yAxis()->max(), 45.0);
    QCOMPARE(w.yAxis()->tickCount(), 10);
    QCOMPARE(w.chart()->axes(Qt::Vertical).size(), 1);
    // The null cell splits the line into two pieces of one colour.
    QCOMPARE(w.series<QLineSeries>().size(), 2);
    QCOMPARE(w.session.seriesCount, 1);
    QVERIFY(w.window->isVisible());
}

void tst_GraphWindow::optionsList_data() {
    QTest::addColumn<int>("pointSize");   // of the list's font; 0 keeps the default
    QTest::addColumn<bool>("nearCorner"); // right click near the bottom right corner
    QTest::newRow("default font") << 0 << false;
    QTest::newRow("large font") << 24 << false;
    QTest::newRow("large font, clicked near the corner") << 24 << true;
}

void tst_GraphWindow::optionsList() {
    QFETCH(int, pointSize);
    QFETCH(bool, nearCorner);
    Window w;
    auto* list = w.window->findChild<QListWidget*>(QStringLiteral("List1"));
    QVERIFY(list);
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    QCOMPARE(items.mid(0, 10),
             QStringList({"Markers", "Bar/Line", "Stack", "Cumulative", "Log Yaxis", "Y2 axis",
                          "2D/3D", "Picture", "Print", "Close"}));
    if (pointSize > 0) {
        QFont font = list->font();
        font.setPointSize(pointSize);
        list->setFont(font);
    }
    w.graph(flowSeries());
    w.window->show();
    auto* view = w.window->chartView();
    QVERIFY(!list->isVisible());
    const QPoint click =
        nearCorner ? QPoint(view->width() - 10, view->height() - 10) : QPoint(120, 80);
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, click);
    QTRY_VERIFY(list->isVisible());
    if (!nearCorner)
        QCOMPARE(list->pos(), view->pos() + click);
    // Every option shows whole, inside the window, with no need to scroll.
    QVERIFY(w.window->rect().contains(list->geometry()));
    for (int i = 0; i < list->count(); ++i) {
        const QRect item = list->visualItemRect(list->item(i));
        QVERIFY2(list->viewport()->rect().contains(item), qPrintable(list->item(i)->text()));
        QVERIFY(item.width() >= list->fontMetrics().horizontalAdvance(list->item(i)->text()));
    }
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(!list->isVisible());
    auto* listPrinters = w.window->findChild<QListWidget*>(QStringLiteral("ListPrinters"));
    QVERIFY(listPrinters);
    QCOMPARE(listPrinters->item(0)->text(), QStringLiteral("Default Printer"));
}

void tst_GraphWindow::dateLabelsFitThePlot_data() {
    QTest::addColumn<int>("width");       // of the window once the first series is drawn
    QTest::addColumn<int>("seriesCount"); // a second series brings the legend
    QTest::addColumn<int>("resizedTo");   // the window's width afterwards; 0 leaves it
    QTest::addColumn<int>("angle");       // of the date labels once laid out
    QTest::addColumn<int>("days");        // of the series, from 1 January 2012
    QTest::newRow("one series, wide") << 1400 << 1 << 0 << 0 << 366;
    QTest::newRow("one series, narrow") << 500 << 1 << 0 << -30 << 366;
    QTest::newRow("legend added") << 1000 << 2 << 0 << -30 << 366;
    QTest::newRow("legend added, wide") << 1800 << 2 << 0 << 0 << 366;
    QTest::newRow("narrowed") << 1400 << 1 << 500 << -30 << 366;
    QTest::newRow("widened") << 500 << 1 << 1400 << 0 << 366;
    // 369 rows are labelled every 46th, the last label on the last row at the right edge.
    QTest::newRow("a label on the last row, wide") << 1400 << 1 << 0 << 0 << 369;
    QTest::newRow("a label on the last row, narrow") << 500 << 1 << 0 << -30 << 369;
    QTest::newRow("a label on the last row, legend") << 1000 << 2 << 0 << -30 << 369;
}

void tst_GraphWindow::dateLabelsFitThePlot() {
    QFETCH(int, width);
    QFETCH(int, seriesCount);
    QFETCH(int, resizedTo);
    QFETCH(int, angle);
    QFETCH(int, days);
    Window w;
    std::vector<std::optional<double>> year(static_cast<size_t>(days));
    for (size_t d = 0; d < year.size(); ++d)
        year[d] = 100 + double(d % 30);
    const auto gauge = [&](int number) {
        return dailySeries(QStringLiteral("%1 KERN RIVER BLW ISABELLA DAM CA").arg(number),
                           "FLOW, CFS", year, QDate(2012, 1, 1));
    };
    w.graph(gauge(1021));
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    w.window->resize(width, 700);
    // Laid out before the next step, as a window the user looks at is.
    QTest::qWait(100);
    for (int s = 1; s < seriesCount; ++s)
        w.graph(gauge(1021 + 20 * s), true);
    if (resizedTo > 0)
        w.window->resize(resizedTo, 700);
    QCOMPARE(w.window->width(), resizedTo > 0 ? resizedTo : width);
    auto* dates = qobject_cast<QCategoryAxis*>(w.chart()->axes(Qt::Horizontal).value(0));
    QVERIFY(dates);
    QVERIFY(dates->count() >= 8);
    QTRY_COMPARE(dates->labelsAngle(), angle);
    // Every label drawn is whole inside the window, the last one at the right edge too.
    QTest::qWait(50);
    QStringList drawn;
    for (QGraphicsItem* item : w.window->chartView()->scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (!text || !text->isVisible() || text->parentItem() == nullptr)
            continue;
        QString label = text->toPlainText();
        label.remove(QChar(0x200b));
        if (!QRegularExpression(QStringLiteral("^\\d\\d [A-Z]{3} ")).match(label).hasMatch())
            continue;
        drawn << label;
        const QRectF box =
            w.window->chartView()->mapFromScene(text->sceneBoundingRect()).boundingRect();
        QVERIFY2(QRectF(w.window->chartView()->viewport()->rect()).contains(box),
                 qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 in a view %6 wide")
                                .arg(label)
                                .arg(box.x())
                                .arg(box.y())
                                .arg(box.width())
                                .arg(box.height())
                                .arg(w.window->chartView()->viewport()->width())));
    }
    QVERIFY(drawn.size() >= 8);
}

void tst_GraphWindow::barLineCycleAnd3d() {
    Window w;
    w.graph(flowSeries());
    QCOMPARE(w.window->options().chartType(), 3);
    w.window->runOption(QStringLiteral("Bar/Line"));
    QCOMPARE(w.series<QBarSeries>().size(), 1);
    QCOMPARE(w.window->options().chartType(), 1);
    w.window->runOption(QStringLiteral("2D/3D"));
    if (!canDraw3d()) {
        QCOMPARE(w.dialogs.messages.size(), 1);
        QVERIFY(w.dialogs.messages[0].contains(QStringLiteral("OpenGL")));
        QCOMPARE(w.window->options().chartType(), 1);
    } else {
        QCOMPARE(w.window->options().chartType(), 0);
        w.window->runOption(QStringLiteral("2D/3D"));
    }
    w.window->runOption(QStringLiteral("Bar/Line"));
    QCOMPARE(w.series<QAreaSeries>().size(), 2);
    QCOMPARE(w.window->options().chartType(), 5);
    w.window->runOption(QStringLiteral("Bar/Line"));
    QCOMPARE(w.series<QLineSeries>().size(), 2);
    QCOMPARE(w.window->options().chartType(), 3);
    if (!canDraw3d())
        QSKIP("3D views need an OpenGL display (run under Xvfb); checked the refusal only");
}

void tst_GraphWindow::threeDFollowsChart() {
    if (!canDraw3d())
        QSKIP("3D views need an OpenGL display (run under Xvfb)");
    Window w;
    w.graph(flowSeries());
    w.window->show();
    w.window->runOption(QStringLiteral("2D/3D"));
    const auto graph3d = [&w]() -> QObject* {
        auto* view = w.window->findChild<QWidget*>(QStringLiteral("MSChart1_3D"));
        return view ? view->property("graph3d").value<QObject*>() : nullptr;
    };
    // A line is a ribbon: a surface whose rows follow the values.
    auto* surface = qobject_cast<Q3DSurface*>(graph3d());
    QVERIFY(surface);
    QCOMPARE(surface->seriesList()[0]->dataProxy()->itemAt(0, 3)->y(), 41.2f);
    w.window->runOption(QStringLiteral("Cumulative"));
    surface = qobject_cast<Q3DSurface*>(graph3d());
    QVERIFY(surface);
    QCOMPARE(surface->seriesList()[0]->dataProxy()->itemAt(0, 4)->y(), 77.4f);
    w.window->runOption(QStringLiteral("Cumulative"));
    w.graph(dailySeries("200 OTHER", "FLOW, CFS", {30.0, 40.0}), true);
    surface = qobject_cast<Q3DSurface*>(graph3d());
    QVERIFY(surface);
    QCOMPARE(surface->seriesList().size(), 2);
    w.window->runOption(QStringLiteral("Bar/Line"));
    auto* bars = qobject_cast<Q3DBars*>(graph3d());
    QVERIFY(bars);
    QCOMPARE(bars->seriesList().size(), 2);
    // An area stands on the floor: its outer rows lie at the bottom of the axis.
    w.window->runOption(QStringLiteral("Bar/Line"));
    surface = qobject_cast<Q3DSurface*>(graph3d());
    QVERIFY(surface);
    QCOMPARE(surface->seriesList()[0]->dataProxy()->itemAt(0, 3)->y(), 0.0f);
    QCOMPARE(surface->seriesList()[0]->dataProxy()->itemAt(1, 3)->y(), 41.2f);

    // Save image draws the 3D view that is shown.
    const QSize size(400, 300);
    w.imageFile = w.folder.filePath(QStringLiteral("chart3d.png"));
    w.window->chartView()->resize(size);
    w.window->runOption(QStringLiteral("Save image"));
    const QImage saved(*w.imageFile);
    const QImage expected =
        renderChart3d(w.window->findChild<QWidget*>(QStringLiteral("MSChart1_3D")), size);
    QCOMPARE(saved.size(), size);
    QCOMPARE(saved.pixelColor(1, 1), expected.pixelColor(1, 1));

    // Closed from its title bar, the window drops the 3D form with the chart.
    w.window->close();
    QVERIFY(!w.window->findChild<QWidget*>(QStringLiteral("MSChart1_3D")));
    QVERIFY(!w.window->options().is3d());
}

void tst_GraphWindow::markersCycle() {
    Window w;
    w.graph(flowSeries());
    QVERIFY(!w.series<QLineSeries>()[0]->pointsVisible());
    w.window->runOption(QStringLiteral("Markers"));
    QVERIFY(w.series<QLineSeries>()[0]->pointsVisible());
    w.window->runOption(QStringLiteral("Markers"));
    QVERIFY(w.series<QLineSeries>().isEmpty());
    QCOMPARE(w.series<QScatterSeries>().size(), 2);
    w.window->runOption(QStringLiteral("Markers"));
    QVERIFY(!w.series<QLineSeries>()[0]->pointsVisible());
    w.window->runOption(QStringLiteral("Markers"));
    QVERIFY(w.series<QLineSeries>()[0]->pointsVisible());
}

void tst_GraphWindow::stackTwiceRestoresTitle() {
    Window w;
    w.graph(flowSeries());
    w.window->runOption(QStringLiteral("Stack"));
    QCOMPARE(w.chart()->title(), QStringLiteral("2 100 GAUGE (STACKED)"));
    w.window->runOption(QStringLiteral("Stack"));
    QCOMPARE(w.chart()->title(), QStringLiteral("2 100 GAUGE"));
    // Stacked bars are one stacked series.
    w.window->runOption(QStringLiteral("Bar/Line"));
    w.window->runOption(QStringLiteral("Stack"));
    QCOMPARE(w.series<QStackedBarSeries>().size(), 1);
}

void tst_GraphWindow::logAndNormalAxis() {
    Window w;
    w.graph(flowSeries());
    w.graph(dailySeries("200 OTHER", "FLOW, CFS", {300.0, 400.0}), true);
    auto* list = w.window->findChild<QListWidget*>(QStringLiteral("List1"));
    w.window->runOption(QStringLiteral("Log Yaxis"));
    QCOMPARE(list->item(4)->text(), QStringLiteral("Normal Yaxis"));
    QVERIFY(qobject_cast<QLogValueAxis*>(w.chart()->axes(Qt::Vertical).value(0)));
    w.window->runOption(QStringLiteral("Normal Yaxis"));
    QCOMPARE(list->item(4)->text(), QStringLiteral("Log Yaxis"));
    // Back to the first series' scale, although a larger series was added.
    QCOMPARE(w.yAxis()->min(), 0.0);
    QCOMPARE(w.yAxis()->max(), 45.0);
}

void tst_GraphWindow::y2Axis_data() {
    QTest::addColumn<int>("barLine");
    QTest::newRow("line") << 0;
    QTest::newRow("bar") << 1;
    QTest::newRow("area") << 2;
}

void tst_GraphWindow::y2Axis() {
    QFETCH(int, barLine);
    Window w;
    w.graph(flowSeries());
    for (int i = 0; i < barLine; ++i)
        w.window->runOption(QStringLiteral("Bar/Line"));
    w.window->runOption(QStringLiteral("Y2 axis"));
    QCOMPARE(w.chart()->axes(Qt::Vertical).size(), 1);
    w.graph(dailySeries("200 OTHER", "STAGE, FT", {0.0, 100.0}), true);
    QVERIFY(w.chart()->title().isEmpty());
    QVERIFY(w.chart()->legend()->isVisible());
    QCOMPARE(w.yAxis()->max(), 100.0);
    w.window->runOption(QStringLiteral("Y2 axis"));
    const auto vertical = w.chart()->axes(Qt::Vertical);
    QCOMPARE(vertical.size(), 2);
    auto* y2 = qobject_cast<QValueAxis*>(w.chart()->axes(Qt::Vertical).value(1));
    QCOMPARE(y2->titleText(), QStringLiteral("DAILY STAGE, FT"));
    QCOMPARE(y2->max(), 120.0);
    QCOMPARE(y2->titleBrush().color(), QColor(0, 255, 0));
    QCOMPARE(w.yAxis()->titleBrush().color(), QColor(255, 0, 0));
    QCOMPARE(w.yAxis()->max(), 45.0);
    QList<QAbstractSeries*> onY2;
    for (QAbstractSeries* s : w.chart()->series())
        if (s->attachedAxes().contains(y2))
            onY2 << s;
    QCOMPARE(onY2.size(), 1);
    QCOMPARE(onY2[0]->property("column").toInt(), 1);
    if (auto* bars = qobject_cast<QAbstractBarSeries*>(onY2[0])) {
        // The stage bars are a series of their own, beside the flow bars.
        QCOMPARE(bars->barSets().size(), 1);
        QCOMPARE(bars->barSets()[0]->at(1), 100.0);
        QCOMPARE(w.series<QAbstractBarSeries>().size(), 2);
    }
    w.window->runOption(QStringLiteral("Y2 axis"));
    QCOMPARE(w.chart()->axes(Qt::Vertical).size(), 1);
    QCOMPARE(w.yAxis()->titleBrush().color(), QColor(0, 0, 0));
    QCOMPARE(w.yAxis()->max(), 100.0);
}

void tst_GraphWindow::failedRebuildRedrawsLater() {
    Window w;
    w.graph(dailySeries("100 GAUGE", "FLOW, CFS", {9e307, 9.5e307}));
    w.graph(dailySeries("200 GAUGE", "FLOW, CFS", {9e307, 9.5e307}), true);
    // Stacked, the values pass the largest number: that chart cannot be drawn.
    w.window->runOption(QStringLiteral("Stack"));
    QCOMPARE(w.dialogs.messages.size(), 1);
    QVERIFY(w.dialogs.messages[0].contains(QStringLiteral("cannot be scaled")));
    w.window->runOption(QStringLiteral("Stack"));
    w.window->runOption(QStringLiteral("Bar/Line"));
    QCOMPARE(w.series<QBarSeries>().size(), 1);
}

void tst_GraphWindow::cumulative() {
    Window w;
    w.graph(flowSeries());
    w.window->runOption(QStringLiteral("Cumulative"));
    QVERIFY(w.session.cumulative);
    QCOMPARE(w.window->model().value(4, 0), 77.4);
    QCOMPARE(w.yAxis()->max(), 80.0);
    w.window->runOption(QStringLiteral("Cumulative"));
    QVERIFY(!w.session.cumulative);
    QCOMPARE(w.window->model().value(4, 0), 20.0);
}

void tst_GraphWindow::closeHidesAndShowsDialog() {
    Window w;
    w.graph(flowSeries());
    w.window->runOption(QStringLiteral("Close"));
    QVERIFY(!w.window->isVisible());
    QCOMPARE(w.graphTableShown, 1);
    QCOMPARE(w.session.seriesCount, 1);
    // A later "Add series" adds to the hidden chart.
    w.graph(flowSeries(), true);
    QCOMPARE(w.session.seriesCount, 2);
    w.window->close();
    QCOMPARE(w.session.seriesCount, 0);
    QCOMPARE(w.window->model().seriesCount(), 0);
}

void tst_GraphWindow::toolTip() {
    Window w;
    w.graph(flowSeries());
    w.window->resize(800, 600);
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    auto* view = w.window->chartView();
    QLineSeries* first = w.series<QLineSeries>()[0];
    const QPoint at = view->mapFromScene(w.chart()->mapToPosition(QPointF(1, 12.5), first));
    QTest::mouseMove(view->viewport(), at);
    QTRY_COMPARE(view->toolTip(), QStringLiteral("12.5, 02 MAR 1999"));
    w.window->runOption(QStringLiteral("Log Yaxis"));
    view->setToolTip({});
    QTest::mouseMove(view->viewport(), at + QPoint(1, 0));
    QTest::qWait(50);
    QVERIFY(view->toolTip().isEmpty());
}

void tst_GraphWindow::wholeChartRepainted_data() {
    QTest::addColumn<QString>("change");
    for (const char* option :
         {"Markers", "Bar/Line", "Stack", "Cumulative", "Log Yaxis", "Y2 axis", "Reset zoom"})
        QTest::newRow(option) << QString::fromLatin1(option);
    QTest::newRow("wheel zoom") << "wheel";
}

void tst_GraphWindow::wholeChartRepainted() {
    QFETCH(QString, change);
    Window w;
    w.graph(flowSeries());
    w.graph(dailySeries("200 OTHER", "FLOW, CFS", {30.0, 40.0, 35.0, 20.0, 10.0}), true);
    w.window->showNormal();
    w.window->resize(800, 600);
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QWidget* viewport = w.window->chartView()->viewport();
    const auto wheel = [&] {
        const QPointF at = viewport->rect().center();
        QWheelEvent event(at, viewport->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    };
    if (change == QLatin1String("Reset zoom"))
        wheel();
    QTest::qWait(200);
    PaintWatcher watcher(viewport);
    if (change == QLatin1String("wheel"))
        wheel();
    else
        w.window->runOption(change);
    // The whole chart, not only the part the options list covered.
    QTRY_VERIFY2(watcher.wholePainted(), qPrintable(change));
    QCOMPARE(w.dialogs.messages, QStringList());
}

void tst_GraphWindow::toolTipShowsWhenThePointerRests_data() {
    QTest::addColumn<int>("barLine"); // "Bar/Line" clicks: 0 lines, 1 bars, 2 areas
    QTest::newRow("line") << 0;
    QTest::newRow("bar") << 1;
    QTest::newRow("area") << 2;
}

void tst_GraphWindow::toolTipShowsWhenThePointerRests() {
    QFETCH(int, barLine);
    Window w;
    w.graph(flowSeries());
    for (int i = 0; i < barLine; ++i)
        w.window->runOption(QStringLiteral("Bar/Line"));
    w.window->showNormal();
    w.window->resize(800, 600);
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QTest::qWait(100);
    auto* view = w.window->chartView();
    QAbstractSeries* first = w.chart()->series().value(0);
    QVERIFY(first);
    const QPoint at = view->mapFromScene(w.chart()->mapToScene(
                          w.chart()->mapToPosition(QPointF(1, 12.5), first))) +
                      QPoint(0, barLine == 1 ? 3 : 0);
    QTest::mouseMove(view->viewport(), at);
    QHelpEvent rest(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &rest);
    QTRY_VERIFY(QToolTip::isVisible());
    // While the pointer rests, the tip stays.
    QTest::qWait(700);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("12.5, 02 MAR 1999"));
    // Away from the data the tip goes.
    const QPoint away(2, 2);
    QTest::mouseMove(view->viewport(), away);
    QHelpEvent restAway(QEvent::ToolTip, away, view->viewport()->mapToGlobal(away));
    QApplication::sendEvent(view->viewport(), &restAway);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void tst_GraphWindow::escapeDoesWhatCloseDoes() {
    Window w;
    w.graph(flowSeries());
    w.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    QTest::keyClick(w.window->chartView(), Qt::Key_Escape);
    QTRY_VERIFY(!w.window->isVisible());
    QCOMPARE(w.graphTableShown, 1);
    // Hidden as "Close" hides it: the chart stays for the next GRAPH.
    QCOMPARE(w.window->model().seriesCount(), 1);
}

void tst_GraphWindow::pictureOption_data() {
    QTest::addColumn<bool>("withPicture");
    QTest::addColumn<QList<std::optional<quint32>>>("colors");
    QTest::addColumn<QString>("line2");
    QTest::addColumn<int>("style");
    QTest::newRow("red and blue") << false << QList<std::optional<quint32>>{255u, 16711680u}
                                  << " 255 ; 16711680 " << 2;
    QTest::newRow("second colour cancelled")
        << false << QList<std::optional<quint32>>{255u, std::nullopt} << "" << 1;
    QTest::newRow("first colour cancelled")
        << false << QList<std::optional<quint32>>{std::nullopt} << "" << 1;
    QTest::newRow("picture") << true << QList<std::optional<quint32>>{} << "PICTURE" << 1;
}

void tst_GraphWindow::pictureOption() {
    QFETCH(bool, withPicture);
    QFETCH(QList<std::optional<quint32>>, colors);
    QFETCH(QString, line2);
    QFETCH(int, style);
    Window w("Data Source=old\r\n");
    w.graph(flowSeries());
    QString picturePath;
    if (withPicture) {
        QImage tile(4, 4, QImage::Format_RGB32);
        tile.fill(Qt::green);
        picturePath = w.folder.filePath(QStringLiteral("tile.png"));
        QVERIFY(tile.save(picturePath));
        w.picture = picturePath;
        line2 = picturePath;
    }
    w.colors = colors;
    w.window->runOption(QStringLiteral("Picture"));
    QWidget* viewport = w.window->chartView()->viewport();
    QCOMPARE(viewport->property("MyStyle").toInt(), style);
    if (line2.isEmpty()) {
        QCOMPARE(w.settingsText(), QStringLiteral("Data Source=old\r\n"));
    } else {
        QCOMPARE(w.settingsText(),
                 QStringLiteral("Data Source=hdb.sqlite\r\n") + line2 + QStringLiteral("\r\n"));
    }
    QCOMPARE(w.dialogs.messages.contains(QStringLiteral("Select 2 colors for background...")),
             !withPicture);
    if (style == 2) {
        QCOMPARE(QRgb(viewport->property("MyGradientColor1").toUInt()), qRgb(255, 0, 0));
        QCOMPARE(QRgb(viewport->property("MyGradientColor2").toUInt()), qRgb(0, 0, 255));
        // The next window reads the colours back from the settings file.
        Window again(w.settingsText().toLatin1());
        QWidget* v = again.window->chartView()->viewport();
        QCOMPARE(v->property("MyStyle").toInt(), 2);
        QCOMPARE(QRgb(v->property("MyGradientColor2").toUInt()), qRgb(0, 0, 255));
    }
}

void tst_GraphWindow::missingPictureAtLoad() {
    Window w("Data Source=x\r\n/nowhere/sky.png\r\n");
    QCOMPARE(w.dialogs.messages,
             QStringList{QStringLiteral("Chart picture file not found:  /nowhere/sky.png")});
    QCOMPARE(w.window->chartView()->viewport()->property("Hooked").toInt(), 0);
}

void tst_GraphWindow::backdropPixels() {
    QWidget widget;
    widget.resize(40, 30);
    widget.setAutoFillBackground(true);
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(buttonFaceColor()));
    widget.setPalette(palette);
    auto* mark = new QWidget(&widget);
    mark->setGeometry(10, 10, 5, 5);
    mark->setAutoFillBackground(true);
    QPalette markPalette = mark->palette();
    const QRgb oneOff = buttonFaceColor() ^ 1u;
    markPalette.setColor(QPalette::Window, QColor::fromRgb(oneOff));
    mark->setPalette(markPalette);
    setBackdropStyle(&widget, 2);
    setGradientDirection(&widget, 1);
    setGradientColor1(&widget, 255);
    setGradientColor2(&widget, 255);
    hookBackdrop(&widget);
    hookBackdrop(&widget);
    QCOMPARE(widget.findChildren<BackdropPainter*>().size(), 1);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    // The widget's picture is taken after a paint and shown on the next.
    QTRY_COMPARE(widget.grab().toImage().pixel(2, 2), qRgb(255, 0, 0));
    QCOMPARE(widget.grab().toImage().pixel(12, 12), oneOff);

    // The chart: its button-face background shows the backdrop, its lines do not.
    Window w;
    w.graph(flowSeries());
    w.window->resize(600, 400);
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QWidget* viewport = w.window->chartView()->viewport();
    setBackdropStyle(viewport, 2);
    setGradientColor1(viewport, 255);
    setGradientColor2(viewport, 255);
    const QImage chart = viewport->grab().toImage();
    QCOMPARE(chart.pixel(3, 3), qRgb(255, 0, 0));
    int other = 0;
    for (int y = 0; y < chart.height(); y += 3)
        for (int x = 0; x < chart.width(); x += 3)
            other += chart.pixel(x, y) != qRgb(255, 0, 0);
    QVERIFY(other > 100);
}

void tst_GraphWindow::printWithoutPrinter_data() {
    QTest::addColumn<bool>("hasPrinter");
    QTest::addColumn<QString>("answer");  // the PDF file dialog's answer, DIR for the folder
    QTest::addColumn<QString>("written"); // the PDF there afterwards; empty: none
    QTest::addColumn<QString>("message");
    QTest::newRow("no printer: saved as PDF") << false << "DIR/flow.pdf"
                                              << "DIR/flow.pdf"
                                              << "";
    QTest::newRow("no printer: the suffix added") << false << "DIR/flow"
                                                  << "DIR/flow.pdf"
                                                  << "";
    QTest::newRow("no printer: cancelled") << false << ""
                                           << ""
                                           << "";
    QTest::newRow("no printer: a folder that is not there") << false << "DIR/missing/flow.pdf"
                                                            << ""
                                                            << "DIR/missing/flow.pdf";
    QTest::newRow("a printer that cannot start is reported") << true << ""
                                                             << ""
                                                             << "cannot be started";
}

void tst_GraphWindow::printWithoutPrinter() {
    QFETCH(bool, hasPrinter);
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QFETCH(QString, message);
    Window w;
    w.graph(flowSeries());
    QTemporaryDir out;
    w.hasPrinter = hasPrinter;
    w.pdfAnswer = answer.replace("DIR", out.path());
    w.printer = [&out] {
        auto printer = std::make_unique<QPrinter>();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(out.filePath("missing/printer.pdf"));
        return printer;
    };
    w.window->runOption(ChartOption::Print);
    auto* printers = w.window->findChild<QListWidget*>("ListPrinters");
    QVERIFY(printers && printers->isVisible());
    emit printers->itemClicked(printers->item(0));

    QCOMPARE(w.pdfAsked,
             hasPrinter ? QStringList() : QStringList({noPrinterTitle(), "2 100 GAUGE.pdf"}));
    QCOMPARE(w.dialogs.messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(w.dialogs.messages[0].contains(message.replace("DIR", out.path())),
                 qPrintable(w.dialogs.messages[0]));
    written.replace("DIR", out.path());
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
             written.isEmpty() ? QStringList() : QStringList{QFileInfo(written).fileName()});
    if (written.isEmpty())
        return;
    QByteArray bytes;
    const QString problem = rp::test::pdfProblem(written, &bytes);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(bytes.contains("/Image"));
}

void tst_GraphWindow::printOnPdf() {
    Window w;
    w.graph(flowSeries());
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("chart.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    w.window->printOn(printer);
    QVERIFY(QFileInfo(pdf).size() > 1000);
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
}

void tst_GraphWindow::longSeriesIsReduced() {
    QStringList lines;
    const QDateTime start(QDate(2010, 1, 1), QTime(0, 0));
    lines.reserve(35064);
    for (int i = 0; i < 35064; ++i)
        lines << QLocale::c().toString(start.addSecs(i * 900LL),
                                       QStringLiteral("dd MMM yyyy hh:mm ")) +
                     QString::number(i == 20000 ? 5000 : i % 97);
    Window w;
    w.session.valuesPerDay = 96;
    w.graph(rp::test::seriesText("4 100 GAUGE", "UNIT VALUES FLOW, CFS", lines));
    QCOMPARE(w.window->model().rowCount(), 35064);
    qsizetype points = 0;
    qreal peak = 0;
    for (QLineSeries* s : w.series<QLineSeries>()) {
        points += s->count();
        for (const QPointF& p : s->points())
            peak = std::max(peak, p.y());
    }
    QVERIFY2(points < 10000, qPrintable(QString::number(points)));
    QCOMPARE(peak, 5000.0);
}

void tst_GraphWindow::runnerMakesOneWindow() {
    QTemporaryDir folder;
    AppPaths::setProgramFolder(folder.path());
    QWidget owner;
    RecordingDialogs dialogs;
    GraphWindowServices services;
    services.dialogs = &dialogs;
    int seriesCount = -1;
    std::function<void(const QString&, bool)> graph = GraphWindowRunner(
        &owner, services, [] { return 0; }, [&](int count, bool) { seriesCount = count; });
    const QString path = folder.filePath(QStringLiteral("lastout.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(flowSeries());
    f.close();
    graph(path, false);
    // A copy, as the dialog keeps one, draws on the same window.
    const std::function<void(const QString&, bool)> copy = graph;
    copy(path, true);
    QCOMPARE(seriesCount, 2);
    const auto windows = owner.findChildren<GraphWindow*>();
    QCOMPARE(windows.size(), 1);
    QVERIFY(windows[0]->isWindow());
    graph(path, false);
    QCOMPARE(seriesCount, 1);
    AppPaths::setProgramFolder({});
}

void tst_GraphWindow::saveImage_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("png") << "chart.png" << QByteArray("\x89PNG");
    QTest::newRow("svg, whatever the case of the suffix") << "chart.SVG" << QByteArray("<?xml");
    QTest::newRow("pdf") << "chart.pdf" << QByteArray("%PDF-");
    QTest::newRow("cancelled") << "" << QByteArray();
}

void tst_GraphWindow::saveImage() {
    QFETCH(QString, name);
    QFETCH(QByteArray, start);
    Window w;
    w.graph(flowSeries());
    w.window->resize(800, 500);
    const QSize viewSize = w.window->chartView()->size();
    if (!name.isEmpty())
        w.imageFile = w.folder.filePath(name);
    w.window->runOption(QStringLiteral("Save image"));
    QFile f(w.folder.filePath(name.isEmpty() ? QStringLiteral("chart.png") : name));
    QCOMPARE(f.exists(), !name.isEmpty());
    if (!name.isEmpty()) {
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(start.size()), start);
    }
    // The window shows its chart as before.
    QCOMPARE(w.window->chartView()->size(), viewSize);
    QVERIFY(w.chart()->isBackgroundVisible());
    QVERIFY(w.dialogs.messages.isEmpty());
}

QTEST_MAIN(tst_GraphWindow)
#include "tst_GraphWindow.moc"
