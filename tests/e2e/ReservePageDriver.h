#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include "JournalPageDriver.h"
#include "data/Holidays.h"
#include "data/RecordNumbers.h"
#include "main/FrameReserve.h"
#include "main/FrameSelecter.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"

// The 予約 page as a user meets it: the program started on a book from the
// template, the page shown, cards filled through its controls and selector.
struct ReservePageDriver : JournalPageDriver
{
    int food = 0, cash = 0;

    Database &db() { return DatMod->MainDatabase; }
    int count(const QString &where)
    {
        return db().scalar(QStringLiteral("SELECT COUNT(*) FROM Master WHERE ") + where).toInt();
    }

    // Scheduled lines written straight into the book file before a start.
    void addScheduled(const QDate &date, int gyono, int amount)
    {
        Database book;
        book.open(folder + QStringLiteral("/PomuZenitData.db"));
        static int dataNo = 90000;
        book.exec(QStringLiteral("INSERT INTO Master (DATANO,GYONO,RECDATE,KARICODE,KASICODE,KINGAKU,RESERVED,RECEIPTNO,LOOKUPNO,"
                  "STYLE,ORIGIN) VALUES (%1,%2,'%3',%4,%5,%6,1,0,0,4,2)").arg(++dataNo)
                      .arg(gyono)
                      .arg(date.toString(Qt::ISODate))
                      .arg(food)
                      .arg(cash)
                      .arg(amount));
        book.close();
    }

    void readCodes()
    {
        Database book;
        book.open(folder + QStringLiteral("/PomuZenitData.db"));
        food = book.scalar(QStringLiteral("SELECT CODE FROM Himoku WHERE NAME = '食費' AND BUNRUI = 2")).toInt();
        cash = book.scalar(QStringLiteral("SELECT MIN(CODE) FROM Himoku WHERE NAME = '現金'")).toInt();
        book.close();
        QVERIFY(food > 0 && cash > 0);
    }

    TFrameReserve *openPage()
    {
        if (!start())
            return nullptr;
        // Holidays of the years the cards use, so that no year is reported missing.
        const int year = QDate::currentDate().year();
        for (int y = year - 1; y <= year + 1; ++y)
            if (!YearHasHolidays(db(), y))
                GenerateYearInBook(db(), y, [this] { return RecordNumbers::GetNewDataNo(db(), QStringLiteral("DateList.db")); });
        if (!window->SelectPage(pgReserve))
            return nullptr;
        return qobject_cast<TFrameReserve *>(window->frameOf(pgReserve));
    }

    static void choose(TFrameReserve *page, QLineEdit *edit, const QString &name)
    {
        edit->setFocus();
        QTRY_VERIFY(page->FrSelecter->choiceCount() > 0);
        QVERIFY2(page->FrSelecter->LocateName(name), qPrintable(name));
        page->FrSelecter->Choose(Qt::NoModifier, Qt::Key_Return);
        QCOMPARE(edit->text(), name);
    }

    static void pick(QComboBox *combo, const QString &text)
    {
        const int index = combo->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    // A card on the shown tab: 食費 from 現金, an item name typed, a fixed
    // amount, posting day and months around today.
    void fillCard(TFrameReserve *page, const QString &item, const QString &amount, int day)
    {
        choose(page, page->DBEditHimoku, QStringLiteral("食費"));
        choose(page, page->DBEditAite, QStringLiteral("現金"));
        page->DBEditHinmei->setFocus();
        page->DBEditHinmei->insert(item);   // committed by the input method
        QTest::keyClick(page->DBEditHinmei, Qt::Key_Return);
        page->DBEditKingaku->setFocus();
        page->DBEditKingaku->selectAll();
        QTest::keyClicks(page->DBEditKingaku, amount);
        QTest::keyClick(page->DBEditKingaku, Qt::Key_Return);
        pick(page->DBCmbBoxPostDate, QString::number(day));
        const QDate prev = QDate::currentDate().addMonths(-1), next = QDate::currentDate().addMonths(1);
        pick(page->DBCmbBoxStartYear, QString::number(prev.year()));
        pick(page->DBCmbBoxStartMonth, QString::number(prev.month()));
        pick(page->DBCmbBoxEndYear, QString::number(next.year()));
        pick(page->DBCmbBoxEndMonth, QString::number(next.month()));
    }

    QVariant cardValue(int receiptNo, const QString &field)
    {
        return db().scalar(QStringLiteral("SELECT %1 FROM ReserveList WHERE RECEIPTNO = ?").arg(field), {receiptNo});
    }

};
