#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "platform/db/Database.h"
#include "views/FrameKouzaSyukei.h"

using namespace Qt::StringLiterals;

// The 通帳 page as a user reaches it: the program started on a book from the
// template, the page picked from its tab, an account's register opened from
// the overview and a line of it shown on the page it was entered on.
class TestPassbook : public QObject, public JournalPageDriver
{
    Q_OBJECT

    // 現金 (100) pays 1,234 for 食費 (107) today, entered on the expense page.
    void addExpense()
    {
        Database db;
        db.open(folder + u"/PomuZenitData.db"_s);
        db.exec(u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, SHOPCODE, HINMEICODE, PERSONCODE, "
                "KARICODE, KASICODE, RESERVED, LOOKUPNO, RECEIPTNO, RECKIND, STYLE, ORIGIN, ZEIATUKAI) "
                "VALUES (500, 0, '%1', 1234, 1, 0, 0, 0, 107, 100, 0, 0, 0, 1, 1, 2, 0)"_s
                    .arg(QDate::currentDate().toString(Qt::ISODate)));
        db.exec(u"UPDATE AutoInc SET MAXNO = 500 WHERE NAME = 'master.db'"_s);
    }

private slots:
    void init()
    {
        makeBook();
        addExpense();
    }
    void cleanup() { dropWorld(); }

    void registerAndJump()
    {
        QVERIFY(start());
        QVERIFY(window->SelectPage(pgTutyo));
        auto *page = qobject_cast<TFrameKouzaSyukei *>(window->frameOf(pgTutyo));
        QVERIFY(page);
        QVERIFY(page->isVisible());
        int cashRow = -1;
        for (int r = 2; r < page->HyouSisan->rowCount(); ++r)
            if (page->HyouSisan->cells(0, r) == u"  現金"_s)
                cashRow = r;
        QVERIFY(cashRow > 0);
        QCOMPARE(page->HyouSisan->getValue(1, cashRow), Currency::fromInt(-1234));
        page->SelectOverviewCell(page->HyouSisan, 1, cashRow);
        QTRY_VERIFY(page->Register->IsOpen() && page->RegisterCode == 100);
        QCOMPARE(page->Register->Rows().last().DataNo, 500);
        QCOMPARE(page->CurrentRegisterRow(), page->Register->rowCount() - 1);
        QTRY_VERIFY(page->FrBtnEdit->isEnabled());

        page->FrBtnEdit->click();
        QCOMPARE(window->currentPageNo(), int(pgDeru));
    }
};

QTEST_MAIN(TestPassbook)
#include "tst_passbook.moc"
