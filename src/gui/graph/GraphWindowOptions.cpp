#include "gui/graph/GraphWindow.h"

#include "core/base/Error.h"
#include "core/chart/ChartLine.h"
#include "core/settings/AppPaths.h"
#include "core/settings/SettingsFile.h"
#include "gui/graph/BackdropPainter.h"
#include "gui/graph/Chart3dView.h"
#include "gui/graph/ChartView.h"

#include <QChart>
#include <QFileInfo>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace rp {

void GraphWindow::runOption(const QString& item) {
    try {
        if (item == u"Markers") {
            m_options.markers();
        } else if (item == u"Bar/Line") {
            m_options.barLine();
        } else if (item == u"Stack") {
            m_options.stack(m_model);
        } else if (item == u"Cumulative") {
            totalit();
            return;
        } else if (item == u"Log Yaxis" || item == u"Normal Yaxis") {
            m_list1->item(4)->setText(QString::fromLatin1(m_options.logYaxis(m_model)));
        } else if (item == u"Y2 axis") {
            m_options.y2Axis(m_model);
        } else if (item == u"2D/3D") {
            toggle3d();
            return;
        } else if (item == u"Picture") {
            choosePicture();
            return;
        } else if (item == u"Print") {
            startPrint();
            return;
        } else if (item == u"Close") {
            hide();
            if (m_services.showGraphTable)
                m_services.showGraphTable();
            return;
        } else if (item == u"Reset zoom") {
            m_zoom.reset();
        } else if (item == u"Save image") {
            saveImage();
            return;
        }
        if (m_view3d) {
            // The 3D form follows the family and data too.
            delete m_view3d;
            m_view3d = createChart3d(m_model, m_options, this);
            m_view3d->setGeometry(m_chartView->geometry());
            m_view3d->show();
        }
        rebuild();
    } catch (const Error& e) {
        message(e.message());
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
    if (m_options.is3d()) {
        m_view3d = createChart3d(m_model, m_options, this);
        m_view3d->setGeometry(m_chartView->geometry());
        m_view3d->show();
    }
    m_chartView->setVisible(!m_options.is3d());
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
}

void GraphWindow::printOn(QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer))
        return; // printing reports nothing; the window stays as it was
    const QRect page = painter.viewport();
    const QImage image = renderImage(page.size().scaled(size() * 2, Qt::KeepAspectRatio));
    painter.drawImage(page, image);
    painter.end();
    printer.setPageOrientation(QPageLayout::Portrait);
}

} // namespace rp
