// rivelpost-cli load: every real data file loads into a new HDB, whose values GO's retrieval then
// gives back with the counts and sums this test reads from the files on its own; the conflict
// choices; and a load that fails midway leaves nothing behind, on each backend.

#include "BackendHdb.h"
#include "ToolRun.h"

#include "core/base/TimeStep.h"
#include "core/db/Database.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using rp::test::runTool;

namespace {

// How many values a file holds and their sum, read by this test in its own simple way.
struct Totals {
    qint64 count = 0;
    double sum = 0;
    void add(const QString& text) {
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        if (ok && std::isfinite(v)) {
            ++count;
            sum += v;
        }
    }
};

QString dataPath(const QString& name) {
    return QStringLiteral(RIVELPOST_SHARED_DATA "/") + name;
}

QStringList fileLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
}

// Tab-separated: a header after each block of # lines, a type row, data rows of "USGS".
Totals rdbTotals(const QString& path) {
    Totals t;
    QStringList header;
    int expect = 0; // 2: header next, 1: type row next
    static const QStringList keys{QStringLiteral("agency_cd"), QStringLiteral("site_no"),
                                  QStringLiteral("datetime"), QStringLiteral("tz_cd"),
                                  QStringLiteral("dv_dt")};
    for (QString line : fileLines(path)) {
        line.remove(QLatin1Char('\r'));
        if (line.startsWith(QLatin1Char('#'))) {
            expect = 2;
            continue;
        }
        if (expect == 2 || header.isEmpty()) {
            header = line.split(QLatin1Char('\t'));
            expect = 1;
            continue;
        }
        if (expect == 1) {
            expect = 0;
            continue;
        }
        if (!line.startsWith(QLatin1String("USGS\t")))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        for (qsizetype c = 0; c < header.size() && c < fields.size(); ++c)
            if (!keys.contains(header[c]) && !header[c].endsWith(QLatin1String("_cd")))
                t.add(fields[c]);
    }
    return t;
}

// Space-separated after the "Date" title line: date (and time), then per series a value and,
// when its DataFlags says so, a quoted flag; MissingVal per series.
Totals dateValueTotals(const QString& path) {
    Totals t;
    QStringList missing;
    QList<bool> flags;
    int dateTokens = 0;
    static const QRegularExpression token(QStringLiteral("\"[^\"]*\"|\\S+"));
    auto tokens = [](const QString& line) {
        QStringList out;
        for (auto it = token.globalMatch(line); it.hasNext();)
            out.append(it.next().captured(0));
        return out;
    };
    for (QString line : fileLines(path)) {
        line.remove(QLatin1Char('\r'));
        if (line.startsWith(QLatin1Char('#')) || line.trimmed().isEmpty())
            continue;
        if (dateTokens == 0) {
            if (line.startsWith(QLatin1String("MissingVal")))
                missing = tokens(line.section(QLatin1Char('='), 1));
            if (line.startsWith(QLatin1String("DataFlags")))
                for (const QString& f : tokens(line.section(QLatin1Char('='), 1)))
                    flags.append(f == QLatin1String("true"));
            if (line.startsWith(QLatin1String("Date ")))
                dateTokens = line.startsWith(QLatin1String("Date Time")) ? 2 : 1;
            continue;
        }
        const QStringList fields = tokens(line);
        qsizetype at = dateTokens;
        for (qsizetype s = 0; s < missing.size() && at < fields.size(); ++s) {
            const QString value = fields[at++];
            if (value.toDouble() != missing[s].toDouble())
                t.add(value);
            if (flags.value(s))
                ++at;
        }
    }
    return t;
}

Totals waterMlTotals(const QString& path) {
    Totals t;
    static const QRegularExpression value(QStringLiteral("<ns1:value [^>]*>([^<]*)</ns1:value>"));
    const QString text = fileLines(path).join(QLatin1Char('\n'));
    for (auto it = value.globalMatch(text); it.hasNext();) {
        const QString v = it.next().captured(1);
        if (v.trimmed().toDouble() != -999999.0)
            t.add(v);
    }
    return t;
}

