// The desktop's file dialog, text viewer and printer behind the Graph/Table dialog.
#include "core/export/GraphTableServices.h"

#include "app/dialogs/ApplyUpdateDialog.h"
#include "core/base/Error.h"
#include "gui/widgets/PdfFallback.h"
#include "gui/widgets/TextViewer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QUrl>

namespace rp {

namespace {

std::optional<QString> chooseFile(QWidget* parent, const QString& preset, const QString& title,
                                  const QString& defaultSuffix) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!preset.isEmpty())
        dialog.selectFile(preset);
    QString suffix = defaultSuffix;
    suffix.remove(QLatin1Char('*')).remove(QLatin1Char('.'));
    if (!suffix.isEmpty())
        dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> askPassword(QWidget* parent, const QString& prompt) {
    bool ok = false;
    const QString password = QInputDialog::getText(parent, QStringLiteral("Apply workbook"), prompt,
                                                   QLineEdit::Password, {}, &ok);
    return ok ? std::optional<QString>(password) : std::nullopt;
}

void viewFile(QWidget* parent, const QString& path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        TextViewer::showFile(parent, path);
}

std::optional<QString> printFile(const QString& path, bool tableLayout) {
    const PrintOutcome outcome = printTextFile(
        path, tableLayout, printerInstalled(), [](const QString& title, const QString& suggested) {
            return askPdfFile(QApplication::activeWindow(), title, suggested);
        });
    if (outcome.cancelled)
        return std::nullopt;
    return outcome.pdfPath;
}

} // namespace

void fillDesktopServices(GraphTableServices& services) {
    if (!services.chooseFile)
        services.chooseFile = chooseFile;
    if (!services.view)
        services.view = viewFile;
    if (!services.print)
        services.print = printFile;
    if (!services.askPassword)
        services.askPassword = askPassword;
    if (!services.confirmUpdate)
        services.confirmUpdate = ApplyUpdateDialog::confirm;
}

} // namespace rp
