#include "ToolRun.h"
#include <QCryptographicHash>

#include <QtTest>
#include <unistd.h>

// rivelpost-contig, run as the real binary on files in a temporary folder.
class tst_Contig : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void freshFileIsDefragmented();
    void interleavedFileIsDefragmented();
    void fileWithOtherNamesIsLeftAlone();
    void refusals_data();
    void refusals();

private:
    using Result = rp::test::ToolRun;
    static Result run(const QStringList& arguments) {
        return rp::test::runTool(QStringLiteral(RIVELPOST_CONTIG), arguments);
    }
    static QByteArray digest(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly)
                   ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                   : QByteArray();
    }
    // Two files written side by side in small synced pieces, so their blocks interleave.
    void writeInterleaved(const QString& a, const QString& b);

    QTemporaryDir m_dir;
};

void tst_Contig::initTestCase() {
    QVERIFY(m_dir.isValid());
    const QString probe = m_dir.filePath(QStringLiteral("probe"));
    QFile file(probe);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'p'));
    file.close();
    const Result r = run({QStringLiteral("-a"), probe});
    if (r.status != 0 && r.err.contains(QLatin1String("FIEMAP")))
        QSKIP(qPrintable(QStringLiteral("the file system of %1 does not report extents: %2")
                             .arg(m_dir.path(), r.err.trimmed())));
}

void tst_Contig::writeInterleaved(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    QVERIFY(fa.open(QIODevice::WriteOnly) && fb.open(QIODevice::WriteOnly));
    for (int i = 0; i < 256; ++i)
        for (QFile* f : {&fa, &fb}) {
            f->write(QByteArray(4096, static_cast<char>('a' + i % 26)));
            f->flush();
            QCOMPARE(::fsync(f->handle()), 0);
        }
}

void tst_Contig::freshFileIsDefragmented() {
    const QString path = m_dir.filePath(QStringLiteral("fresh.sqlite"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1 << 20, 'f'));
    file.close();
    for (const QStringList& arguments : {QStringList{"-a", path}, QStringList{path}}) {
        const Result r = run(arguments);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, path + QStringLiteral(" is defragmented\n"));
    }
}

void tst_Contig::interleavedFileIsDefragmented() {
    const QString a = m_dir.filePath(QStringLiteral("a.sqlite"));
    const QString b = m_dir.filePath(QStringLiteral("b.sqlite"));
    writeInterleaved(a, b);
    QVERIFY(QFile::setPermissions(a, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ReadGroup));
    const QByteArray content = digest(a);

    const Result analysis = run({QStringLiteral("-a"), a});
    QCOMPARE(analysis.status, 0);
    static const QRegularExpression fragmented(QStringLiteral(" is in (\\d+) fragments\n$"));
    const QRegularExpressionMatch before = fragmented.match(analysis.out);
    if (!before.hasMatch())
        QSKIP(qPrintable(QStringLiteral("the file system kept the interleaved pieces together: ") +
                         analysis.out));
    QVERIFY(analysis.out.startsWith(a));
    QVERIFY(before.captured(1).toInt() > 1);
    QCOMPARE(digest(a), content); // analysing changes nothing

    const Result defragmenting = run({a});
    QCOMPARE(defragmenting.status, 0);
    QVERIFY(defragmenting.out.startsWith(a));
    const QRegularExpressionMatch after = fragmented.match(defragmenting.out);
    QVERIFY2(!after.hasMatch() || after.captured(1).toInt() < before.captured(1).toInt(),
             qPrintable(defragmenting.out));
    QCOMPARE(digest(a), content);
    // Owner, group and others (not the Qt-only "user" bits).
    QCOMPARE(int(QFile::permissions(a) & 0xf0ff),
             int(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    // No copy is left beside the file.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".rivelpost"),
             QStringList());
}

void tst_Contig::fileWithOtherNamesIsLeftAlone() {
    const QString a = m_dir.filePath(QStringLiteral("linked.sqlite"));
    const QString b = m_dir.filePath(QStringLiteral("other.sqlite"));
    writeInterleaved(a, b);
    const QString second = m_dir.filePath(QStringLiteral("second-name.sqlite"));
    QCOMPARE(::link(QFile::encodeName(a).constData(), QFile::encodeName(second).constData()), 0);
    if (run({QStringLiteral("-a"), a}).out.endsWith(QLatin1String(" is defragmented\n")))
        QSKIP("the file system kept the interleaved pieces together");
    const Result r = run({a});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(QLatin1String("hard links")), qPrintable(r.err));
    // Both names still reach the same file.
    QFile f(second);
    QVERIFY(f.open(QIODevice::Append));
    f.write("x");
    f.close();
    QCOMPARE(QFileInfo(a).size(), 256 * 4096 + 1);
}

void tst_Contig::refusals_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");
    QTest::newRow("no file") << QStringList{"-a"} << 2 << "no file given";
    QTest::newRow("unknown option") << QStringList{"-x", "f"} << 2 << "unknown option -x";
    QTest::newRow("missing file") << QStringList{"-a", "/nonexistent/hdb.sqlite"} << 1
                                  << "/nonexistent/hdb.sqlite: cannot open";
    QTest::newRow("missing file, defragmenting")
        << QStringList{"/nonexistent/hdb.sqlite"} << 1 << "/nonexistent/hdb.sqlite: cannot open";
}

void tst_Contig::refusals() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, error);
    const Result r = run(arguments);
    QCOMPARE(r.status, status);
    QCOMPARE(r.out, QString()); // no "fragment" line for the program to read
    QVERIFY2(r.err.contains(error), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(tst_Contig)
#include "tst_Contig.moc"
