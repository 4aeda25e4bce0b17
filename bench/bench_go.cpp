// GO in the main window on the 10-year 15-minute unit series of the benchmark HDB (named by
// RIVELPOST_BENCH_HDB, key 1001, 2010-01-01 to 2020-01-02): from the click until the grid's
// model gives the first screen of rows, and scrolling from there to the last row. The model
// reads the record set in place, so GO should stay within 1.5 times the sqlite3 command's export
// of the same rows (anchor a).

#include "app/mainwindow/MainWindow.h"
#include "core/base/UserDialogs.h"
#include "core/db/RecordSet.h"
#include "core/settings/AppPaths.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

class CollectingDialogs : public rp::UserDialogs {
public:
    void message(QWidget*, const QString& text) override { messages.append(text); }
    QStringList messages;
};

// A main window on the benchmark HDB showing the unit series once.
struct Session {
    QTemporaryDir folder;
    CollectingDialogs dialogs;
    std::unique_ptr<rp::MainWindow> window;
    QString error;

    Session() {
        const QString hdb = QString::fromLocal8Bit(std::getenv("RIVELPOST_BENCH_HDB"));
        if (hdb.isEmpty()) {
            error = QStringLiteral("RIVELPOST_BENCH_HDB does not name the benchmark HDB");
            return;
        }
        rp::AppPaths::setProgramFolder(folder.path());
        QFile settings(folder.filePath(QStringLiteral("Rivelpost_setup.txt")));
        if (!settings.open(QIODevice::WriteOnly)) {
            error = settings.errorString();
            return;
        }
        settings.write("Provider=SQLite;Data Source=" + hdb.toLocal8Bit() + "\r\n");
        settings.close();
        rp::MainWindowServices services;
        services.dialogs = &dialogs;
        window = std::make_unique<rp::MainWindow>(services);
        window->resize(1200, 800);
        window->startUp();
        window->setDateTexts(QStringLiteral("01-Jan-2010"), QStringLiteral("01-Jan-2020"));
        window->setTimeStep(rp::TimeStep::Unit);
        // The site of 1001 in the site list, its parameter list, then GO.
        QTableView* grid = window->dataGrid();
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (grid->model()->index(r, 0).data().toString() == QLatin1String("11532500"))
                grid->setCurrentIndex(grid->model()->index(r, 0));
        window->parametersAllCommand();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        window->goCommand();
        if (!dialogs.messages.isEmpty())
            error = dialogs.messages.join(QLatin1Char('\n'));
        else if (!window->recordSet() || window->recordSet()->recordCount() != 350640)
            error = QStringLiteral("The unit series did not arrive whole.");
    }
    ~Session() { rp::AppPaths::setProgramFolder({}); }
};

// Reads every cell of the rows the grid shows, as painting them would.
double readVisibleRows(QTableView* grid) {
    const QAbstractItemModel* model = grid->model();
    const int first = std::max(grid->rowAt(0), 0);
    const int last = std::min(first + 60, model->rowCount());
    double length = 0;
    for (int r = first; r < last; ++r)
        for (int c = 0; c < model->columnCount(); ++c)
            length += model->index(r, c).data().toString().size();
    return length;
}

void BM_GoFirstRows(benchmark::State& state) {
    Session session;
    if (!session.error.isEmpty()) {
        state.SkipWithError(qPrintable(session.error));
        return;
    }
    QPushButton* go = session.window->findChild<QPushButton*>(QStringLiteral("Getbutton"));
    for (auto _ : state) {
        go->click();
        benchmark::DoNotOptimize(readVisibleRows(session.window->dataGrid()));
    }
    state.counters["rows"] = double(session.window->recordSet()->recordCount());
    if (!session.dialogs.messages.isEmpty())
        state.SkipWithError(qPrintable(session.dialogs.messages.join(QLatin1Char('\n'))));
}

void BM_ScrollToLastRow(benchmark::State& state) {
    Session session;
    if (!session.error.isEmpty()) {
        state.SkipWithError(qPrintable(session.error));
        return;
    }
    QTableView* grid = session.window->dataGrid();
    for (auto _ : state) {
        grid->scrollToTop();
        grid->scrollToBottom();
        benchmark::DoNotOptimize(readVisibleRows(grid));
    }
    if (grid->verticalScrollBar()->value() != grid->verticalScrollBar()->maximum())
        state.SkipWithError("The grid did not reach its last row.");
}

} // namespace

BENCHMARK(BM_GoFirstRows)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScrollToLastRow)->Unit(benchmark::kMillisecond)->UseRealTime();
