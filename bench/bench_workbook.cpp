// A workbook HDB with 100,000 daily values (sheet rday) and a small rsite, made here with the
// program's own writer: opening it as a database (every sheet read and loaded), reading the value
// sheet alone, and the write-back one change costs (the changed record's row rewritten in place,
// the rest of its sheet and the other parts copied, and renamed), beside writing the whole
// workbook anew as every change once did.

#include "core/base/JetDate.h"
#include "core/db/Database.h"
#include "formats/xlsx/XlsxReader.h"
#include "formats/xlsx/XlsxTableWriter.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int valueRows = 100000;

void writeBenchWorkbook(const QString& p) {
    rp::XlsxTableWriter writer(p);
    writer.addSheet(QStringLiteral("rsite"),
                    {"site_id", "site_name", "datatype_site_id", "datatype_name", "unit_name"},
                    QList<QVariantList>{{1.0, "Green River", 1001.0, "FLOW", "CFS"},
                                        {2.0, "Yampa", 2001.0, "FLOW", "CFS"}});
    const QDateTime start = rp::naiveDateTime(QDate(1750, 1, 1));
    int i = 0;
    writer.addSheet(QStringLiteral("rday"), {"datatype_site_id", "date_time", "value", "source"},
                    [&](QVariantList& row) {
                        if (i >= valueRows)
                            return false;
                        row = {i < valueRows / 2 ? 1001.0 : 2001.0,
                               start.addDays(i % (valueRows / 2)), 100.0 + (i % 977) * 0.25,
                               QStringLiteral("A")};
                        ++i;
                        return true;
                    });
    writer.close();
}

// Made once per run.
const QString& benchWorkbook() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("hdb.xlsx"));
        writeBenchWorkbook(p);
        return p;
    }();
    return path;
}

QString connection() {
    return QStringLiteral("Driver={Microsoft Excel Driver (*.xls)};DBQ=") + benchWorkbook() +
           QStringLiteral(";ReadOnly=False;HDR=Yes;");
}

void BM_OpenWorkbook100kRows(benchmark::State& state) {
    const QString text = connection();
    for (auto _ : state)
        benchmark::DoNotOptimize(rp::openDatabase(text));
    state.counters["rows_per_s"] =
        benchmark::Counter(double(valueRows), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_OpenWorkbook100kRows)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadValueSheet100kRows(benchmark::State& state) {
    const QString path = benchWorkbook();
    for (auto _ : state)
        benchmark::DoNotOptimize(rp::XlsxReader(path).readSheet(QStringLiteral("rday")));
}
BENCHMARK(BM_ReadValueSheet100kRows)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteBackOneChange100kRows(benchmark::State& state) {
    const auto database = rp::openDatabase(connection());
    int n = 0;
    for (auto _ : state)
        database->execute(QStringLiteral("UPDATE [rday$] SET value=%1 WHERE datatype_site_id=1001 "
                                         "AND date_time=#01-Jan-1750#")
                              .arg(++n));
}
BENCHMARK(BM_WriteBackOneChange100kRows)->Unit(benchmark::kMillisecond)->UseRealTime();

// What one change cost when every change wrote the whole workbook anew (values only), beside the
// in-place write above.
void BM_WholeWorkbookRewrite100kRows(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("whole.xlsx"));
    for (auto _ : state)
        writeBenchWorkbook(path);
}
BENCHMARK(BM_WholeWorkbookRewrite100kRows)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
