// Go of the Graph/Table dialog: the working file, acre-feet, the table report, then the output.
#include "app/graphtable/GraphTableDialog.h"

#include "core/base/Error.h"
#include "core/base/UserDialogs.h"
#include "core/export/AcreFeet.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

namespace rp {

void GraphTableDialog::runGo() {
    const QDir folder(m_context.programFolder());
    const QString reportFile = folder.filePath(QStringLiteral("lasttable.txt"));
    m_command1->setEnabled(false);

    const GoPlan plan = planGo({output(), m_xlsOut->isChecked(), m_table->isChecked()});
    // GRAPH and UPDATE write no report.
    if (output() == Output::Graph || output() == Output::Update)
        m_table->setChecked(false);

    QString chosen;
    if (plan.askFileName) {
        QString path = folder.filePath(QStringLiteral("*.txt"));
        if (fOpenFile(path, QStringLiteral("*.txt"), QStringLiteral("Filname"),
                      QStringLiteral("*.*")))
            chosen = path;
    }
    const QString working = prepareWorkingFile(m_context.seriesFile(), chosen);
    m_text1->setText(working);

    if (m_acft->isChecked()) {
        // A working file is converted at most once per hand-off.
        m_acft->setChecked(false);
        m_acft->setEnabled(false);
        convertFileToAcreFeet(working);
    }

    if (plan.table) {
        ReportOptions options;
        options.excel = m_xlsOut->isChecked();
        options.waterYear = m_waterYear->isEnabled() && m_waterYear->isChecked();
        options.stationId = m_context.stationId ? m_context.stationId() : QString();
        options.today = m_services.today();
        options.sink = m_services.aggregates ? m_services.aggregates() : nullptr;
        if (const QString note = writeReportFile(working, reportFile, options); !note.isEmpty())
            message(note);
    }
    const QString shown = plan.table ? reportFile : working;

    if (plan.exportSpreadsheet) {
        if (output() == Output::Update) {
            if (m_services.update)
                m_services.update(working);
            else
                notAvailable(QStringLiteral("The update workbook"));
        } else if (m_services.spreadsheet) {
            m_services.spreadsheet(shown, plan.table);
        } else {
            notAvailable(QStringLiteral("The spreadsheet export"));
        }
    }
    if (plan.graph) {
        if (m_services.graph)
            m_services.graph(working, m_addline->isChecked());
        else
            notAvailable(QStringLiteral("The graph window"));
    }
    if (plan.view)
        m_services.view(this, shown);
    if (plan.print) {
        if (const std::optional<QString> pdf = m_services.print(shown, plan.table))
            message(pdf->isEmpty() ? shown + QStringLiteral(" Printed")
                                   : shown + QStringLiteral(" saved as ") + *pdf);
    }
}

} // namespace rp