// Comma-separated, values after the first column; in USBR files only rows dated D-Mon-YY, and
// in others no column named as a flag.
Totals csvTotals(const QString& path, bool usbr) {
    Totals t;
    static const QRegularExpression usbrDate(QStringLiteral("^\\d{1,2}-[A-Za-z]{3}-\\d{2}$"));
    static const QStringList flagColumns{QStringLiteral("flag"), QStringLiteral("score")};
    const QStringList lines = fileLines(path);
    const QStringList header = lines.first().trimmed().split(QLatin1Char(','));
    for (qsizetype l = 1; l < lines.size(); ++l) {
        const QStringList fields = lines[l].trimmed().split(QLatin1Char(','));
        if (usbr && !usbrDate.match(fields.first()).hasMatch())
            continue;
        for (qsizetype c = 1; c < fields.size() && c < header.size(); ++c)
            if (!header[c].isEmpty() && !flagColumns.contains(header[c]))
                t.add(fields[c]);
    }
    return t;
}

// The daily columns of HYDAT's month rows, up to the month's last day.
Totals hydatTotals(const QString& path) {
    Totals t;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("h"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
        for (const char* table : {"DLY_FLOWS", "DLY_LEVELS"}) {
            const QString prefix = QLatin1String(table) == QLatin1String("DLY_FLOWS")
                                       ? QStringLiteral("FLOW")
                                       : QStringLiteral("LEVEL");
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table))))
                qFatal("cannot read %s", table);
            while (q.next()) {
                const QSqlRecord r = q.record();
                const int days = QDate(r.value(QStringLiteral("YEAR")).toInt(),
                                       r.value(QStringLiteral("MONTH")).toInt(), 1)
                                     .daysInMonth();
                for (int d = 1; d <= days; ++d) {
                    const QVariant v = r.value(prefix + QString::number(d));
                    if (!v.isNull())
                        t.add(v.toString());
                }
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("h"));
    return t;
}

Totals independentTotals(const QString& layout, const QString& path) {
    if (layout == QLatin1String("rdb"))
        return rdbTotals(path);
    if (layout == QLatin1String("dv"))
        return dateValueTotals(path);
    if (layout == QLatin1String("wml"))
        return waterMlTotals(path);
    if (layout == QLatin1String("hydat"))
        return hydatTotals(path);
    return csvTotals(path, layout == QLatin1String("usbr"));
}

// Every parameter's values as GO retrieves them, over every time step, counted and summed.
Totals retrievedTotals(rp::Database& db) {
    Totals t;
    const auto keys =
        db.open(QStringLiteral("SELECT datatype_site_id FROM rsite"), rp::LockType::ReadOnly);
    for (qsizetype k = 0; k < keys->recordCount(); ++k) {
        const QString key = keys->displayText(k, 0);
        for (const rp::TimeStepInfo& info : rp::timeSteps()) {
            const auto set = db.open(
                rp::retrievalStatement(info.step, key, QStringLiteral("01-Jan-1800"),
                                       rp::retrievalUpperBound(info.step, u"31-Dec-2099"_qs)),
                rp::LockType::ReadOnly);
            const int value = set->fieldIndex(QStringLiteral("value"));
            for (qsizetype r = 0; r < set->recordCount(); ++r) {
                ++t.count;
                t.sum += set->value(r, value).toDouble();
            }
        }
    }
    return t;
}

// A small RDB file: site 01 daily mean discharge, one value per day from `from`.
QByteArray rdb(QDate from, const QList<int>& values, const QString& site = u"01"_qs) {
    QByteArray text = "# test\nagency_cd\tsite_no\tdatetime\t1_00060_00003\t1_00060_00003_cd\n"
                      "5s\t15s\t20d\t14n\t10s\n";
    for (qsizetype i = 0; i < values.size(); ++i)
        text += QStringLiteral("USGS\t%1\t%2\t%3\tA\n")
                    .arg(site, from.addDays(i).toString(Qt::ISODate))
                    .arg(values[i])
                    .toUtf8();
    return text;
}

