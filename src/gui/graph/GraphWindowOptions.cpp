#include "gui/graph/GraphWindow.h"

#include "core/base/Error.h"
#include "core/chart/ChartLine.h"
#include "core/settings/AppPaths.h"
#include "core/settings/SettingsFile.h"
#include "gui/graph/BackdropPainter.h"
#include "gui/graph/Chart3dView.h"
#include "gui/graph/ChartView.h"
#include "gui/widgets/PdfFallback.h"

#include <QChart>
#include <QFileInfo>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace rp {

void GraphWindow::runOption(const QString& item) {
    if (const std::optional<ChartOption> option = chartOptionOfCaption(item))
        runOption(*option);
}

void GraphWindow::runOption(ChartOption option) {
    try {
        switch (option) {
        case ChartOption::Markers:
            m_options.markers();
            break;
        case ChartOption::BarLine:
            m_options.barLine();
            break;
        case ChartOption::Stack:
            m_options.stack(m_model);
            break;
        case ChartOption::Cumulative:
            totalit();
            return;
        case ChartOption::LogYaxis:
            m_options.logYaxis(m_model);
            showLogCaption();
            break;
        case ChartOption::Y2Axis:
            m_options.y2Axis(m_model);
            break;
        case ChartOption::Toggle3d:
            toggle3d();
            return;
        case ChartOption::Picture:
            choosePicture();
            return;
        case ChartOption::Print:
            startPrint();
            return;
        case ChartOption::Close:
            hide();
            if (m_services.showGraphTable)
                m_services.showGraphTable();
            return;
        case ChartOption::ResetZoom:
            m_zoom.reset();
            break;
        case ChartOption::SaveImage:
            saveImage();
            return;
        }
        rebuild();
        refresh3d();
    } catch (const Error& e) {
        message(e.message());
    }
}

void GraphWindow::showLogCaption() {
    for (int row = 0; row < m_list1->count(); ++row) {
        QListWidgetItem* item = m_list1->item(row);
        if (ChartOption(item->data(Qt::UserRole).toInt()) == ChartOption::LogYaxis)
            item->setText(chartOptionCaption(ChartOption::LogYaxis, m_model.yAxis.logarithmic));
    }
}

void GraphWindow::toggle3d() {
    const bool has3d = m_services.has3d ? m_services.has3d() : canDraw3d();
    if (!m_options.is3d() && !has3d) {
        message(QStringLiteral("3D charts need an OpenGL display, which this session does not "
                               "offer. The chart stays 2D."));
        return;
    }
    m_options.toggle3d();
    delete m_view3d;
    m_view3d = nullptr;
    refresh3d();
    m_chartView->setVisible(!m_options.is3d());
}

void GraphWindow::refresh3d() {
    if (!m_options.is3d())
        return;
    delete m_view3d;
    m_view3d = createChart3d(m_model, m_options, this);
    m_view3d->setGeometry(m_chartView->geometry());
    m_view3d->show();
}

void GraphWindow::choosePicture() {
    const std::optional<QString> path =
        m_services.choosePicture ? m_services.choosePicture(this) : std::nullopt;
    const QString settingsPath = AppPaths::settingsFilePath();
    SettingsFile settings;
    if (m_services.connectionString)
        settings.connectionString = m_services.connectionString();
    else if (QFileInfo::exists(settingsPath))
        settings.connectionString = SettingsFile::read(settingsPath).connectionString;
    settings.hasBackdrop = true;
    QWidget* target = m_chartView->viewport();
    if (path) {
        QImage picture;
        if (!picture.load(*path))
            throw Error(QStringLiteral("The picture %1 cannot be loaded.").arg(*path));
        m_image1 = picture;
        setBackdropStyle(target, 1);
        setBackdropPicture(target, m_image1);
        hookBackdrop(target);
        m_chartView->hide();
        m_chartView->setVisible(!m_options.is3d());
        settings.backdrop = *path;
        settings.write(settingsPath);
        return;
    }
    message(QStringLiteral("Select 2 colors for background..."));
    if (!m_services.chooseColor)
        return;
    const std::optional<quint32> first = m_services.chooseColor(this);
    if (!first)
        return;
    const std::optional<quint32> second = m_services.chooseColor(this);
    if (!second)
        return;
    m_image1 = QImage();
    setBackdropStyle(target, 2);
    setGradientDirection(target, 1);
    setGradientColor1(target, *first);
    setGradientColor2(target, *second);
    hookBackdrop(target);
    settings.backdrop = ChartLine::gradientText(*first, *second);
    settings.write(settingsPath);
}

void GraphWindow::startPrint() {
    m_listPrinters->move(m_list1->pos());
    m_listPrinters->clearSelection();
    m_listPrinters->show();
    m_listPrinters->raise();
}

void GraphWindow::printerChosen(QListWidgetItem* item) {
    m_listPrinters->hide();
    if (!item)
        return;
    try {
        if (m_services.printerInstalled && !m_services.printerInstalled()) {
            const AskNewFile ask = [this](const QString& title, const QString& suggested) {
                return m_services.askNewFile ? m_services.askNewFile(this, title, suggested)
                                             : QString();
            };
            const QString name = m_model.title.isEmpty() && m_model.seriesCount() > 0
                                     ? m_model.columnLabel(0)
                                     : m_model.title;
            if (const std::optional<QString> pdf = choosePdfFile(ask, name))
                savePicture(*pdf, m_chartView->size());
            return;
        }
        std::unique_ptr<QPrinter> printer;
        if (m_services.printer) {
            printer = m_services.printer(item->text());
        } else {
            // "Default Printer" names no printer, so the system's default stays.
            printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            const QPrinterInfo info = QPrinterInfo::printerInfo(item->text());
            if (!info.isNull())
                printer->setPrinterName(info.printerName());
        }
        if (printer)
            printOn(*printer);
    } catch (const Error& e) {
        message(e.message());
    }
}

void GraphWindow::printOn(QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer)) {
        printer.setPageOrientation(QPageLayout::Portrait);
        throw Error(QStringLiteral("The printer %1 cannot be started.")
                        .arg(printer.printerName().isEmpty() ? QStringLiteral("(default)")
                                                             : printer.printerName()));
    }
    const QRect page = painter.viewport();
    const QImage image = renderImage(page.size().scaled(size() * 2, Qt::KeepAspectRatio));
    painter.drawImage(page, image);
    painter.end();
    printer.setPageOrientation(QPageLayout::Portrait);
}

} // namespace rp
