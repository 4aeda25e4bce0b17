#include "cli/LoadCommand.h"

#include "cli/SeriesCommand.h"
#include "core/db/Database.h"
#include "core/hdb/DataFile.h"
#include "core/hdb/HdbImport.h"
#include "core/hdb/SeriesLoad.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <cstdio>

namespace rp::cli {

namespace {

OnConflict conflictNamed(const QString& name) {
    if (name == u"refuse")
        return OnConflict::Refuse;
    if (name == u"keep")
        return OnConflict::Keep;
    if (name == u"replace")
        return OnConflict::Replace;
    throw UsageError(
        QStringLiteral("--on-conflict wants refuse, keep or replace, not \"%1\"").arg(name));
}

// An offset option's value in minutes from UTC.
int offsetOption(const QString& option, const QString& value) {
    const std::optional<int> minutes = readers::utcOffsetMinutes(value);
    if (!minutes)
        throw UsageError(
            QStringLiteral("%1 wants an offset from UTC such as 0, -5, -05:00 or EST, not \"%2\"")
                .arg(option, value));
    return *minutes;
}

QString target(const LoadPlan& plan) {
    return QStringLiteral("parameter %1%2 in %3")
        .arg(plan.datatypeSiteId)
        .arg(plan.newParameter ? QStringLiteral(" (new)") : QString())
        .arg(QLatin1String(timeStepInfo(plan.step).table));
}

// The reader's warnings on standard error: the first few, then how many there were.
void showWarnings(const readers::ReadResult& read, const QString& file) {
    QTextStream err(stderr);
    const qsizetype shown = std::min<qsizetype>(read.warnings.size(), 10);
    for (qsizetype i = 0; i < shown; ++i) {
        const readers::ReadWarning& w = read.warnings[i];
        err << file;
        if (w.line > 0)
            err << ':' << w.line;
        err << ": " << w.message << '\n';
    }
    const qsizetype total = read.warnings.size() + read.droppedWarnings;
    if (total > shown)
        err << file << ": " << total - shown << " more warnings\n";
}

} // namespace

QString LoadCommand::summary() const {
    return QStringLiteral("load an agency's data file (RDB, WaterML, DateValue, CSV, HYDAT)");
}

QString LoadCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli load CONNECTION FILE [--series NAME|NUMBER] [--dsid K]\n"
        "                          [--step STEP] [--on-conflict refuse|keep|replace]\n"
        "                          [--file-offset OFFSET] [--site-offset OFFSET] [--dry-run]\n"
        "Loads the series of a data file into the HDB at CONNECTION (a connection string or a\n"
        "database file): USGS RDB, USGS WaterML 1.1, DateValue (.dv), USBR CSV, CSV with a\n"
        "date column, or a HYDAT database. Each series goes to the parameter of its site,\n"
        "parameter name and unit, which is added to rsite when the HDB has none; its values go\n"
        "to the value table of its time step with the source mark of their qualifier (1\n"
        "approved, 2 provisional, 3 estimated, 4 ice). Missing values stay absent. The whole\n"
        "load is one transaction: it is written whole or not at all.\n"
        "  --series       load only the series with this number (as --dry-run lists them) or\n"
        "                 this site, parameter code or parameter name\n"
        "  --dsid         load the one series into parameter K (datatype_site_id)\n"
        "  --step         the value table: year, month, day, hour, unit, daymax, daymin or\n"
        "                 unitshift (default: from the file's time step)\n"
        "  --on-conflict  times the parameter already holds: refuse the load (the default, the\n"
        "                 message names the first of them), keep the HDB's values, or replace\n"
        "                 them with the file's\n"
        "  --file-offset  the offset from UTC of times the file writes without a zone, e.g. 0\n"
        "                 for a file kept in UTC (default: they are the site's standard time)\n"
        "  --site-offset  the site's standard offset from UTC, e.g. -5 or EST; every time is\n"
        "                 moved to it (default: what the file says, else its times as written)\n"
        "  --dry-run      list the series and where they would go; write nothing\n");
}

