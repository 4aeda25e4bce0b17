#include "core/export/GoPlan.h"

#include "core/base/Error.h"
#include "core/base/SaveFile.h"
#include "core/reports/AggregateSink.h"
#include "core/reports/TableReport.h"

#include <QFile>
#include <QFileInfo>

namespace rp {

GoPlan planGo(const GoChoices& choices) {
    GoPlan plan;
    const Output output = choices.output;
    plan.table = choices.table && output != Output::Graph && output != Output::Update;
    plan.spreadsheet = choices.excel || output == Output::Update;
    plan.askFileName = output == Output::Save && !plan.spreadsheet;
    plan.exportSpreadsheet =
        (output == Output::Save || output == Output::Update) && plan.spreadsheet;
    plan.graph = output == Output::Graph;
    plan.view = output == Output::View;
    plan.print = output == Output::Print;
    return plan;
}

QString prepareWorkingFile(const QString& seriesFile, const QString& chosenName) {
    if (chosenName.isEmpty())
        return seriesFile;
    const QFileInfo chosen(chosenName);
    const QFileInfo series(seriesFile);
    if (chosen.exists() && chosen.canonicalFilePath() == series.canonicalFilePath())
        return seriesFile;
    QFile in(seriesFile);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("The series file %1 cannot be read: %2")
                        .arg(seriesFile, in.errorString()));
    const QByteArray content = in.readAll();
    saveFile(chosenName, content);
    return chosenName;
}

QString writeReportFile(const QString& workingFile, const QString& reportFile,
                        const ReportOptions& options) {
    QFile series(workingFile);
    if (!series.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("The file %1 cannot be read: %2")
                        .arg(workingFile, series.errorString()));
    // A failure leaves the previous report as it was.
    SaveFile report(reportFile);
    writeTableReport(series, report.device(), options);
    report.commit();
    return options.sink ? options.sink->finish() : QString();
}

} // namespace rp