QString scalar(rp::Database& db, const QString& sql) {
    return rp::test::firstColumn(db, sql);
}

// "count sum" of the values of a table's rows that match a condition.
QString countAndSum(rp::Database& db, const QString& table, const QString& where = u"1=1"_qs) {
    const auto set =
        db.open(QStringLiteral("SELECT count(*), sum(value) FROM %1 WHERE %2").arg(table, where),
                rp::LockType::ReadOnly);
    return QStringLiteral("%1 %2")
        .arg(set->value(0, 0).toLongLong())
        .arg(set->value(0, 1).toDouble());
}

} // namespace

class tst_LoadCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void realFilesLoadWhole_data();
    void realFilesLoadWhole();
    void conflictChoices_data();
    void conflictChoices();
    void failureMidwayWritesNothing_data() { rp::test::addBackendRows(); }
    void failureMidwayWritesNothing();
    void dryRunAndSelection();
    void zoneOffsets_data();
    void zoneOffsets();

private:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QTemporaryDir m_dir;
};

void tst_LoadCommand::realFilesLoadWhole_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("layout");
    if (!QFileInfo::exists(dataPath(QStringLiteral("README.txt"))))
        QSKIP("the shared data folder is missing: " RIVELPOST_SHARED_DATA);
    const QDir data(QStringLiteral(RIVELPOST_SHARED_DATA));
    for (const QString& name : data.entryList(QDir::Files, QDir::Name)) {
        if (name == QLatin1String("README.txt"))
            continue;
        const QString layout = name.endsWith(QLatin1String(".dv"))        ? QStringLiteral("dv")
                               : name.endsWith(QLatin1String(".xml"))     ? QStringLiteral("wml")
                               : name.endsWith(QLatin1String(".sqlite3")) ? QStringLiteral("hydat")
                               : name.startsWith(QLatin1String("usbr_"))  ? QStringLiteral("usbr")
                               : name.endsWith(QLatin1String(".csv"))     ? QStringLiteral("csv")
                                                                          : QStringLiteral("rdb");
        QTest::newRow(qPrintable(name)) << name << layout;
    }
}

void tst_LoadCommand::realFilesLoadWhole() {
    QFETCH(QString, file);
    QFETCH(QString, layout);
    const QString hdb = m_dir.filePath(file + QStringLiteral(".hdb.sqlite"));
    auto r =
        runTool(QStringLiteral(RIVELPOST_CLI),
                {QStringLiteral("init-db"), QStringLiteral("Provider=SQLite;Data Source=") + hdb});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    r = runTool(QStringLiteral(RIVELPOST_CLI), {QStringLiteral("load"), hdb, dataPath(file)});
    QVERIFY2(r.status == 0, qPrintable(r.err));

    const Totals expected = independentTotals(layout, dataPath(file));
    QVERIFY(expected.count > 0);
    // What the command says it wrote, line by line.
    static const QRegularExpression loaded(QStringLiteral("^Loaded (\\d+) values into parameter"),
                                           QRegularExpression::MultilineOption);
    qint64 said = 0;
    for (auto it = loaded.globalMatch(r.out); it.hasNext();)
        said += it.next().captured(1).toLongLong();
    QCOMPARE(said, expected.count);

    const auto db = rp::openDatabase(QStringLiteral("Provider=SQLite;Data Source=") + hdb);
    const Totals got = retrievedTotals(*db);
    QCOMPARE(got.count, expected.count);
    QVERIFY2(std::abs(got.sum - expected.sum) <= 1e-9 * std::max(1.0, std::abs(expected.sum)),
             qPrintable(QStringLiteral("%1 retrieved, %2 in the file")
                            .arg(got.sum, 0, 'f', 6)
                            .arg(expected.sum, 0, 'f', 6)));
}

