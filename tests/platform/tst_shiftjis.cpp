#include <QtTest>

#include "platform/system/ShiftJis.h"

class TestShiftJis : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("sjis");
        QTest::newRow("ascii") << QStringLiteral("Master.DB") << QByteArray("Master.DB");
        QTest::newRow("kana and kanji") << QStringLiteral("食費") << QByteArray("\x90\x48\x94\xEF");
        QTest::newRow("wave dash of cp932") << QStringLiteral("～") << QByteArray("\x81\x60");
        QTest::newRow("circled digit") << QStringLiteral("①") << QByteArray("\x87\x40");
    }
    void roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, sjis);
        QCOMPARE(toShiftJis(text), sjis);
        QCOMPARE(fromShiftJis(sjis), text);
    }

    void unconvertibleBecomesQuestionMark()
    {
        QCOMPARE(toShiftJis(QStringLiteral("a😀b")), QByteArray("a?b"));
        QCOMPARE(fromShiftJis(QByteArray("a\x81")), QStringLiteral("a\uFFFD"));
    }
};

QTEST_GUILESS_MAIN(TestShiftJis)
#include "tst_shiftjis.moc"