void LoadCommand::run(const QStringList& arguments, QTextStream& out) {
    QMap<QString, QString> options;
    QStringList positional;
    bool dryRun = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--series" || a == u"--dsid" || a == u"--step" || a == u"--on-conflict" ||
            a == u"--file-offset" || a == u"--site-offset") {
            if (i + 1 >= arguments.size())
                throw UsageError(QStringLiteral("%1 needs a value").arg(a));
            options[a] = arguments[++i];
        } else if (a == u"--dry-run") {
            dryRun = true;
        } else if (a.startsWith(u"--")) {
            throw UsageError(QStringLiteral("unknown option %1").arg(a));
        } else {
            positional.append(a);
        }
    }
    if (positional.size() != 2)
        throw UsageError(QStringLiteral("load takes two arguments, CONNECTION and FILE"));
    LoadOptions load;
    if (options.contains(QStringLiteral("--dsid"))) {
        bool ok = false;
        load.datatypeSiteId = options.value(QStringLiteral("--dsid")).toLongLong(&ok);
        if (!ok)
            throw UsageError(QStringLiteral("--dsid wants a number"));
    }
    if (options.contains(QStringLiteral("--step")))
        load.step = stepNamed(options.value(QStringLiteral("--step")));
    load.onConflict = conflictNamed(options.value(QStringLiteral("--on-conflict"), u"refuse"_qs));

    const QString file = positional[1];
    readers::ReadOptions readOptions;
    if (options.contains(QStringLiteral("--file-offset")))
        readOptions.zonelessOffsetMinutes = offsetOption(
            QStringLiteral("--file-offset"), options.value(QStringLiteral("--file-offset")));
    if (options.contains(QStringLiteral("--site-offset")))
        readOptions.standardOffsetMinutes = offsetOption(
            QStringLiteral("--site-offset"), options.value(QStringLiteral("--site-offset")));
    const readers::ReadResult read = readDataFile(file, readOptions);
    showWarnings(read, file);
    QList<qsizetype> chosen;
    if (options.contains(QStringLiteral("--series")))
        chosen = selectSeries(read.series, options.value(QStringLiteral("--series")));
    else
        for (qsizetype i = 0; i < read.series.size(); ++i)
            chosen.append(i);
    if (chosen.isEmpty())
        throw Error(QStringLiteral("%1 holds no series.").arg(file));
    QList<readers::Series> series;
    for (qsizetype i : chosen) {
        series.append(read.series[i]);
        // A file that names no site (a plain CSV) gives its parameters the file's name as station.
        if (series.last().siteId.trimmed().isEmpty())
            series.last().siteId = QFileInfo(file).completeBaseName();
    }

    const auto database = openDatabase(connectionForArgument(positional[0]));
    if (dryRun) {
        const QList<LoadPlan> plans = planLoad(*database, series, load);
        for (qsizetype i = 0; i < series.size(); ++i) {
            out << chosen[i] + 1 << ". " << seriesSummary(series[i]) << "\n   -> "
                << target(plans[i]);
            if (plans[i].conflicts > 0)
                out << ", " << plans[i].conflicts << " times already held";
            out << '\n';
        }
        return;
    }
    QTextStream err(stderr);
    QElapsedTimer shown;
    shown.start();
    load.progress = [&](qint64 done, qint64 total) {
        if (shown.elapsed() >= 1000 && total > 0) {
            err << "load: " << done << " of " << total << " values\n";
            err.flush();
            shown.restart();
        }
        return true;
    };
    for (const LoadResult& r : loadSeries(*database, series, load)) {
        out << "Loaded " << r.inserted << " values into " << target(r.plan) << " ("
            << r.plan.siteName << "; " << r.plan.datatypeName << ", " << r.plan.unitName << ")";
        if (r.replaced > 0)
            out << ", " << r.replaced << " replaced";
        if (r.kept > 0)
            out << ", " << r.kept << " kept as they were";
        out << '\n';
    }
}

} // namespace rp::cli