void tst_LoadCommand::conflictChoices_data() {
    rp::test::addBackendColumn();
    QTest::addColumn<QString>("choice");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("said");
    for (const char* backend : {"SQLite", "PostgreSQL"}) {
        const QString b = QString::fromLatin1(backend);
        // The HDB holds 10, 20, 30 on days 1-3; the file brings 200, 300, 400 for days 2-4.
        QTest::addRow("%s default", backend) << b << QString() << 1 << "3 60"
                                             << "2000-01-02 00:00:00, 2000-01-03 00:00:00";
        QTest::addRow("%s refuse", backend) << b << "refuse" << 1 << "3 60"
                                            << "already holds 2 of its 3 times in rday";
        QTest::addRow("%s keep", backend) << b << "keep" << 0 << "4 460"
                                          << "2 kept";
        QTest::addRow("%s replace", backend) << b << "replace" << 0 << "4 910"
                                             << "2 replaced";
    }
}

void tst_LoadCommand::conflictChoices() {
    RP_BACKEND_HDB(hdb);
    QFETCH(QString, choice);
    QFETCH(int, status);
    QFETCH(QString, after);
    QFETCH(QString, said);
    const QDate day(2000, 1, 1);
    const QString first = write(QStringLiteral("first.rdb"), rdb(day, {10, 20, 30}));
    const QString second =
        write(QStringLiteral("second.rdb"), rdb(day.addDays(1), {200, 300, 400}));
    auto r =
        runTool(QStringLiteral(RIVELPOST_CLI), {QStringLiteral("load"), hdb.connection(), first});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QStringList arguments{QStringLiteral("load"), hdb.connection(), second};
    if (!choice.isEmpty())
        arguments << QStringLiteral("--on-conflict") << choice;
    r = runTool(QStringLiteral(RIVELPOST_CLI), arguments);
    QCOMPARE(r.status, status);
    QVERIFY2((r.out + r.err).contains(said), qPrintable(r.out + r.err));
    QCOMPARE(countAndSum(*hdb.db(), QStringLiteral("rday")), after);
    QCOMPARE(scalar(*hdb.db(), QStringLiteral("SELECT count(*) FROM rsite")), QStringLiteral("1"));
}

void tst_LoadCommand::failureMidwayWritesNothing() {
    RP_BACKEND_HDB(hdb);
    // The database refuses a value above 1000: the second site's file has one, after its first
    // site's values and a new parameter were written.
    if (hdb.backend() == QLatin1String("SQLite"))
        hdb.db()->executeNative(QStringLiteral(
            "CREATE TRIGGER no_big BEFORE INSERT ON rday WHEN NEW.value > 1000 BEGIN SELECT "
            "RAISE(ABORT, 'value too large'); END"));
    else
        hdb.db()->executeNative(
            QStringLiteral("ALTER TABLE rday ADD CONSTRAINT no_big CHECK (value <= 1000)"));
    QByteArray two = rdb(QDate(1990, 1, 1), {1, 2, 3});
    two += rdb(QDate(1990, 1, 1), {4, 5000, 6}, QStringLiteral("02"));
    const QString file = write(QStringLiteral("two.rdb"), two);
    const auto r =
        runTool(QStringLiteral(RIVELPOST_CLI), {QStringLiteral("load"), hdb.connection(), file});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.out.isEmpty(), qPrintable(r.out));
    QCOMPARE(scalar(*hdb.db(), QStringLiteral("SELECT count(*) FROM rday")), QStringLiteral("0"));
    QCOMPARE(scalar(*hdb.db(), QStringLiteral("SELECT count(*) FROM rsite")), QStringLiteral("0"));
}

