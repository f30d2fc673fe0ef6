#include <QComboBox>
#include <QDir>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "TestEnv.h"
#include "data/BookFolders.h"
#include "data/DataUtils.h"
#include "data/DatMod.h"
#include "data/FormNewData.h"
#include "data/HimokuCache.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/Field.h"
#include "platform/db/Provider.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

using namespace Qt::StringLiterals;

// The shared data utilities on an open book restored from the template: the
// journal sum, the save prompt, a credit account's payment day, the combo's
// code and the closing-day uniformity tests.
class TestBooksUtils : public QObject, private BookFixture::BookPlace
{
    Q_OBJECT

private:
    Database &db() { return dm->MainDatabase; }

private slots:
    void init()
    {
        openPlace();
        QString folder = makeBook(u"book"_s);
        QVERIFY(!folder.isEmpty());
        QVERIFY(dm->OpenBook(u"book"_s, folder));
    }
    void cleanup() { closePlace(); }

    void sumKeepsTheCurrentRow()
    {
        Table master(db(), u"Master.DB"_s);
        QCOMPARE(SumMeisaiKingaku(master), Currency()); // closed
        db().exec("INSERT INTO Master (DATANO, KINGAKU) VALUES (1, 100.25), (2, -40), (3, 1000)");
        master.open();
        master.first();
        master.next();
        const int here = master.fieldByName("DATANO")->asInteger();
        QCOMPARE(SumMeisaiKingaku(master), Currency::fromString(u"1060.25"_s));
        QCOMPARE(master.fieldByName("DATANO")->asInteger(), here);
        db().exec("DELETE FROM Master");
        master.refresh();
        QCOMPARE(SumMeisaiKingaku(master), Currency());
    }

    void savePromptByAnswer_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("mayLeave");
        QTest::addColumn<QString>("stored");
        QTest::newRow("yes") << int(mrYes) << true << u"新しい人"_s;
        QTest::newRow("no") << int(mrNo) << true << QString();
        QTest::newRow("cancel") << int(mrCancel) << false << QString();
    }
    void savePromptByAnswer()
    {
        QFETCH(int, answer);
        QFETCH(bool, mayLeave);
        QFETCH(QString, stored);
        Query query(db());
        query.SQL << "SELECT * FROM \"Person.DB\"";
        Provider provider(query);
        ClientDataSet client;
        client.setProvider(&provider);
        client.open();
        {
            DialogQueue none;
            QVERIFY(ConfirmSaveChanges(client)); // nothing pending: nothing asked
        }
        client.append();
        client.fieldByName("CODE")->setAsInteger(500);
        client.fieldByName("NAME")->setAsString(u"新しい人"_s);
        // left in insert: the prompt posts it first
        DialogQueue dialogs;
        dialogs.answer(answer, u"変更を保存しますか？"_s);
        QCOMPARE(ConfirmSaveChanges(client), mayLeave);
        QVERIFY(dialogs.done());
        QCOMPARE(db().scalar("SELECT NAME FROM Person WHERE CODE = 500").toString(), stored);
        QCOMPARE(client.changeCount(), answer == mrCancel ? 1 : 0);
    }

    void paymentDayOfACreditAccount()
    {
        // Paid on the month end of the month after closing, moved to the next
        // working day when that is a holiday.
        db().exec("INSERT INTO Himoku (CODE, POS, NAME, BUNRUI, SIMEBI, CYCLE, FURIKOMIBI, HOLIDAYSHIFT, VISIBLE,"
                  " SYSTEM, TOKUBETU, SIMEHISTROY, SIMESHIFT) VALUES (900, 90, 'card', 9, 15, 1, 0, 2, 1, 0, 0, 0, 0)");
        LoadHimokuCaches(db());
        CurSimeTuki = 12;
        CurShiftNendo = 0;
        THimokuData card;
        QVERIFY(GetHimokuData(900, card));
        QCOMPARE(GetFurikomiDate(900, 2024, 12), QDate(2025, 1, 31));
        // 2024-03-31 is a Sunday: the day after.
        QCOMPARE(GetFurikomiDate(900, 2024, 2), QDate(2024, 4, 1));
        QVERIFY(!GetFurikomiDate(12345, 2024, 1).isValid());
    }

    void comboCodeFollowsTheTypedName()
    {
        QComboBox combo;
        combo.setEditable(true);
        combo.addItem(u"自分"_s, 101);
        combo.addItem(u"家族"_s, 102);
        Table person(db(), u"Person.DB"_s);
        combo.setCurrentIndex(1);
        QCOMPARE(ComboToCode(&combo, person), 102);
        // Edited after choosing: the typed name counts, made when new.
        combo.setEditText(u"自分"_s);
        QCOMPARE(ComboToCode(&combo, person), 101);
        combo.setEditText(u"友人"_s);
        const int code = ComboToCode(&combo, person);
        QVERIFY(code > 100); // user persons are numbered above the system range
        QCOMPARE(db().scalar("SELECT NAME FROM Person WHERE CODE = ?", {code}).toString(), u"友人"_s);
        QCOMPARE(db().scalar("SELECT VISIBLE FROM Person WHERE CODE = ?", {code}).toInt(), 0);
        QCOMPARE(ComboToCode(&combo, person), code); // not made twice
        combo.setEditText(QString());
        QCOMPARE(ComboToCode(&combo, person), 0);
    }

    void closingDayUniformity()
    {
        // Every row at month end, the group rows stored as 0 (also month end).
        db().exec("UPDATE Himoku SET SIMEBI = 31");
        db().exec("UPDATE Himoku SET SIMEBI = 0 WHERE CODE IN (1, 2, 3)");
        LoadHimokuCaches(db());
        QVERIFY(IsSameIriDeruSime());
        QVERIFY(IsUniformSime());
        // An account closing on the 15th breaks the uniformity, not the pair.
        db().exec("INSERT INTO Himoku (CODE, POS, NAME, BUNRUI, SIMEBI, VISIBLE, SYSTEM, TOKUBETU, SIMEHISTROY,"
                  " SIMESHIFT) VALUES (901, 91, 'bank', 5, 15, 1, 0, 0, 0, 0)");
        LoadHimokuCaches(db());
        QVERIFY(IsSameIriDeruSime());
        QVERIFY(!IsUniformSime());
        db().exec("UPDATE Himoku SET SIMEBI = 31 WHERE CODE = 901");
        db().exec("UPDATE Himoku SET SIMEHISTROY = 1 WHERE CODE = 2");
        LoadHimokuCaches(db());
        QVERIFY(!IsSameIriDeruSime());
        QVERIFY(!IsUniformSime());
    }
};

QTEST_MAIN(TestBooksUtils)
#include "tst_booksutils.moc"
