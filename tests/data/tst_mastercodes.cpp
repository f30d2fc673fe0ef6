#include <QtTest>

#include "DialogQueue.h"
#include "JournalBook.h"
#include "data/MasterCodes.h"

// Codes and names of the masters and the choice lists.
class TestMasterCodes : public QObject
{
    Q_OBJECT

private:
    JournalBook book;

    static int rows(Database &db, const QString &sql) { return db.scalar(sql).toInt(); }

private slots:
    void init() { book.open(); }
    void cleanup() { book.close(); }

    void codeToName_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("none") << "HinmeiMast.db" << 0 << "";
        QTest::newRow("system item") << "HinmeiMast.db" << 2 << "消費税";
        QTest::newRow("no row") << "HinmeiMast.db" << 57 << "不明なコード:57";
        QTest::newRow("category") << "Himoku.db" << 100 << "現金";
        QTest::newRow("unknown category") << "Himoku.db" << 4321 << "不明なコード:4321";
        QTest::newRow("no shop") << "ShopMast.db" << 0 << "";
        QTest::newRow("unknown person") << "Person.DB" << 5 << "不明なコード:5";
    }
    void codeToName()
    {
        QFETCH(QString, table);
        QFETCH(int, code);
        QFETCH(QString, name);
        QCOMPARE(MasterCodeToName(*book.dm->tableByName(table), code), name);
    }

    void nameToCodeAndNewRows()
    {
        Table &items = *book.dm->HinmeiMstTbl;
        QCOMPARE(MasterNameToCode(items, QString()), 0);
        QCOMPARE(MasterNameToCode(items, QStringLiteral("りんご")), -1);
        const int apple = GetOrAddMasterCode(items, QStringLiteral("りんご"));
        QVERIFY(apple > 100);
        QCOMPARE(MasterNameToCode(items, QStringLiteral("りんご")), apple);
        QCOMPARE(GetOrAddMasterCode(items, QStringLiteral("りんご")), apple);
        QCOMPARE(HinmeiCodeToName(apple), QStringLiteral("りんご"));
        // A new item starts with quantity 1, no amount and no tax treatment of its own.
        const THinmeiValues rec = ReadHinmeiRec(items, apple);
        QCOMPARE(rec.code, apple);
        QCOMPARE(rec.quantity, 1.0);
        QCOMPARE(rec.amount, Currency());
        QCOMPARE(rec.zeiAtukai, 3);
        QCOMPARE(ReadHinmeiRec(items, 9999).code, -1);
        // Names are matched exactly.
        QCOMPARE(MasterNameToCode(items, QStringLiteral("リンゴ")), -1);

        bool added = true;
        const int shop = GetOrAddCode(*book.dm->ShopMstTbl, QStringLiteral("駅前店"), added);
        QVERIFY(added && shop > 100);
        QCOMPARE(GetOrAddCode(*book.dm->ShopMstTbl, QStringLiteral("駅前店"), added), shop);
        QVERIFY(!added);
        QCOMPARE(ShopCodeToName(shop), QStringLiteral("駅前店"));
        // The new rows are in the book.
        QCOMPARE(rows(book.dm->MainDatabase, "SELECT COUNT(*) FROM HinmeiMast WHERE NAME = 'りんご'"), 1);
    }

    void itemValuesAreSaved()
    {
        Table &items = *book.dm->HinmeiMstTbl;
        bool added = false;
        const int code = SaveHinmeiMaster(items, QStringLiteral("米"), 1, Currency::fromDouble(2000), 0, added);
        QVERIFY(added);
        QCOMPARE(ReadHinmeiRec(items, code).quantity, 1.0);   // quantity 0 stores 1
        QCOMPARE(SaveHinmeiMaster(items, QStringLiteral("米"), 2, Currency::fromDouble(1800), 5, added), code);
        QVERIFY(!added);
        const THinmeiValues rec = ReadHinmeiRec(items, code);
        QCOMPARE(rec.amount, Currency::fromDouble(1800));
        QCOMPARE(rec.quantity, 5.0);
        QCOMPARE(rec.zeiAtukai, 2);
        QCOMPARE(SaveHinmeiMaster(items, QString(), 0, Currency(), 1, added), 0);
    }

    void typedPersonJoinsTheListLater()
    {
        const int person = GetOrAddMasterCode(*book.dm->PersonTbl, QStringLiteral("花子"));
        QVERIFY(person > 100);
        QVERIFY(book.dm->PersonTbl->locate("CODE", person));
        QCOMPARE(book.dm->PersonTbl->fieldByName("VISIBLE")->asBoolean(), false);
        QVERIFY(AddPerson(QStringLiteral("花子")));
        QVERIFY(book.dm->PersonTbl->locate("CODE", person));
        QCOMPARE(book.dm->PersonTbl->fieldByName("VISIBLE")->asBoolean(), true);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, QStringLiteral("すでに登録されています。"));
            QVERIFY(!AddPerson(QStringLiteral("花子")));
            QVERIFY(dialogs.done());
        }
        QVERIFY(AddPerson(QStringLiteral("次郎")));
        QVERIFY(MasterNameToCode(*book.dm->PersonTbl, QStringLiteral("次郎")) > person);
    }

    void choiceLists()
    {
        Database &db = book.dm->MainDatabase;
        const int category = book.food;
        // A new item is made and listed.
        QVERIFY(AddHinmeiListItem(category, 0, QStringLiteral("卵"), 1, 1, Currency::fromDouble(250)));
        const int egg = MasterNameToCode(*book.dm->HinmeiMstTbl, QStringLiteral("卵"));
        QVERIFY(egg > 100);
        const QString count = QStringLiteral("SELECT COUNT(*) FROM HinmeiList WHERE HIMOKUCODE = %1 AND OYACODE = %2 "
                                             "AND KOCODE = %3").arg(category).arg(egg);
        QCOMPARE(rows(db, count.arg(0)), 1);
        // Listed and visible: told, nothing changes.
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, QStringLiteral("すでに登録されています。"));
            QVERIFY(!AddHinmeiListItem(category, egg, QStringLiteral("卵"), 1, 1, Currency()));
            QVERIFY(dialogs.done());
        }
        QCOMPARE(rows(db, count.arg(0)), 1);
        // Hidden: shown again without a word.
        db.exec(QStringLiteral("UPDATE HinmeiList SET VISIBLE = 0"));
        book.dm->HinmeiLstTbl->refresh();
        QVERIFY(!AddHinmeiListItem(category, egg, QStringLiteral("卵"), 1, 1, Currency()));
        QCOMPARE(rows(db, QStringLiteral("SELECT COUNT(*) FROM HinmeiList WHERE VISIBLE = 1")), 1);
        // Sub-items need a parent.
        QVERIFY(!AddHinmeiListSubItem(category, 0, egg, QString(), 1, 1, Currency()));
        QVERIFY(AddHinmeiListSubItem(category, egg, 0, QStringLiteral("うずら卵"), 1, 1, Currency()));
        const int quail = MasterNameToCode(*book.dm->HinmeiMstTbl, QStringLiteral("うずら卵"));
        QCOMPARE(rows(db, QStringLiteral("SELECT COUNT(*) FROM HinmeiList WHERE OYACODE = %1 AND KOCODE = %2")
                              .arg(egg).arg(quail)),
                 1);

        QVERIFY(AddShopListItem(category, 0, QStringLiteral("八百屋")));
        const int shop = MasterNameToCode(*book.dm->ShopMstTbl, QStringLiteral("八百屋"));
        QVERIFY(shop > 100);
        QVERIFY(!AddShopListSubItem(category, 0, shop, QString()));
        QVERIFY(AddShopListSubItem(category, shop, 0, QStringLiteral("八百屋2号店")));
        QCOMPARE(rows(db, QStringLiteral("SELECT COUNT(*) FROM ShopList WHERE HIMOKUCODE = %1").arg(category)), 2);
    }
};

QTEST_GUILESS_MAIN(TestMasterCodes)
#include "tst_mastercodes.moc"
