#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace rp {

// A file dialog for a file to be made: title and suggested path in, the chosen path out (empty
// when cancelled).
using AskNewFile = std::function<QString(const QString& title, const QString& suggestedPath)>;

// Where a print job went.
struct PrintOutcome {
    bool cancelled = false; // the user chose no PDF file
    QString pdfPath;        // empty when a printer took the job
};

// The title of the file dialog offered when no printer is installed.
QString noPrinterTitle();
// True when the system knows a printer to print on.
bool printerInstalled();
// `name`.pdf in the user's documents folder (the home folder when there is none).
QString suggestedPdfPath(const QString& name);
// The desktop's save dialog for a PDF file.
QString askPdfFile(QWidget* parent, const QString& title, const QString& suggestedPath);
// The chosen file with the ".pdf" suffix it needs, or nothing when cancelled.
std::optional<QString> choosePdfFile(const AskNewFile& ask, const QString& documentName);

// Prints a text file (landscape in the table layout) on the default printer, or, when
// `havePrinter` is false, offers to save it as a PDF file. Throws rp::Error when the printing
// or the file fails; a PDF is written whole or not at all.
PrintOutcome printTextFile(const QString& path, bool tableLayout, bool havePrinter,
                           const AskNewFile& ask);

} // namespace rp
