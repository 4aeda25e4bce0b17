// GO in the main window on the 10-year 15-minute unit series of the benchmark HDB (named by
// RIVELPOST_BENCH_HDB, key 1001, 2010-01-01 to 2020-01-02): from the click until the grid's
// model gives the first screen of rows, and scrolling from there to the last row. The model
// reads the record set in place, so GO should stay within 1.5 times the sqlite3 command's export
// of the same rows (anchor a). GO on the 100-year series (key 1002, 3,506,400 rows) should stay
// within 1.5 times a bare sqlite3_step loop over its rows (BM_RawSqliteStep100Years).

#include "BenchHdb.h"
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

namespace {

class CollectingDialogs : public rp::UserDialogs {
public:
    void message(QWidget*, const QString& text) override { messages.append(text); }
    QStringList messages;
};

// A unit series of the benchmark HDB as the main window finds it.
struct UnitSeries {
    const char* site;
    const char* from;
    const char* to;
    qsizetype rows;
};
const UnitSeries tenYears{"11532500", "01-Jan-2010", "01-Jan-2020", 350640};
const UnitSeries hundredYears{rp::bench::centurySite, "01-Jan-1920", "31-Dec-2019",
                              rp::bench::centuryRows};

// A main window on the benchmark HDB showing a unit series once.
struct Session {
    QTemporaryDir folder;
    CollectingDialogs dialogs;
    std::unique_ptr<rp::MainWindow> window;
    QString error;

    // hdb is empty when the benchmark was skipped.
    Session(const QString& hdb, const UnitSeries& series) {
        if (hdb.isEmpty()) {
            error = QStringLiteral("no benchmark HDB");
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
        window->setDateTexts(QLatin1String(series.from), QLatin1String(series.to));
        window->setTimeStep(rp::TimeStep::Unit);
        // The series' site in the site list, its parameter list, then GO.
        QTableView* grid = window->dataGrid();
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (grid->model()->index(r, 0).data().toString() == QLatin1String(series.site))
                grid->setCurrentIndex(grid->model()->index(r, 0));
        window->parametersAllCommand();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        window->goCommand();
        if (!dialogs.messages.isEmpty())
            error = dialogs.messages.join(QLatin1Char('\n'));
        else if (!window->recordSet() || window->recordSet()->recordCount() != series.rows)
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

void goFirstRows(benchmark::State& state, const QString& hdb, const UnitSeries& series) {
    Session session(hdb, series);
    if (!session.error.isEmpty()) {
        if (!hdb.isEmpty())
            state.SkipWithError(qPrintable(session.error));
        return;
    }
    QPushButton* go = session.window->findChild<QPushButton*>(QStringLiteral("Getbutton"));
    for (auto _ : state) {
        go->click();
        benchmark::DoNotOptimize(readVisibleRows(session.window->dataGrid()));
    }
    const rp::RecordSet* records = session.window->recordSet();
    state.counters["rows"] = double(records->recordCount());
    state.counters["bytes_per_row"] =
        double(records->memoryBytes()) / double(records->recordCount());
    if (!session.dialogs.messages.isEmpty())
        state.SkipWithError(qPrintable(session.dialogs.messages.join(QLatin1Char('\n'))));
}

void BM_GoFirstRows(benchmark::State& state) {
    goFirstRows(state, rp::bench::benchHdb(state), tenYears);
}

void BM_GoFirstRows100Years(benchmark::State& state) {
    goFirstRows(state, rp::bench::centuryBenchHdb(state), hundredYears);
}

void BM_ScrollToLastRow(benchmark::State& state) {
    const QString hdb = rp::bench::benchHdb(state);
    Session session(hdb, tenYears);
    if (!session.error.isEmpty()) {
        if (!hdb.isEmpty())
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
BENCHMARK(BM_GoFirstRows100Years)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScrollToLastRow)->Unit(benchmark::kMillisecond)->UseRealTime();
