#include <QComboBox>
#include <QLineEdit>
#include <QWheelEvent>
#include <QSplitter>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "WorkbookReader.h"
#include "printing/ExcelExport.h"
#include "TestEnv.h"
#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "controls/MyDBGrid.h"
#include "controls/ShapeBtn.h"
#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "views/FrameNenSyusi.h"
#include "views/NenSyukeiData.h"

using namespace Qt::StringLiterals;

namespace {

Currency yen(const char *text) { return Currency::fromString(QString::fromLatin1(text)); }

// Codes of the template book.
constexpr int Cash = 100;
constexpr int Salary = 101;
constexpr int Food = 107;
constexpr int Bank = 123;
constexpr int Card = 125;   // closes on the 15th: the book's closing is not uniform

} // namespace

// The annual page on a book made from the template, opened through the data
// module: the tables it fills, its switches, the year box, the detail list of a
// clicked cell, the mismatch warning and the layout it keeps.
class TestFrameNenSyusi : public QObject, public BookFixture::BookPlace
{
    Q_OBJECT

    std::unique_ptr<TDatModSql> sql;
    std::unique_ptr<TFrameNenSyusi> page;
    int dataNo = 5000;

    Database &db() { return dm->MainDatabase; }

    void addLine(const QString &date, const char *amount, int kari, int kasi, const QVariant &reserved = 0)
    {
        Statement st(db(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, "
                           "RESERVED, STYLE, ORIGIN, HINMEICODE, SHOPCODE, PERSONCODE) "
                           "VALUES (?, 1, ?, ?, 0, ?, ?, ?, 1, 2, 0, 0, 0)"_s);
        st.bind(1, ++dataNo);
        st.bind(2, date);
        st.bind(3, QString::fromLatin1(amount).toDouble());
        st.bind(4, kari);
        st.bind(5, kasi);
        st.bind(6, reserved);
        st.exec();
    }

    TFrameNenSyusi *openPage()
    {
        page = std::make_unique<TFrameNenSyusi>();
        page->resize(1200, 800);
        page->InitPage();
        return page.get();
    }

    int rowOf(TCurrencyGrid *grid, int code)
    {
        for (int r = 1; r < grid->rowCount(); ++r)
            if (grid->objects(0, r).toInt() == code)
                return r;
        return -1;
    }

private slots:
    void init()
    {
        openPlace();
        ResetProgramValues();
        NenSyukeiData = TNenSyukeiData();
        const QString folder = makeBook(u"家計簿"_s);
        QVERIFY(!folder.isEmpty());
        dm->OnCheckHolidays = [] {};
        QString f = folder;
        QVERIFY(dm->OpenBook(u"家計簿"_s, f));
        sql = std::make_unique<TDatModSql>(db());
        DatModSql = sql.get();
        CurYear = 2026;
        KouzaUseFlag = true;
        dataNo = 5000;
        db().exec(u"UPDATE Himoku SET SYOKIZAN = 1000 WHERE CODE = %1"_s.arg(Cash));
        LoadHimokuCaches(db());
        addLine(u"2025-12-20"_s, "500", Food, Cash);        // before the year
        addLine(u"2026-01-10"_s, "10000", Food, Cash);
        addLine(u"2026-02-10"_s, "11234", Food, Cash);
        addLine(u"2026-02-11"_s, "66", Food, Card);
        addLine(u"2026-02-12"_s, "700", Food, Cash, 1);     // scheduled
        addLine(u"2026-03-25"_s, "300000", Bank, Salary);
        addLine(u"2025-02-10"_s, "10000", Food, Cash);      // the year before
    }
    void cleanup()
    {
        page.reset();
        DatModSql = nullptr;
        sql.reset();
        KouzaUseFlag = false;
        IncludeReservedFlag = false;
        NenSyukeiData = TNenSyukeiData();
        closePlace();
    }

    // 表をエクセルへ puts the four tables down one sheet with the page's figures;
    // 明細をエクセルへ without a detail shown tells there is nothing to export.
    void exportsTheTables()
    {
        TFrameNenSyusi *p = openPage();
        SetOpenExportedWorkbook(false);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"集計表.xlsx"_s);
        {
            DialogQueue dialogs;
            dialogs.saveFile(file);
            p->findChild<QAction *>(u"MenuPrintHyouExcel"_s)->trigger();
            QVERIFY(dialogs.done());
        }
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"出力するデータがありません。"_s);
            p->findChild<QAction *>(u"MenuPrintMeiseiExcel"_s)->trigger();
            QVERIFY(dialogs.done());
        }
        QVERIFY(QFileInfo::exists(file));
        QString skip;
        const QList<QStringList> rows = ReadWorkbooks({file}, &skip).value(u"集計表"_s);
        if (!skip.isEmpty())
            QSKIP(qPrintable(skip));
        const int food = rowOf(p->DeruHyou, Food);
        QVERIFY(food > 0);
        const int offset = p->SyusiHyou->rowCount() + p->IriHyou->rowCount();
        for (int c = 0; c < p->DeruHyou->colCount(); ++c)
            QCOMPARE(SheetCell(rows, offset + food + 1, c + 1), p->DeruHyou->displayText(c, food));
        QCOMPARE(SheetCell(rows, offset + food + 1, 4), u"11,300"_s);   // February: 11,234 + 66
    }

    // The four tables show the calculator's figures: totals first, months from
    // column 2, the whole year in column 1; running totals carry the balances.
    void tablesShowTheYear()
    {
        TFrameNenSyusi *p = openPage();
        QCOMPARE(p->DeruHyou->colCount(), 14);
        QCOMPARE(p->SyusiHyou->cells(2, 0), u"1月"_s);
        QCOMPARE(p->SyusiHyou->cells(1, 0), u"費目合計"_s);
        QCOMPARE(p->DeruHyou->cells(0, 0), u"支出合計"_s);
        const int food = rowOf(p->DeruHyou, Food);
        QVERIFY(food > 0);
        QCOMPARE(p->DeruHyou->getValue(2, food), yen("10000"));
        QCOMPARE(p->DeruHyou->getValue(3, food), yen("11300"));
        QCOMPARE(p->DeruHyou->getValue(1, food), yen("21300"));
        QCOMPARE(p->DeruHyou->getValue(1, 0), yen("21300"));
        QCOMPARE(p->IriHyou->getValue(4, rowOf(p->IriHyou, Salary)), yen("300000"));
        QCOMPARE(p->SyusiHyou->getValue(1, 1), yen("278700"));
        QCOMPARE(p->SyusiHyou->getValue(3, 1), yen("-11300"));
        QVERIFY(p->KouzaHyou->isVisibleTo(p));

        // Running totals: column 1 is the balance brought into the year.
        p->FrBtnRuikei->SetDown(true);
        p->HasseiClick();
        QCOMPARE(p->SyusiHyou->cells(1, 0), u"前期繰越額"_s);
        const int cash = rowOf(p->KouzaHyou, Cash);
        QCOMPARE(p->KouzaHyou->getValue(1, cash), yen("-9500"));  // 1,000 - 500 - 10,000
        QCOMPARE(p->KouzaHyou->getValue(3, cash), yen("-30734"));
        QCOMPARE(p->DeruHyou->getValue(1, food), Currency());
        QCOMPARE(p->DeruHyou->getValue(3, food), yen("21300"));

        // Scheduled lines join once 予約 is down, and the book remembers it.
        p->FrBtnHassei->SetDown(true);
        p->HasseiClick();
        p->SpBtnReserve->SetDown(true);
        p->ReserveClick();
        QVERIFY(DataIni->ReadOrWriteBool(u"State"_s, u"IncludeReseved"_s, false));
        QCOMPARE(p->DeruHyou->getValue(3, food), yen("12000"));
    }

    // Ratios against the year before: one decimal and a percent sign; a cell
    // whose year before is 0 shows nothing.
    void ratiosAndYearlyColumns()
    {
        TFrameNenSyusi *p = openPage();
        p->FrBtnZenNenHi->SetDown(true);
        p->ZenNenHiClick();
        const int food = rowOf(p->DeruHyou, Food);
        QCOMPARE(p->DeruHyou->displayText(3, food), u"113.0%"_s);  // 11,300 / 10,000
        QCOMPARE(p->DeruHyou->displayText(2, food), QString());
        p->FrBtnZenNenHi->SetDown(false);
        p->ZenNenHiClick();
        QCOMPARE(p->DeruHyou->displayText(3, food), u"11,300"_s);

        p->FrBtnNenji->SetDown(true);
        p->GetujiClick();
        QCOMPARE(p->DeruHyou->colCount(), 12);
        QCOMPARE(p->SyusiHyou->cells(11, 0), u"2026年"_s);
        QCOMPARE(p->DeruHyou->getValue(11, food), yen("21300"));
        QCOMPARE(p->DeruHyou->getValue(10, food), yen("10500"));
        QCOMPARE(p->DeruHyou->getValue(1, food), yen("31800"));
        p->FrBtnGetuji->SetDown(true);
        p->GetujiClick();
        QCOMPARE(p->DeruHyou->colCount(), 14);
    }

    // The year box applies only whole years in range: typed digit by digit, the
    // partial numbers on the way are ignored, as are text and absurd years.
    void yearTypedDigitByDigit()
    {
        TFrameNenSyusi *p = openPage();
        QLineEdit *edit = p->CmbBoxYear->lineEdit();
        edit->clear();
        for (const QString &typed : {u"2"_s, u"20"_s, u"202"_s}) {
            edit->setText(typed);
            QCOMPARE(CurYear, uint16_t(2026));
        }
        edit->setText(u"2025"_s);
        QCOMPARE(CurYear, uint16_t(2025));
        const int food = rowOf(p->DeruHyou, Food);
        QCOMPARE(p->DeruHyou->getValue(3, food), yen("10000"));
        for (const QString &bad : {u"99999"_s, u"0"_s, u"年"_s, u"-2026"_s}) {
            edit->setText(bad);
            QCOMPARE(CurYear, uint16_t(2025));
        }
        p->CmbBoxYear->setCurrentIndex(p->CmbBoxYear->findData(2026));
        QCOMPARE(CurYear, uint16_t(2026));

        // Over the first year of the list the wheel goes on past it.
        p->CmbBoxYear->setCurrentIndex(0);
        const int first = p->CmbBoxYear->itemData(0).toInt();
        QCOMPARE(int(CurYear), first);
        QWheelEvent up(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(p->CmbBoxYear, &up);
        QCOMPARE(int(CurYear), first - 1);
        QCOMPARE(p->CmbBoxYear->currentText(), QString::number(first - 1));
    }

    // A click lists the cell's lines at the next idle moment; a click on the
    // balance row changes the labels only; the title column lists nothing.
    void clickedCellListsItsLines()
    {
        TFrameNenSyusi *p = openPage();
        const int food = rowOf(p->DeruHyou, Food);
        p->SelectCell(p->DeruHyou, 3, food);
        QVERIFY(p->detailPending());
        p->IdleWork();
        TNenSyusiMeisai *d = p->PnlMeisai;
        QCOMPARE(d->lineCount(), 2);
        QCOMPARE(d->LbTitle->text(), u"食費"_s);
        QCOMPARE(d->LbSimebi->text(), u"集計期間 26.02.01 ～ 26.02.28"_s);
        QCOMPARE(d->query()->fieldByName(u"KINGAKU"_s)->asCurrency(), yen("11234"));

        // The account table's total row: every line that touches an account.
        p->SelectCell(p->KouzaHyou, 1, 0);
        p->IdleWork();
        QCOMPARE(d->lineCount(), 4);
        QCOMPARE(d->DbGridMeisai->column(2).fieldName, u"KouzaName"_s);
        QCOMPARE(d->DbGridMeisai->column(2).caption, u"出金元"_s);

        p->SelectCell(p->SyusiHyou, 4, 1);
        p->IdleWork();
        QCOMPARE(d->LbTitle->text(), u"収　支"_s);
        QCOMPARE(d->lineCount(), 4);

        p->ShowDetail(p->DeruHyou, 0, food);
        QCOMPARE(d->LbTitle->text(), u"収　支"_s);

        // Leaving the page closes the list.
        QVERIFY(p->LeavePage());
        QCOMPARE(d->query(), nullptr);
    }

    // Without account management the account table and filter go, and an
    // account filter chosen before no longer applies.
    void accountManagementOff()
    {
        NenSyukeiData.JyoukenOn = true;
        NenSyukeiData.KouzaCode = Card;
        KouzaUseFlag = false;
        TFrameNenSyusi *p = openPage();
        QVERIFY(!p->KouzaHyou->isVisibleTo(p));
        QVERIFY(!p->CmbBoxKouza->isVisibleTo(p));
        QVERIFY(p->PnlBarJyouken->isVisibleTo(p));
        QCOMPARE(NenSyukeiData.KouzaCode, 0);
        QCOMPARE(p->DeruHyou->getValue(1, rowOf(p->DeruHyou, Food)), yen("21300"));
    }

    // The filter bar: a chosen account narrows the tables to its lines.
    void filterByAccount()
    {
        TFrameNenSyusi *p = openPage();
        p->FrBtnJyouken->SetDown(true);
        p->JyoukenClick();
        QVERIFY(p->PnlBarJyouken->isVisibleTo(p));
        const int card = p->CmbBoxKouza->findData(Card);
        QVERIFY(card > 0);
        p->CmbBoxKouza->setCurrentIndex(card);
        QCOMPARE(NenSyukeiData.KouzaCode, Card);
        QCOMPARE(p->DeruHyou->getValue(1, rowOf(p->DeruHyou, Food)), yen("66"));
        p->CmbBoxKouza->setCurrentIndex(0);
        QCOMPARE(p->DeruHyou->getValue(1, rowOf(p->DeruHyou, Food)), yen("21300"));
    }

    // The card's closing day differs: the warning comes until Cancel turns it
    // off for good.
    void mismatchWarning()
    {
        TFrameNenSyusi *p = openPage();
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"収支金額 と 資産合計 は一致しません"_s);
            p->WarnSyukeiMismatch();
            QVERIFY(dialogs.done());
        }
        {
            DialogQueue dialogs;
            dialogs.answer(mrCancel, u"次回以降表示させない"_s);
            p->WarnSyukeiMismatch();
            QVERIFY(dialogs.done());
        }
        QVERIFY(!RegIni->ReadOrWriteBool(u"FrameNenSyusi"_s, u"ShowSyukeiMessage"_s, true));
        DialogQueue none;
        p->WarnSyukeiMismatch();
        QVERIFY(none.done());
    }

    // A resized column is kept for every table and for the next page.
    void layoutKept()
    {
        TFrameNenSyusi *p = openPage();
        p->DeruHyou->model()->setColWidth(0, 150);
        p->DeruHyou->model()->onChangeSize();
        QCOMPARE(p->SyusiHyou->model()->colWidth(0), 150);
        QCOMPARE(RegIni->ReadOrWriteInteger(u"FrameNenSyusi"_s, u"SyusiHyouColWidth0"_s, 0), 150);
        page.reset();
        TFrameNenSyusi *again = openPage();
        QCOMPARE(again->KouzaHyou->model()->colWidth(0), 150);
        QVERIFY(again->PnlMeisai->onRight());
        QTest::mouseClick(again->PnlMeisai->SpBtnMeisaiPnl, Qt::LeftButton);
        QVERIFY(!again->PnlMeisai->onRight());
        QCOMPARE(again->Split->orientation(), Qt::Vertical);
        QCOMPARE(again->PnlMeisai->SpBtnMeisaiPnl->text(), u"↑"_s);
    }
};

QTEST_MAIN(TestFrameNenSyusi)
#include "tst_framenensyusi.moc"
