#include "gui/widgets/PdfFallback.h"

#include "core/base/Error.h"
#include "core/base/SaveFile.h"
#include "gui/widgets/TextPrinting.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace rp {

QString noPrinterTitle() {
    return QStringLiteral("No printer is installed: save as PDF");
}

bool printerInstalled() {
    return !QPrinterInfo::defaultPrinter().isNull() ||
           !QPrinterInfo::availablePrinterNames().isEmpty();
}

QString suggestedPdfPath(const QString& name) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    QString base = name.trimmed();
    // A title may hold characters no file name takes.
    for (QChar& c : base)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':'))
            c = QLatin1Char('_');
    if (base.isEmpty())
        base = QStringLiteral("Rivelpost");
    return QDir(folder).filePath(base + QStringLiteral(".pdf"));
}

QString askPdfFile(QWidget* parent, const QString& title, const QString& suggestedPath) {
    return QFileDialog::getSaveFileName(parent, title, suggestedPath,
                                        QStringLiteral("PDF (*.pdf);;All files (*)"));
}

std::optional<QString> choosePdfFile(const AskNewFile& ask, const QString& documentName) {
    const QString chosen =
        ask ? ask(noPrinterTitle(), suggestedPdfPath(documentName)).trimmed() : QString();
    if (chosen.isEmpty())
        return std::nullopt;
    if (QFileInfo(chosen).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
        return chosen + QStringLiteral(".pdf");
    return chosen;
}

PrintOutcome printTextFile(const QString& path, bool tableLayout, bool havePrinter,
                           const AskNewFile& ask) {
    const QStringList lines = readTextFileLines(path);
    const QFont font = tableLayout ? tablePrintFont() : QFont();
    if (havePrinter) {
        QPrinter printer(QPrinterInfo::defaultPrinter());
        printLines(lines, printer, font, tableLayout);
        return {};
    }
    const std::optional<QString> pdf = choosePdfFile(ask, QFileInfo(path).completeBaseName());
    if (!pdf)
        return {true, {}};
    SaveFile file(*pdf);
    {
        QPdfWriter writer(&file.device());
        writer.setTitle(QFileInfo(path).fileName());
        printLines(lines, writer, font, tableLayout);
    }
    file.commit();
    return {false, *pdf};
}

} // namespace rp
