#include <QtTest>

#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "TestEnv.h"

class TestCurrency : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qlonglong>("raw");
        QTest::newRow("plain") << "1200" << true << 12000000LL;
        QTest::newRow("thousands") << "1,200" << true << 12000000LL;
        QTest::newRow("negative") << "-5" << true << -50000LL;
        QTest::newRow("decimals") << "12.3456" << true << 123456LL;
        QTest::newRow("fifth decimal rounds") << "0.00005" << true << 1LL;
        QTest::newRow("letters") << "12a" << false << 0LL;
        QTest::newRow("empty") << "" << false << 0LL;
        QTest::newRow("full-width digits") << "１２" << false << 0LL;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(qlonglong, raw);
        bool good = false;
        const Currency c = Currency::fromString(text, &good);
        QCOMPARE(good, ok);
        QCOMPARE(qlonglong(c.raw()), raw);
    }

    void sumsAreExact()
    {
        Currency sum;
        for (int i = 0; i < 1000; ++i)
            sum += Currency::fromDouble(0.1);
        QCOMPARE(sum, Currency::fromInt(100));
    }

    void rounding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("half up") << "2.5" << 0 << "3";
        QTest::newRow("half away negative") << "-2.5" << 0 << "-3";
        QTest::newRow("below half") << "2.4999" << 0 << "2";
        QTest::newRow("toward zero") << "2.9" << 1 << "2";
        QTest::newRow("toward zero negative") << "-2.9" << 1 << "-2";
        QTest::newRow("away from zero") << "2.0001" << 2 << "3";
        QTest::newRow("away exact") << "2" << 2 << "2";
        QTest::newRow("up positive") << "2.0001" << 3 << "3";
        QTest::newRow("up negative") << "-2.9" << 3 << "-2";
    }
    void rounding()
    {
        QFETCH(QString, text);
        QFETCH(int, mode);
        QFETCH(QString, expected);
        const Currency c = Currency::fromString(text).rounded(0, Currency::Rounding(mode));
        QCOMPARE(c.toString(0), expected);
    }

    void display()
    {
        QCOMPARE(Currency::fromInt(1234567).toString(0, true), QStringLiteral("1,234,567"));
        QCOMPARE(Currency::fromString(QStringLiteral("-1234.5")).toString(2, true), QStringLiteral("-1,234.50"));
    }

    void databaseRoundTripAndRollback()
    {
        TestEnv env;
        Database db;
        db.open(env.path(QStringLiteral("t.db")), QString(), true);
        db.exec(QStringLiteral("CREATE TABLE T (A INTEGER PRIMARY KEY, K REAL)"));
        {
            Transaction tr(db);
            Statement st(db, QStringLiteral("INSERT INTO T VALUES (:A, :K)"));
            st.bind(QStringLiteral(":A"), 1);
            st.bind(QStringLiteral("K"), Currency::fromString(QStringLiteral("12.34")).toDouble());
            st.exec();
            // no commit: the destructor rolls back
        }
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM T")).toInt(), 0);
        QCOMPARE(db.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, db.exec(QStringLiteral("SELECT * FROM Missing")));
    }

    void encryptedBookNeedsItsKey()
    {
        TestEnv env;
        const QString file = env.path(QStringLiteral("k.db"));
        {
            Database db;
            db.open(file, QStringLiteral("secret"), true);
            db.exec(QStringLiteral("CREATE TABLE T (A INTEGER)"));
        }
        Database wrong;
        wrong.open(file, QStringLiteral("other"));
        QVERIFY(!wrong.canRead());
        Database right;
        right.open(file, QStringLiteral("secret"));
        QVERIFY(right.canRead());
        QVERIFY(right.tableExists(QStringLiteral("t")));
    }
};

QTEST_GUILESS_MAIN(TestCurrency)
#include "tst_currency.moc"
