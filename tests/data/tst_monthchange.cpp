#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QtTest>

#include "DialogQueue.h"
#include "BookFixture.h"
#include "TestEnv.h"
#include "data/DatMod.h"
#include "data/DatModSchema.h"
#include "data/FormGetudoChange.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"

// Moving a slip to another accounting month on a fresh book.
class TestMonthChange : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TDatMod> dm;

    QString lookupNos()
    {
        return dm->MainDatabase
            .scalar("SELECT group_concat(DATANO || ':' || LOOKUPNO) FROM (SELECT * FROM Master WHERE DATANO > 0 "
                    "ORDER BY DATANO)")
            .toString();
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        dm = std::make_unique<TDatMod>();
        const QString folder = env->path("book");
        QVERIFY(BookFixture::writeEmptyBook(folder, QString(), QByteArray(), [](Database &db) {
            const int code = EncodeMonthCode(2014, 3);
            for (int i = 1; i <= 3; ++i)
                db.exec(QString("INSERT INTO Master (DATANO,GYONO,KINGAKU,RECEIPTNO,LOOKUPNO,STYLE) "
                                "VALUES (%1,%1,10,%2,%3,3)")
                            .arg(i)
                            .arg(i < 3 ? 7 : 8)
                            .arg(code));
        }));
        RegIni->WriteStringAndUpdate("DataFolders", "B", folder);
        QString path = folder;
        QVERIFY(dm->OpenBook("B", path));
        CurSimeTuki = 12;
    }
    void cleanup()
    {
        dm.reset();
        env.reset();
        CurSimeTuki = 12;
    }

    void setup_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("closing");
        QTest::addColumn<QString>("years");
        QTest::addColumn<QString>("months");
        QTest::addColumn<QString>("selected");
        QTest::newRow("2014/3") << 2014 << 3 << 12 << "2009-2018" << "1,2,3,4,5,6,7,8,9,10,11,12" << "2014/3";
        QTest::newRow("closing in March") << 2014 << 3 << 3 << "2009-2018" << "4,5,6,7,8,9,10,11,12,1,2,3"
                                          << "2014/3";
        QTest::newRow("no year, bad month") << 0 << 13 << 12 << "1998-2007" << "1,2,3,4,5,6,7,8,9,10,11,12"
                                            << "2003/1";
    }
    void setup()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, closing);
        QFETCH(QString, years);
        QFETCH(QString, months);
        QFETCH(QString, selected);
        CurSimeTuki = uint16_t(closing);
        TFormGetudoChange form;
        form.SetupDialog(7, uint16_t(year), uint16_t(month), false);
        QStringList m;
        for (int i = 0; i < form.CmbBoxMonth->count(); ++i)
            m << form.CmbBoxMonth->itemText(i);
        QCOMPARE(form.CmbBoxYear->count(), 10);
        QCOMPARE(form.CmbBoxYear->itemText(0) + "-" + form.CmbBoxYear->itemText(9), years);
        QCOMPARE(m.join(','), months);
        QCOMPARE(form.CmbBoxYear->currentText() + "/" + form.CmbBoxMonth->currentText(), selected);
        QCOMPARE(form.LbReceiptNo->text(), QString("伝票番号： 7"));
        QVERIFY(form.LbCredit->isHidden());
    }

    void execute_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("month");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("from the lists") << "2015" << "4" << false << true;
        QTest::newRow("typed month 13") << "2015" << "13" << false << false;
        QTest::newRow("empty year") << "" << "4" << true << false;
        QTest::newRow("year 1975") << "1975" << "4" << true << false;
        QTest::newRow("year 2080") << "2080" << "4" << true << false;
        QTest::newRow("year 70000") << "70000" << "4" << true << false;
        QTest::newRow("year 1980") << "1980" << "1" << false << true;
        QTest::newRow("year 2079") << "2079" << "12" << false << true;
    }
    void execute()
    {
        QFETCH(QString, year);
        QFETCH(QString, month);
        QFETCH(bool, refused);
        QFETCH(bool, accepted);
        const QString before = lookupNos();
        TFormGetudoChange form;
        form.SetupDialog(7, 2014, 3, true);
        QVERIFY(!form.LbCredit->isHidden());
        form.CmbBoxYear->setEditText(year);
        form.CmbBoxMonth->setEditText(month);
        DialogQueue dialogs;
        if (refused)
            dialogs.answer(mrOk, "数値が無効です。");
        form.FrBtnExecuteClick();
        QVERIFY(dialogs.done());
        QCOMPARE(form.result() == QDialog::Accepted, accepted);
        if (!accepted) {
            QCOMPARE(lookupNos(), before);
            return;
        }
        // Every line of slip 7 and only of slip 7 has the new month.
        const int code = EncodeMonthCode(uint16_t(year.toInt()), uint16_t(month.toInt()));
        QCOMPARE(lookupNos(), QString("1:%1,2:%1,3:%2").arg(code).arg(EncodeMonthCode(2014, 3)));
        uint16_t y = 0, m = 0;
        DecodeMonthCode(code, y, m);
        QCOMPARE(QString("%1/%2").arg(y).arg(m), year + "/" + month);
    }
};

QTEST_MAIN(TestMonthChange)
#include "tst_monthchange.moc"
