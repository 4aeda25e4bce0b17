#include "gui/graph/GraphWindow.h"

#include "core/base/Error.h"
#include "core/base/SaveFile.h"
#include "gui/graph/BackdropPainter.h"
#include "gui/graph/Chart3dView.h"
#include "gui/graph/ChartView.h"

#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace rp {

namespace {

enum class PictureKind { Png, Pdf, Svg };

std::optional<PictureKind> pictureKind(const QString& path) {
    if (path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        return PictureKind::Png;
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return PictureKind::Pdf;
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        return PictureKind::Svg;
    return std::nullopt;
}

} // namespace

bool GraphWindow::isPictureFile(const QString& path) {
    return pictureKind(path).has_value();
}

void GraphWindow::renderChart(QPainter& painter, QSize size, bool overBackdrop) {
    if (m_view3d) {
        // The 3D form is what the window shows.
        painter.drawImage(QRect(QPoint(), size), renderChart3d(m_view3d, size));
        return;
    }
    // Drawn at the picture's size: the chart lays itself out for it as the window would.
    const QSize old = m_chartView->size();
    m_chartView->resize(size);
    rebuild();
    const QBrush viewBrush = m_chartView->backgroundBrush();
    if (overBackdrop) {
        // What shows button face in the window shows the backdrop already painted underneath.
        chart()->setBackgroundVisible(false);
        m_chartView->setBackgroundBrush(Qt::NoBrush);
    } else {
        painter.fillRect(QRect(QPoint(), size), buttonFaceColor());
    }
    m_chartView->render(&painter, QRectF(QPointF(), size));
    chart()->setBackgroundVisible(true);
    m_chartView->setBackgroundBrush(viewBrush);
    m_chartView->resize(old);
    rebuild();
}

QImage GraphWindow::renderImage(QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    {
        QPainter painter(&image);
        renderChart(painter, size);
    }
    // A window never shown paints no backdrop of its own: put it in here.
    const BackdropSettings backdrop = BackdropPainter::settingsOf(m_chartView->viewport());
    if (backdrop.style == BackdropStyle::None)
        return image;
    return compositeBackdrop(image, paintBackdrop(backdrop, size), buttonFaceColor());
}

void GraphWindow::savePicture(const QString& path, QSize size) {
    const auto kind = pictureKind(path);
    if (!kind)
        throw Error(QStringLiteral("%1 is not a .png, .pdf or .svg file.").arg(path));
    const auto cannot = [&path] {
        return Error(QStringLiteral("The chart cannot be saved as %1.").arg(path));
    };
    // Drawn beside the previous picture, which a failure leaves as it was.
    SaveFile file(path);
    QIODevice& device = file.device();
    switch (*kind) {
    case PictureKind::Png:
        if (!renderImage(size).save(&device, "PNG"))
            throw cannot();
        break;
    case PictureKind::Pdf: {
        QPdfWriter writer(&device);
        writer.setPageOrientation(QPageLayout::Landscape);
        QPainter painter;
        if (!painter.begin(&writer))
            throw cannot();
        const QRect page = painter.viewport();
        painter.drawImage(QRect(page.topLeft(), size.scaled(page.size(), Qt::KeepAspectRatio)),
                          renderImage(size));
        break;
    }
    case PictureKind::Svg: {
        QSvgGenerator generator;
        generator.setOutputDevice(&device);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(), size));
        generator.setTitle(m_model.title);
        QPainter painter;
        if (!painter.begin(&generator))
            throw cannot();
        // Lines and texts stay vectors; a backdrop goes underneath as an image.
        const BackdropSettings backdrop = BackdropPainter::settingsOf(m_chartView->viewport());
        const bool overBackdrop = backdrop.style != BackdropStyle::None;
        if (overBackdrop)
            painter.drawImage(QPoint(), paintBackdrop(backdrop, size));
        renderChart(painter, size, overBackdrop);
        if (!painter.end())
            throw cannot();
        break;
    }
    }
    file.commit();
}

void GraphWindow::saveImage() {
    const std::optional<QString> path =
        m_services.chooseImageFile ? m_services.chooseImageFile(this) : std::nullopt;
    if (path)
        savePicture(*path, m_chartView->size());
}

} // namespace rp
