#pragma once

#include "core/export/GraphTableServices.h"
#include "core/series/SeriesSession.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace rp {

class MainWindow;
class GraphTableDialog;

// The main window's Graph/Table command: hands the retrieved series to the Graph/Table dialog
// through the series file, or offers a table or own SQL result as the table dump "TMP.out".
class GraphTableCommand : public QObject {
    Q_OBJECT
public:
    explicit GraphTableCommand(MainWindow& main);
    ~GraphTableCommand() override;

    // Runs the command; throws rp::Error with the message to show.
    void run();

    SeriesSession& session() { return m_session; }
    // The dialog, created on first use (also after its window was closed and destroyed).
    GraphTableDialog* graphTable();
    // The dialog's collaborators; set them before the dialog is first used.
    GraphTableServices& graphTableServices() { return m_services; }
    // The Yes/No question of the table dump; the desktop's message box when empty.
    std::function<bool(QWidget* parent, const QString& title, const QString& text)> askYesNo;
    // Shows a written export workbook; the desktop's spreadsheet application when empty.
    std::function<void(const QString& path)> openWorkbook;

signals:
    // The series file was written and the dialog is shown.
    void handedOff();

private:
    void handOffSeries();
    void offerTableDump();
    QString seriesFile() const;

    MainWindow& m_main;
    SeriesSession m_session;
    GraphTableServices m_services;
    QPointer<GraphTableDialog> m_graphTable;
};

} // namespace rp
