#include "gui/graph/GraphDesktopServices.h"

#include "core/chart/Backdrop.h"
#include "gui/graph/GraphWindow.h"
#include "gui/widgets/PdfFallback.h"

#include <QColorDialog>
#include <QFileDialog>

namespace rp {

void fillGraphDesktopServices(GraphWindowServices& services) {
    if (!services.choosePicture)
        services.choosePicture = [](QWidget* parent) -> std::optional<QString> {
            const QString path = QFileDialog::getOpenFileName(
                parent, QStringLiteral("Picture Filname"), QString(), QStringLiteral("*.*"));
            if (path.trimmed().isEmpty())
                return std::nullopt;
            return path.trimmed();
        };
    if (!services.chooseColor)
        services.chooseColor = [](QWidget* parent) -> std::optional<quint32> {
            const QColor color = QColorDialog::getColor(Qt::white, parent);
            if (!color.isValid())
                return std::nullopt;
            return colorRefFromColor(color.rgb());
        };
    if (!services.chooseImageFile)
        services.chooseImageFile = [](QWidget* parent) -> std::optional<QString> {
            QString path = QFileDialog::getSaveFileName(
                parent, QStringLiteral("Save chart"), QStringLiteral("chart.png"),
                QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
            if (path.isEmpty())
                return std::nullopt;
            if (!GraphWindow::isPictureFile(path))
                path += QStringLiteral(".png");
            return path;
        };
    if (!services.printerInstalled)
        services.printerInstalled = printerInstalled;
    if (!services.askNewFile)
        services.askNewFile = askPdfFile;
}

} // namespace rp