void tst_LoadCommand::dryRunAndSelection() {
    const QString hdb = m_dir.filePath(QStringLiteral("dry.sqlite"));
    auto r =
        runTool(QStringLiteral(RIVELPOST_CLI),
                {QStringLiteral("init-db"), QStringLiteral("Provider=SQLite;Data Source=") + hdb});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QByteArray two = rdb(QDate(1990, 1, 1), {1, 2, 3});
    two += rdb(QDate(1990, 1, 1), {4, 5, 6, 7}, QStringLiteral("02"));
    const QString file = write(QStringLiteral("select.rdb"), two);
    r = runTool(QStringLiteral(RIVELPOST_CLI),
                {QStringLiteral("load"), hdb, file, QStringLiteral("--dry-run")});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains(QLatin1String("1. 01")) && r.out.contains(QLatin1String("2. 02")) &&
                 r.out.contains(QLatin1String("4 values")) &&
                 r.out.contains(QLatin1String("-> parameter 2 (new) in rday")),
             qPrintable(r.out));
    const auto db = rp::openDatabase(QStringLiteral("Provider=SQLite;Data Source=") + hdb);
    QCOMPARE(scalar(*db, QStringLiteral("SELECT count(*) FROM rsite")), QStringLiteral("0"));
    // The second series alone, by number, into a parameter key and table of the user's choice.
    r = runTool(QStringLiteral(RIVELPOST_CLI),
                {QStringLiteral("load"), hdb, file, QStringLiteral("--series"), QStringLiteral("2"),
                 QStringLiteral("--dsid"), QStringLiteral("55"), QStringLiteral("--step"),
                 QStringLiteral("hour")});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(countAndSum(*db, QStringLiteral("rhour"), QStringLiteral("datatype_site_id = 55")),
             QStringLiteral("4 22"));
    QCOMPARE(scalar(*db, QStringLiteral("SELECT count(*) FROM rday")), QStringLiteral("0"));
    // A key for two series, or a series the file lacks, is refused before anything is read in.
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("--dsid"), QStringLiteral("9")},
          QStringList{QStringLiteral("--series"), QStringLiteral("3")}}) {
        r = runTool(QStringLiteral(RIVELPOST_CLI),
                    QStringList{QStringLiteral("load"), hdb, file} + wrong);
        QCOMPARE(r.status, 1);
    }
    QCOMPARE(scalar(*db, QStringLiteral("SELECT count(*) FROM rsite")), QStringLiteral("1"));
}

void tst_LoadCommand::zoneOffsets_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("first"); // the first time the HDB holds
    QTest::newRow("as written") << QStringList{} << 0 << u"1/20/2020 6:00:00 AM"_qs;
    QTest::newRow("UTC file, EST site")
        << QStringList{u"--file-offset"_qs, u"UTC"_qs, u"--site-offset"_qs, u"-5"_qs} << 0
        << u"1/20/2020 1:00:00 AM"_qs;
    QTest::newRow("file in EST, site on UTC")
        << QStringList{u"--file-offset"_qs, u"EST"_qs, u"--site-offset"_qs, u"0"_qs} << 0
        << u"1/20/2020 11:00:00 AM"_qs;
    QTest::newRow("site offset only: times already standard")
        << QStringList{u"--site-offset"_qs, u"-05:00"_qs} << 0 << u"1/20/2020 6:00:00 AM"_qs;
    QTest::newRow("not an offset")
        << QStringList{u"--file-offset"_qs, u"Mars"_qs} << 2 << QString();
}

void tst_LoadCommand::zoneOffsets() {
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, first);
    const QString hdb =
        m_dir.filePath(QStringLiteral("zone-%1.sqlite").arg(QTest::currentDataTag()));
    auto r =
        runTool(QStringLiteral(RIVELPOST_CLI),
                {QStringLiteral("init-db"), QStringLiteral("Provider=SQLite;Data Source=") + hdb});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    const QString file = write(QStringLiteral("utc.csv"),
                               "date,value\n2020-01-20 06:00:00,1\n2020-01-20 07:00:00,2\n");
    r = runTool(QStringLiteral(RIVELPOST_CLI),
                QStringList{QStringLiteral("load"), hdb, file} + options);
    QVERIFY2(r.status == status, qPrintable(r.err));
    const auto db = rp::openDatabase(QStringLiteral("Provider=SQLite;Data Source=") + hdb);
    QCOMPARE(scalar(*db, QStringLiteral("SELECT min(date_time) FROM rhour")), first);
}

QTEST_GUILESS_MAIN(tst_LoadCommand)
#include "tst_LoadCommand.moc"
