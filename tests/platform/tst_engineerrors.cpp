#include <QFile>
#include <QtTest>

#include "TestEnv.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

// The engine's own English texts never reach the user alone: each error a
// user can meet carries a Japanese message of ours, the engine's text below it.
class TestEngineErrors : public QObject
{
    Q_OBJECT

private slots:
    void japaneseMessageWithTheEngineText_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("engineText");
        QTest::addColumn<QString>("message");
        QTest::newRow("locked") << u"locked"_s << u"database is locked"_s
                                << u"家計簿はほかのプログラムが使用中です。"_s;
        QTest::newRow("malformed") << u"malformed"_s << u"database disk image is malformed"_s
                                   << u"家計簿のデータベースが壊れています。"_s;
        QTest::newRow("read-only") << u"readonly"_s << u"attempt to write a readonly database"_s
                                   << u"家計簿のデータベースに書き込めません。"_s;
        QTest::newRow("no transaction") << u"commit"_s << u"cannot commit - no transaction is active"_s
                                        << u"書き込みの途中で変更が取り消されたため"_s;
    }
    void japaneseMessageWithTheEngineText()
    {
        QFETCH(QString, situation);
        QFETCH(QString, engineText);
        QFETCH(QString, message);
        TestEnv env;
        const QString path = env.path(u"book.db"_s);
        {
            Database db;
            db.open(path, QString(), true);
            db.exec(u"CREATE TABLE T (A TEXT)"_s);
            db.begin();
            for (int i = 0; i < 500; ++i)
                db.exec(u"INSERT INTO T VALUES ('%1')"_s.arg(QString(100, QLatin1Char('x'))));
            db.commit();
        }
        Database other;
        if (situation == u"malformed"_s) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.seek(4096));
            f.write(QByteArray(f.size() - 4096, char(0x55)));
        }
        Database db;
        db.open(path);
        db.setBusyTimeout(0);
        if (situation == u"locked"_s) {
            other.open(path);
            other.begin(Database::TransactionMode::Exclusive);
        }
        if (situation == u"readonly"_s)
            db.exec(u"PRAGMA query_only = ON"_s);
        QString shown;
        try {
            if (situation == u"commit"_s)
                db.commit();
            else if (situation == u"readonly"_s)
                db.exec(u"DELETE FROM T"_s);
            else
                db.scalar(u"SELECT COUNT(*) FROM T"_s);
        } catch (const EDatabaseError &e) {
            shown = QString::fromUtf8(e.what());
            QCOMPARE(e.message(), shown);
            QCOMPARE(e.engineText(), engineText);
            QCOMPARE(db.damageSeen(), situation == u"malformed"_s);
        }
        QVERIFY2(shown.startsWith(message), qPrintable(shown));
        QVERIFY2(shown.contains(u"("_s + engineText + u")"_s), qPrintable(shown));
    }

    // Errors of our own making, in Japanese already, are shown as they are.
    void ownTextsStayAsTheyAre()
    {
        const EDatabaseError e(u"テーブル Master がありません"_s);
        QCOMPARE(e.message(), u"テーブル Master がありません"_s);
        QCOMPARE(QString::fromUtf8(e.what()), u"テーブル Master がありません"_s);
    }
};

QTEST_GUILESS_MAIN(TestEngineErrors)
#include "tst_engineerrors.moc"
