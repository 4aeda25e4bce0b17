#include "cli/SeriesCommand.h"

#include "core/db/Database.h"
#include "core/series/SeriesRetrieval.h"

#include <QMap>

namespace rp::cli {

TimeStep stepNamed(const QString& name) {
    for (const TimeStepInfo& info : timeSteps())
        if (name.compare(QLatin1String(info.caption), Qt::CaseInsensitive) == 0)
            return info.step;
    throw UsageError(QStringLiteral("--step wants year, month, day, hour, unit, daymax, daymin "
                                    "or unitshift, not \"%1\"")
                         .arg(name));
}

QString SeriesCommand::summary() const {
    return QStringLiteral("write the series file of one parameter (as GO and Graph/Table do)");
}

QString SeriesCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli series CONNECTION --dsid K --step STEP --from DATE --to DATE\n"
        "                            [--out FILE]\n"
        "Retrieves parameter K (datatype_site_id) for the time step and dates as GO does and\n"
        "writes the series file the Graph/Table command writes (default: lastout.txt in the\n"
        "current folder).\n"
        "  --step   year, month, day, hour, unit, daymax, daymin or unitshift\n"
        "  --from, --to   dates as the date boxes take them, e.g. 01-Mar-1999\n");
}

void SeriesCommand::run(const QStringList& arguments, QTextStream& out) {
    QMap<QString, QString> options;
    QString connection;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--dsid" || a == u"--step" || a == u"--from" || a == u"--to" || a == u"--out") {
            if (i + 1 >= arguments.size())
                throw UsageError(QStringLiteral("%1 needs a value").arg(a));
            options[a] = arguments[++i];
        } else if (a.startsWith(u"--")) {
            throw UsageError(QStringLiteral("unknown option %1").arg(a));
        } else if (connection.isEmpty()) {
            connection = a;
        } else {
            throw UsageError(QStringLiteral("one connection string only"));
        }
    }
    if (connection.isEmpty())
        throw UsageError(QStringLiteral("no connection string given"));
    for (const char* required : {"--dsid", "--step", "--from", "--to"})
        if (!options.contains(QLatin1String(required)))
            throw UsageError(QStringLiteral("%1 is missing").arg(QLatin1String(required)));
    const TimeStep step = stepNamed(options.value(QStringLiteral("--step")));
    const QString path = options.value(QStringLiteral("--out"), QStringLiteral("lastout.txt"));
    const auto database = openDatabase(connection);
    writeSeriesFromDatabase(*database, options.value(QStringLiteral("--dsid")), step,
                            options.value(QStringLiteral("--from")),
                            options.value(QStringLiteral("--to")), path);
    out << "Wrote " << path << '\n';
}

} // namespace rp::cli
