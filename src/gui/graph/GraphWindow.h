#pragma once

#include "core/chart/ChartModel.h"
#include "core/chart/ChartOptions.h"
#include "gui/graph/ChartBuilder.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QListWidget;
class QPainter;
class QListWidgetItem;
class QPrinter;
QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

namespace rp {

class ChartView;
class UserDialogs;

// What the graph window asks of the rest of the program, replaceable in tests;
// fillGraphDesktopServices() supplies the desktop's dialogs.
struct GraphWindowServices {
    UserDialogs* dialogs = nullptr; // message boxes; the desktop's when null
    // The picture file dialog; nothing on cancel.
    std::function<std::optional<QString>(QWidget* parent)> choosePicture;
    // The colour dialog: a colour with red in the low byte; nothing on cancel.
    std::function<std::optional<quint32>(QWidget* parent)> chooseColor;
    // Where "Save image" writes; nothing on cancel.
    std::function<std::optional<QString>(QWidget* parent)> chooseImageFile;
    // The printer of that name ("Default Printer" for the system's default).
    std::function<std::unique_ptr<QPrinter>(const QString& name)> printer;
    // Whether the system has a printer; without one, Print offers to save the chart as PDF.
    std::function<bool()> printerInstalled;
    // The file dialog of that offer: title and suggested path in, the chosen path out (empty on
    // cancel).
    std::function<QString(QWidget* parent, const QString& title, const QString& suggestedPath)>
        askNewFile;
    // The connection string written back as line 1 of the settings file; when empty, line 1
    // stays as the file has it.
    std::function<QString()> connectionString;
    // "Close" shows the Graph/Table dialog again.
    std::function<void()> showGraphTable;
    // Whether 3D views can be drawn (an OpenGL context); checked when empty.
    std::function<bool()> has3d;
    // Whether the window keeps its place in the program folder across runs; the command line
    // writes nothing there.
    bool keepsGeometry = true;
};

// The graph window: one or more series files as a chart, with the options list that pops up on a
// right click.
class GraphWindow : public QWidget {
    Q_OBJECT
public:
    explicit GraphWindow(GraphWindowServices services = {}, QWidget* parent = nullptr);
    ~GraphWindow() override;

    // GRAPH: draws the series file as a new chart, or adds it as a further series when asked and
    // a chart is shown; `valuesPerDay` spaces the labels of unit series (negative: counted from
    // the file). Throws rp::Error; the chart keeps what it showed.
    void loadSeriesFile(const QString& path, bool addSeries, int valuesPerDay = 0);
    // Toggles the cumulative display.
    void totalit();
    // Runs the option of the options list named `item`; nothing for other texts.
    void runOption(const QString& item);
    void runOption(ChartOption option);
    // The window's image rendered at `size` (the chart as printed or saved).
    QImage renderImage(QSize size);
    // Saves the chart drawn at `size` as a PNG or SVG picture or a PDF page, by the file's
    // suffix. Throws rp::Error when the file cannot be written.
    void savePicture(const QString& path, QSize size);
    static bool isPictureFile(const QString& path);
    // Prints the chart on `printer`, landscape. Throws rp::Error when the printer cannot start.
    void printOn(QPrinter& printer);

    const ChartModel& model() const { return m_model; }
    const ChartOptions& options() const { return m_options; }
    QChart* chart() const;
    ChartView* chartView() const { return m_chartView; }
    static QStringList optionItems();

signals:
    // The series count or the cumulative flag changed (both 0 once the window is closed).
    void chartStateChanged(int seriesCount, bool cumulative);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void loadBackdrop();
    void applyBackdrop(const QString& chartLine);
    void rebuild();
    void pointerMoved(QPoint pos);
    // The value and date of the data point under the pointer, or nothing.
    QString tipAt(QPoint pos) const;
    void chartReleased(QPoint pos, bool right);
    void itemClicked(QListWidgetItem* item);
    void choosePicture();
    void startPrint();
    void printerChosen(QListWidgetItem* item);
    void saveImage();
    void renderChart(QPainter& painter, QSize size, bool overBackdrop = false);
    void toggle3d();
    void showLogCaption();
    // The 3D form again from the chart as it is now, while it is shown.
    void refresh3d();
    void announceState();
    void message(const QString& text);
    void rememberGeometry();

    GraphWindowServices m_services;
    ChartModel m_model;
    ChartOptions m_options;
    ChartView* m_chartView = nullptr;
    QListWidget* m_list1 = nullptr;
    QListWidget* m_listPrinters = nullptr;
    QWidget* m_view3d = nullptr;
    QImage m_image1; // the picture behind the chart
    std::optional<VisibleRows> m_zoom;
    bool m_building = false;
};

} // namespace rp
