#include "cli/DemoDbCommand.h"

#include "demo/DemoDatabase.h"

#include <QDate>
#include <QFileInfo>

namespace rp::cli {

QString DemoDbCommand::summary() const {
    return QStringLiteral("create the demo HDB with synthetic data (SQLite file or PostgreSQL)");
}

QString DemoDbCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli demo-db PATH|CONNECTION [--until YYYY-MM-DD]\n"
        "Creates the demo HDB in the new SQLite file PATH (or where a connection string points,\n"
        "such as an empty PostgreSQL database): six sites with flows, stage, reservoir\n"
        "storage, rain, wind direction, temperatures, pressure and evapotranspiration; daily\n"
        "values from 1 October 1980, unit and hourly values for the last 420 days, daily\n"
        "maximum and minimum, monthly and yearly values. The data are synthetic and the same\n"
        "on every run.\n"
        "  --until YYYY-MM-DD  the last day of data (default: today)\n"
        "An existing file is never touched.\n");
}

void DemoDbCommand::run(const QStringList& arguments, QTextStream& out) {
    QString path;
    QDate until = QDate::currentDate();
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QString value;
        if (argument == QLatin1String("--until")) {
            if (i + 1 == arguments.size())
                throw UsageError(QStringLiteral("--until needs a date (YYYY-MM-DD)"));
            value = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--until="))) {
            value = argument.mid(8);
        } else if (argument.startsWith(QLatin1String("--"))) {
            throw UsageError(QStringLiteral("unknown option %1").arg(argument));
        } else if (path.isNull()) {
            path = argument;
            continue;
        } else {
            throw UsageError(QStringLiteral("demo-db takes one file name"));
        }
        until = QDate::fromString(value, Qt::ISODate);
        if (!until.isValid())
            throw UsageError(
                QStringLiteral("--until wants a date written YYYY-MM-DD, not \"%1\"").arg(value));
    }
    if (path.isEmpty())
        throw UsageError(QStringLiteral("demo-db needs the name of the new file"));
    if (path.contains(QLatin1Char('='))) {
        createDemoHdb(path, until);
        out << "Created the demo HDB with data up to " << until.toString(Qt::ISODate) << '\n';
        return;
    }
    createDemoDatabase(path, until);
    out << "Created the demo HDB " << QFileInfo(path).absoluteFilePath() << " with data up to "
        << until.toString(Qt::ISODate) << '\n';
}

} // namespace rp::cli
