#include "core/base/Error.h"
#include "core/base/LeadingNumber.h"
#include "jet/JetFunctions.h"
#include "jet/JetSql.h"
#include "jet/JetValue.h"
#include "providers/sqlite/SqliteDialect.h"
#include "providers/sqlite/SqliteJetFunctions.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

using namespace rp;

class TestJetFunctions : public QObject {
    Q_OBJECT

    QSqlDatabase m_db;

    // Runs "SELECT <expression>" written in Jet and gives the value as text ("<null>" for Null),
    // or the error as "error: …".
    QString evaluate(const QString& expression) {
        QSqlQuery q(m_db);
        QString sql;
        try {
            sql = JetSql::translate(QStringLiteral("SELECT ") + expression, SqliteDialect()).sql;
        } catch (const Error& e) {
            return QStringLiteral("error: ") + e.message();
        }
        if (!q.exec(sql) || !q.next())
            return QStringLiteral("error: ") + q.lastError().text();
        const QVariant v = q.value(0);
        return v.isNull() ? QStringLiteral("<null>") : v.toString();
    }

    void addRows(std::initializer_list<std::pair<const char*, const char*>> rows) {
        for (const auto& [expression, expected] : rows)
            QTest::newRow(expression)
                << QString::fromUtf8(expression) << QString::fromUtf8(expected);
    }

private slots:
    void initTestCase() {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("jetfunctions"));
        m_db.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(m_db.open());
        registerJetFunctions(*static_cast<sqlite3**>(m_db.driver()->handle().data()));
    }

    void cleanupTestCase() {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("jetfunctions"));
    }

    void viaSql_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expected");
        // Date parts, from date literals, ISO text and Jet text; Null stays Null.
        addRows({{"Year(#05-Mar-1999#)", "1999"},
                 {"Year('5-Mar-1999')", "1999"},
                 {"Month('1999-03-05 13:45:10')", "3"},
                 {"Day('1999-03-05 13:45:10')", "5"},
                 {"Hour('1999-03-05 13:45:10')", "13"},
                 {"Minute('1999-03-05 13:45:10')", "45"},
                 {"Second('1999-03-05 13:45:10')", "10"},
                 {"Year(NULL)", "<null>"},
                 {"Weekday(#05-Mar-1999#)", "6"},
                 {"Weekday(#05-Mar-1999#, 2)", "5"}});
        // DateAdd keeps the day within the month and carries over days and years.
        addRows({{"DateAdd('m', 1, #31-Jan-2000#)", "2000-02-29 00:00:00"},
                 {"DateAdd('yyyy', 1, #29-Feb-2000#)", "2001-02-28 00:00:00"},
                 {"DateAdd('q', 1, #30-Nov-1999#)", "2000-02-29 00:00:00"},
                 {"DateAdd('d', -1, #1/1/2000#)", "1999-12-31 00:00:00"},
                 {"DateAdd('y', 1, #12/31/1999#)", "2000-01-01 00:00:00"},
                 {"DateAdd('w', 1, #12/31/1999#)", "2000-01-01 00:00:00"},
                 {"DateAdd('ww', 2, #1/1/2000#)", "2000-01-15 00:00:00"},
                 {"DateAdd('h', 25, #31-Dec-1999 23:00#)", "2000-01-02 00:00:00"},
                 {"DateAdd('N', 15, '2000-01-01 23:50:00')", "2000-01-02 00:05:00"},
                 {"DateAdd('s', -1, #1/1/2000#)", "1999-12-31 23:59:59"},
                 {"DateAdd('d', NULL, #1/1/2000#)", "<null>"},
                 {"DateAdd('d', 1, #1/1/2000#) = '2000-01-02 00:00:00'", "1"}});
        // DateDiff counts boundaries crossed.
        addRows({{"DateDiff('yyyy', #31-Dec-1999#, #1-Jan-2000#)", "1"},
                 {"DateDiff('q', #31-Mar-2000#, #1-Apr-2000#)", "1"},
                 {"DateDiff('m', #31-Jan-2000#, #1-Feb-2000#)", "1"},
                 {"DateDiff('d', #1/1/2000 23:00#, #1/2/2000 01:00#)", "1"},
                 {"DateDiff('d', #1/10/2000#, #1/1/2000#)", "-9"},
                 {"DateDiff('h', #1/1/2000 10:59#, #1/1/2000 11:00#)", "1"},
                 {"DateDiff('n', '2000-01-01 10:59:59', '2000-01-01 11:00:00')", "1"},
                 {"DateDiff('s', #1/1/2000#, #1/2/2000#)", "86400"},
                 {"DateDiff('w', #1/1/2000#, #1/14/2000#)", "1"},
                 {"DateDiff('w', #1/1/2000#, #1/15/2000#)", "2"},
                 {"DateDiff('ww', #1/1/2000#, #1/2/2000#)", "1"},
                 {"DateDiff('ww', #1/2/2000#, #1/8/2000#)", "0"},
                 {"DateDiff('ww', #1/1/2000#, #1/2/2000#, 2)", "0"},
                 {"DatePart('q', #5-Aug-2000#)", "3"},
                 {"DatePart('y', #1-Mar-2000#)", "61"},
                 {"DatePart('ww', #1/1/2000#)", "1"},
                 {"DatePart('ww', #1/2/2000#)", "2"}});
        // DateSerial normalises months and days; two-digit years are windowed.
        addRows({{"DateSerial(1999, 13, 1)", "2000-01-01 00:00:00"},
                 {"DateSerial(2000, 3, 0)", "2000-02-29 00:00:00"},
                 {"DateSerial(2000, 1, 0)", "1999-12-31 00:00:00"},
                 {"DateSerial(2000, 0, 1)", "1999-12-01 00:00:00"},
                 {"DateSerial(2000, -1, 1)", "1999-11-01 00:00:00"},
                 {"DateSerial(2000, 2, 30)", "2000-03-01 00:00:00"},
                 {"DateSerial(99, 1, 1)", "1999-01-01 00:00:00"},
                 {"DateSerial(5, 1, 1)", "2005-01-01 00:00:00"},
                 {"DateValue('5-Mar-1999 13:45')", "1999-03-05 00:00:00"}});
        // Text.
        addRows({{"Len('abc')", "3"},
                 {"Len(NULL)", "<null>"},
                 {"Len(12.5)", "4"},
                 {"Left('Colorado', 3)", "Col"},
                 {"Left('ab', 5)", "ab"},
                 {"Right('Colorado', 3)", "ado"},
                 {"Mid('Colorado', 3)", "lorado"},
                 {"Mid('Colorado', 3, 2)", "lo"},
                 {"Mid('abc', 5)", ""},
                 {"UCase('abc')", "ABC"},
                 {"LCase('ABC')", "abc"},
                 {"'[' & Trim('  a b  ') & ']'", "[a b]"},
                 {"'[' & LTrim('  a ') & ']'", "[a ]"},
                 {"'[' & RTrim(' a  ') & ']'", "[ a]"},
                 {"InStr('Colorado', 'o')", "2"},
                 {"InStr(3, 'Colorado', 'o')", "4"},
                 {"InStr('Colorado', 'X')", "0"},
                 {"InStr('Colorado', 'RAD')", "5"},
                 {"InStr(1, 'Colorado', 'RAD', 0)", "0"},
                 {"Replace('a-b-c', '-', '+')", "a+b+c"}});
        // Numbers, rounding on the decimal value, conversions.
        addRows({{"Val('12abc')", "12"},
                 {"Val('abc')", "0"},
                 {"Val('  -3.5e2x')", "-350"},
                 {"Val('1.2.3')", "1.2"},
                 {"Val('')", "0"},
                 {"Val(NULL)", "<null>"},
                 {"Int(-1.5)", "-2"},
                 {"Int(1.5)", "1"},
                 {"Int(7)", "7"},
                 {"Fix(-1.5)", "-1"},
                 {"Abs(-2.5)", "2.5"},
                 {"Sgn(-3)", "-1"},
                 {"Sgn(0)", "0"},
                 {"Sqr(16)", "4"},
                 {"Round(2.5)", "2"},
                 {"Round(3.5)", "4"},
                 {"Round(-2.5)", "-2"},
                 {"Round(0.125, 2)", "0.12"},
                 {"Round(0.135, 2)", "0.14"},
                 {"Round(2.675, 2)", "2.68"},
                 {"Round(1.005, 2)", "1"},
                 {"Round(1234.5678, 2)", "1234.57"},
                 {"Round(5)", "5"},
                 {"'[' & Str(12) & ']'", "[ 12]"},
                 {"Str(-12)", "-12"},
                 {"Str(0.1 + 0.2)", " 0.3"},
                 {"CStr(12.5)", "12.5"},
                 {"CDbl('1.5')", "1.5"},
                 {"CInt(2.5)", "2"},
                 {"CInt(3.5)", "4"},
                 {"CLng('123456.5')", "123456"},
                 {"CDate('5-Mar-1999')", "1999-03-05 00:00:00"},
                 {"CDate(36224.5)", "1999-03-05 12:00:00"},
                 {"IIf(1 > 2, 'a', 'b')", "b"},
                 {"IIf(NULL, 'a', 'b')", "b"},
                 {"IIf('True', 1, 2)", "1"},
                 {"Nz(NULL) = ''", "1"},
                 {"Nz(NULL, 0)", "0"},
                 {"Nz(5, 0)", "5"},
                 {"IsNull(NULL)", "1"},
                 {"IsNumeric('12.5')", "1"},
                 {"IsNumeric('x')", "0"},
                 {"IsDate('31-Feb-2012')", "0"},
                 {"IsDate('29-Feb-2012')", "1"}});
        // Format: dates, named formats, number patterns; what does not fit gives the text.
        addRows({{"Format(#05-Mar-1999 13:45:10#, 'yyyy-mm-dd hh:nn:ss')", "1999-03-05 13:45:10"},
                 {"Format(#05-Mar-1999#, 'dd-mmm-yyyy')", "05-Mar-1999"},
                 {"Format(#05-Mar-1999#, 'mmmm d, yyyy')", "March 5, 1999"},
                 {"Format(#05-Mar-1999#, 'm/d/yy')", "3/5/99"},
                 {"Format(#05-Mar-1999 13:45#, 'h:mm AM/PM')", "1:45 PM"},
                 {"Format(#05-Mar-1999 00:05#, 'hh:mm am/pm')", "12:05 am"},
                 {"Format(#05-Mar-1999 13:45#, 'hh:mm')", "13:45"},
                 {"Format(#05-Mar-1999#, 'dddd ddd q')", "Friday Fri 1"},
                 {"Format(#05-Mar-1999#, 'Short Date')", "3/5/1999"},
                 {"Format(#05-Mar-1999#, 'long date')", "Friday, March 5, 1999"},
                 {"Format(#05-Mar-1999#, 'Medium Date')", "05-Mar-99"},
                 {"Format(#05-Mar-1999 13:45:10#, 'General Date')", "3/5/1999 1:45:10 PM"},
                 {"Format(#05-Mar-1999#, 'General Date')", "3/5/1999"},
                 {"Format(1234.5, '#,##0.0')", "1,234.5"},
                 {"Format(0.285, '0.00')", "0.29"},
                 {"Format(1.15, '0.0')", "1.2"},
                 {"Format(2.5, '0')", "3"},
                 {"Format(-2.5, '0')", "-3"},
                 {"Format(5, '0.00')", "5.00"},
                 {"Format(0.5, '#.00')", ".50"},
                 {"Format(1234567.891, 'Standard')", "1,234,567.89"},
                 {"Format(3.14159, 'Fixed')", "3.14"},
                 {"Format(0.125, 'Percent')", "12.50%"},
                 {"Format(1234.5, 'Currency')", "$1,234.50"},
                 {"Format(-5, '0;(0)')", "(5)"},
                 {"Format(0, '0;(0);\"zero\"')", "zero"},
                 {"Format(7, '0\" cfs\"')", "7 cfs"},
                 {"Format('12.345', '0.0')", "12.3"},
                 {"Format(0, 'Yes/No')", "No"},
                 {"Format(1234.5, 'Scientific')", "1.23E+03"},
                 {"Format('abc', '0.00')", "abc"},
                 {"Format(12.5, 'yyyy')", "12.5"},
                 {"Format(12.5, 'Foo')", "12.5"},
                 {"Format(12.5)", "12.5"},
                 {"Format('abc', '>')", "ABC"},
                 {"Format(NULL, '0')", "<null>"}});
    }
    void viaSql() {
        QFETCH(QString, expression);
        QFETCH(QString, expected);
        QCOMPARE(evaluate(expression), expected);
    }

    void errors_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("message");
        addRows({{"DateAdd('x', 1, #1/1/2000#)", "DateAdd: \"x\" is not an interval"},
                 {"Year('abc')", "Year: \"abc\" is not a date"},
                 {"Month(12)", "Month: \"12\" is not a date"},
                 {"Mid('abc', 0)", "Mid: the start must be 1 or more"},
                 {"Left('abc', -1)", "Left: the length must not be negative"},
                 {"Sqr(-1)", "Sqr: the number must not be negative"},
                 {"CInt(40000)", "CInt: 40000 is outside -32768 to 32767"},
                 {"CDbl('abc')", "CDbl: \"abc\" is not a number"},
                 {"DateAdd('yyyy', 9000, #1/1/2000#)", "outside the years 100 to 9999"},
                 {"DateSerial(2000, 1, 99999999)", "outside the years 100 to 9999"},
                 {"Round(1.5, -1)", "Round: the number of decimals must not be negative"},
                 {"Mid('abc')", "wrong number of arguments"}});
    }
    void errors() {
        QFETCH(QString, expression);
        QFETCH(QString, message);
        const QString result = evaluate(expression);
        QVERIFY2(result.startsWith(QLatin1String("error: ")) && result.contains(message),
                 qPrintable(result));
    }

    // Every function the translator renames is one SQLite knows.
    void everyFunctionIsRegistered() {
        for (const jet::FunctionInfo& f : jet::functions()) {
            QStringList nulls;
            for (int i = 0; i < f.minArguments; ++i)
                nulls << QStringLiteral("NULL");
            const QString result =
                evaluate(QString::fromLatin1(f.name) + '(' + nulls.join(", ") + ')');
            QVERIFY2(!result.contains(QLatin1String("no such function")), qPrintable(result));
        }
    }

    void nowAndDate() {
        const QString before = QDate::currentDate().toString(Qt::ISODate);
        const QString date = evaluate(QStringLiteral("Date()"));
        const QString after = QDate::currentDate().toString(Qt::ISODate);
        QVERIFY2(date == before + " 00:00:00" || date == after + " 00:00:00", qPrintable(date));
        const QDateTime now = QDateTime::fromString(evaluate(QStringLiteral("Now()")),
                                                    QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY(now.isValid());
        QVERIFY(qAbs(now.secsTo(QDateTime::currentDateTime())) < 5);
    }

    void decimalRounding_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("places");
        QTest::addColumn<bool>("halfEven");
        QTest::addColumn<double>("expected");
        QTest::newRow("tie even down") << 0.125 << 2 << true << 0.12;
        QTest::newRow("tie away up") << 0.125 << 2 << false << 0.13;
        QTest::newRow("decimal tie not binary") << 0.285 << 2 << false << 0.29;
        QTest::newRow("one decimal") << 1.15 << 1 << false << 1.2;
        QTest::newRow("carry") << 9.995 << 2 << false << 10.0;
        QTest::newRow("negative away") << -2.5 << 0 << false << -3.0;
        QTest::newRow("negative even") << -3.5 << 0 << true << -4.0;
        QTest::newRow("below the first digit") << 0.004 << 0 << false << 0.0;
        QTest::newRow("half at first digit even") << 0.5 << 0 << true << 0.0;
        QTest::newRow("half at first digit away") << 0.5 << 0 << false << 1.0;
        QTest::newRow("more than a half") << 0.51 << 0 << true << 1.0;
        QTest::newRow("nothing to round") << 1.5 << 3 << true << 1.5;
        QTest::newRow("large") << 123456789.125 << 2 << true << 123456789.12;
    }
    void decimalRounding() {
        QFETCH(double, value);
        QFETCH(int, places);
        QFETCH(bool, halfEven);
        QFETCH(double, expected);
        QCOMPARE(
            jet::roundDecimal(value, places,
                              halfEven ? jet::Rounding::HalfEven : jet::Rounding::HalfAwayFromZero),
            expected);
    }

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("digits then letters") << "12abc" << 12.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("leading blanks and sign") << "  -7.25 cfs" << -7.25;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("one decimal point") << "1.2.3" << 1.2;
        QTest::newRow("exponent") << "1e3x" << 1000.0;
        QTest::newRow("letter e without digits") << "12eh" << 12.0;
        QTest::newRow("date text") << "3/5/1999 7:15:00 AM" << 3.0;
        QTest::newRow("empty") << "" << 0.0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(rp::leadingNumber(text), expected);
    }

    void callByName() {
        QCOMPARE(jet::call(u"dateserial", {1999, 13, 1}).toString(),
                 QStringLiteral("2000-01-01 00:00:00"));
        QCOMPARE(jet::call(u"Nz", {QVariant(), 7}).toInt(), 7);
        QVERIFY_THROWS_EXCEPTION(Error, jet::call(u"NoSuchThing", {}));
        QVERIFY_THROWS_EXCEPTION(Error, jet::call(u"Mid", {QStringLiteral("abc")}));
        QVERIFY_THROWS_EXCEPTION(Error, registerJetFunctions(nullptr));
    }

    // Whatever a query hands a function, the answer is a value or a message.
    void arbitraryArgumentsAreSafe() {
        const QVariantList pool = {QVariant(),
                                   qint64(0),
                                   qint64(-1),
                                   std::numeric_limits<qint64>::max(),
                                   std::numeric_limits<qint64>::min(),
                                   1.5,
                                   -2.5,
                                   1e300,
                                   -1e300,
                                   QString(),
                                   QStringLiteral("abc"),
                                   QStringLiteral("12.5"),
                                   QStringLiteral("2000-01-01 00:00:00"),
                                   QStringLiteral("31-Feb-2012"),
                                   QStringLiteral("yyyy"),
                                   QStringLiteral("ww"),
                                   QStringLiteral("0.00;(0)"),
                                   QStringLiteral("Short Date"),
                                   QStringLiteral("\\\"")};
        QRandomGenerator random(7);
        for (const jet::FunctionInfo& f : jet::functions()) {
            for (int n = 0; n < 400; ++n) {
                QVariantList arguments;
                const int count = random.bounded(f.minArguments, f.maxArguments + 1);
                for (int i = 0; i < count; ++i)
                    arguments << pool.at(random.bounded(int(pool.size())));
                try {
                    f.call(arguments);
                } catch (const Error& e) {
                    QVERIFY(!e.message().isEmpty());
                }
            }
        }
    }

    // Date values other backends hand over are dates too.
    void dateValuesFromOtherBackends() {
        const QDateTime dt(QDate(1999, 3, 5), QTime(13, 45), Qt::UTC);
        QCOMPARE(jet::year(dt).toInt(), 1999);
        QCOMPARE(jet::dateAdd(QStringLiteral("d"), 1, QDate(1999, 3, 5)).toString(),
                 QStringLiteral("1999-03-06 00:00:00"));
        QCOMPARE(jet::format(dt, QStringLiteral("hh:nn")).toString(), QStringLiteral("13:45"));
    }
};

QTEST_GUILESS_MAIN(TestJetFunctions)
#include "tst_JetFunctions.moc"
