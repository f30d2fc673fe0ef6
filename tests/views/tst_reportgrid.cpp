#include <QtTest>

#include <QPdfWriter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include "BookFixture.h"
#include "PdfReader.h"
#include "controls/CurrencyGrid.h"
#include "controls/MyDBGrid.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/DataSource.h"
#include "controls/FrameBtn.h"
#include <QRadioButton>
#include <QDateEdit>
#include "data/HimokuCache.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "printing/ReportBalanceSheet.h"
#include "printing/ReportGrid.h"
#include "views/FrameKouzaSyukei.h"
#include "views/KouzaRegister.h"

using namespace Qt::StringLiterals;

namespace {
enum Code { Cash = 100, Food = 107 };
}

// The automatic grid report of the passbook page's register, on a book from the
// shipped template, printed to PDF and read back with poppler.
class TestReportGrid : public QObject, public BookFixture::BookPlace
{
    Q_OBJECT

    int nextDataNo = 1000;
    Database &db() { return dm->MainDatabase; }

    void addLine(const QDate &date, qint64 amount, int kari, int kasi)
    {
        Statement st(db(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, HINMEICODE, KARICODE, "
                           "KASICODE, RESERVED, STYLE, ORIGIN, RECKIND) VALUES (?, 0, ?, ?, 1, 0, ?, ?, 0, 1, 2, 1)"_s);
        st.bind(1, ++nextDataNo);
        st.bind(2, date);
        st.bind(3, double(amount));
        st.bind(4, kari);
        st.bind(5, kasi);
        st.exec();
    }

private slots:
    void init()
    {
        openPlace();
        const QString folder = makeBook(u"家計簿"_s);
        QVERIFY(!folder.isEmpty());
        QString f = folder;
        QVERIFY(dm->OpenBook(u"家計簿"_s, f));
        db().exec(u"UPDATE Himoku SET SYOKIZAN = 5000 WHERE CODE = 100"_s);
        // Ten purchases a day from 1 to 15 February: the cash runs out on the 5th.
        db().exec(u"BEGIN"_s);
        for (int day = 1; day <= 15; ++day)
            for (int i = 0; i < 10; ++i)
                addLine(QDate(2026, 2, day), 100, Food, Cash);
        db().exec(u"COMMIT"_s);
        LoadHimokuCaches(db());
        LoadHolidayList(db());
        IncludeReservedFlag = false;
        CurLockDate = QDate();
        CurSimeTuki = 12;
        CurShiftNendo = 0;
    }
    void cleanup() { closePlace(); }

    // The cash register over three pages: the carry row empty on page 1 and
    // bringing the balance after page 1's last line to page 2, red when
    // negative; each date once per run and again at the top of a page; the
    // page numbers and the title in the footer; no blank page.
    void passbookRegisterOverPages()
    {
        TFrameKouzaSyukei page;
        page.resize(1200, 700);
        page.DTPGaiyoSimeBi->setDate(QDate(2026, 2, 15));
        page.CmBoxGetudo->setCurrentIndex(0);
        page.Data.GetudoMode = false;
        page.show();
        page.InitPage();
        int cashRow = -1;
        for (int r = 2; r < page.HyouSisan->rowCount(); ++r)
            if (page.HyouSisan->cells(0, r) == u"  現金"_s)
                cashRow = r;
        QVERIFY(cashRow > 0);
        page.SelectOverviewCell(page.HyouSisan, 1, cashRow);
        QTRY_VERIFY(page.Register->IsOpen() && page.RegisterCode == Cash);
        const QList<TRegisterRow> rows = page.Register->Rows();
        QVERIFY(rows.size() >= 150);

        TFrameAutoLightRep report;
        report.BalanceField = TKouzaRegister::ColZanGaku;
        report.CarryLabelField = TKouzaRegister::ColHinmei;
        QFont font = page.DBGridMeisai->font();
        font.setPixelSize(12);
        page.DBGridMeisai->setFont(font);
        report.SetDBGrid(page.DBGridMeisai);
        QCOMPARE(report.RowsPerPage(), 62);   // (1123 - 40 - 40 - 16 - 54) div 15 - 2
        report.ItTitle->SetText(u"現金 の明細"_s);
        report.ItNenGetudo->SetText(u"2026年2月"_s);

        QTemporaryDir dir;
        const QString file = dir.filePath(u"register.pdf"_s);
        QString why;
        QVERIFY2(report.PrintToPdf(file, &why), qPrintable(why));
        const int pages = (int(rows.size()) + 61) / 62;
        QCOMPARE(report.PageCount, pages);
        QCOMPARE(PdfPageCount(file), pages);

        const QString one = PdfPageText(file, 1);
        const QString two = PdfPageText(file, 2);
        QVERIFY2(one.contains(u"現金 の明細"_s), qPrintable(one));
        QVERIFY(!one.contains(u"前ページより繰越"_s));
        QVERIFY(one.contains(QRegularExpression(u"- ?1/%1 ?-"_s.arg(pages))));
        QVERIFY(two.contains(QRegularExpression(u"- ?2/%1 ?-"_s.arg(pages))));
        QVERIFY(two.contains(QRegularExpression(u"2026年2月 +現金 の明細"_s)));
        // poppler reads the 9-pixel footer date without its digits, though they print
        QVERIFY(one.contains(u"Print"_s));

        // The carried balance is the one after the last line of page 1, and it
        // stands on the carry line.
        const QString carried = KingakuToStr(rows.at(61).Balance);
        QVERIFY(rows.at(61).Balance < Currency());
        QString carryLine;
        for (const QString &line : two.split(u'\n'))
            if (line.contains(u"前ページより繰越"_s))
                carryLine = line;
        QVERIFY2(carryLine.contains(carried), qPrintable(carryLine + u" / "_s + carried));
        QVERIFY(PdfPageRedPixels(file, 2) > 0);

        // Dates: printed where they change, and again at the top of page 2.
        auto dateText = [&](int row) {
            return page.Register->data(page.Register->index(row, TKouzaRegister::ColDate)).toString();
        };
        int firstOfDay3 = -1;
        for (int r = 0; r < rows.size() && firstOfDay3 < 0; ++r)
            if (rows.at(r).RecDate == QDate(2026, 2, 3))
                firstOfDay3 = r;
        QVERIFY(firstOfDay3 > 0 && firstOfDay3 + 10 < 62);   // ten lines of the 3rd, all on page 1
        QCOMPARE(one.count(dateText(firstOfDay3)), 1);
        const QString top2 = dateText(62);
        QVERIFY(two.contains(top2));
        if (dateText(61) == top2)
            QCOMPARE(two.count(top2), 1);
        for (int p = 1; p <= pages; ++p)
            QVERIFY2(PdfPageHasInk(file, p), qPrintable(QString::number(p)));
    }

    // The balance sheet of the account totals page: both tables with every row
    // and their totals, then the household's capital and its ratio.
    void balanceSheetOfTheOverview()
    {
        TFrameKouzaSyukei page;
        page.resize(1200, 700);
        page.DTPGaiyoSimeBi->setDate(QDate(2026, 2, 15));
        page.CmBoxGetudo->setCurrentIndex(0);
        page.Data.GetudoMode = false;
        page.show();
        page.InitPage();
        QCOMPARE(page.View, 0);
        TBalanceSheetSource source;
        source.HyouSisan = page.HyouSisan;
        source.HyouFusai = page.HyouFusai;
        source.View = page.View;
        source.SyukeiBi = page.RBtnGaiyoSyukeiBi->isChecked();
        source.GaiyoSimeBi = page.DTPGaiyoSimeBi->date();
        source.AllGakuCaption = page.FrBtnAllGaku->text();
        TFrameLrpSisanGaiyo report;
        report.SetSource(source);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"balance.pdf"_s);
        QString why;
        QVERIFY2(report.PrintToPdf(file, &why), qPrintable(why));
        QCOMPARE(PdfPageCount(file), 1);
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(u"わが家のバランスシート"_s), qPrintable(text));
        for (const QString &head : {u"資産の部"_s, u"負債の部"_s, u"資本の部"_s, u"わが家の資本"_s, u"(自己資本比率)"_s})
            QVERIFY2(text.contains(head), qPrintable(head));
        for (TCurrencyGrid *table : {page.HyouSisan, page.HyouFusai})
            for (int r = 1; r < table->rowCount(); ++r)
                QVERIFY2(text.contains(table->displayText(0, r).trimmed()), qPrintable(table->displayText(0, r)));
        const Currency assets = page.HyouSisan->getValue(1, 1);
        const Currency liabilities = page.HyouFusai->getValue(1, 1);
        QVERIFY(text.contains(KingakuToStr(assets)));
        QVERIFY(text.contains(KingakuToStr(assets - liabilities)));
        QVERIFY(text.contains(TFrameLrpSisanGaiyo::RatioText(assets, liabilities)));
        QVERIFY(PdfPageHasInk(file, 1));
    }

    // Thirty rows a side while both tables fit; else both sides as long as the
    // longer one, so the assets side keeps its last rows and totals.
    void balanceSheetPanelRows_data()
    {
        QTest::addColumn<int>("assets");
        QTest::addColumn<int>("liabilities");
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("rows");
        QTest::newRow("both fit") << 30 << 25 << 0 << 30;
        QTest::newRow("assets longer") << 40 << 20 << 1 << 40;
        QTest::newRow("liabilities and capital longer") << 20 << 40 << 0 << 45;
        QTest::newRow("assets longer than liabilities alone") << 29 << 27 << 0 << 32;
        QTest::newRow("assets beyond the capital block") << 40 << 27 << 0 << 40;
    }
    void balanceSheetPanelRows()
    {
        QFETCH(int, assets);
        QFETCH(int, liabilities);
        QFETCH(int, view);
        QFETCH(int, rows);
        const QPair<int, int> got = TFrameLrpSisanGaiyo::PanelRows(assets, liabilities, view);
        QCOMPARE(got.first, rows);
        QCOMPARE(got.second, rows);
        QVERIFY(got.first >= assets);
    }

    void capitalRatio()
    {
        QCOMPARE(TFrameLrpSisanGaiyo::RatioText(Currency::fromInt(300000), Currency::fromInt(100000)), u"50.0%"_s);
        QCOMPARE(TFrameLrpSisanGaiyo::RatioText(Currency::fromInt(5000), Currency::fromInt(-5000)), u"---"_s);
        QCOMPARE(TFrameLrpSisanGaiyo::RatioText(Currency::fromInt(700), Currency::fromInt(700)), u"0.0%"_s);
    }

    // A data grid: its visible columns with a field, in the order shown; the
    // date column's Sunday and the negative amount print red, the positive
    // amount and the weekday black.
    void dataGridColumnsAndColours()
    {
        ClientDataSet ds;
        ds.setFieldDefs({{u"HIDUKE"_s, FieldType::Date}, {u"NAME"_s, FieldType::String, 40},
                         {u"KINGAKU"_s, FieldType::Currency}, {u"DATANO"_s, FieldType::Integer}});
        ds.createDataSet();
        const struct { QDate d; const char *name; int amount; } rows[] = {
            {QDate(2026, 3, 2), "にんじん", 198}, {QDate(2026, 3, 8), "払い戻し", -72000}};
        for (const auto &r : rows) {
            ds.append();
            ds["HIDUKE"].setAsDate(r.d);
            ds["NAME"].setAsString(QString::fromUtf8(r.name));
            ds["KINGAKU"].setAsCurrency(Currency::fromInt(r.amount));
            ds["DATANO"].setAsInteger(1);
            ds.post();
        }
        DataSource source(&ds);
        TMyDBGrid grid;
        grid.setDataSource(&source);
        grid.setColumns({{u"HIDUKE"_s, u"日付"_s}, {u"NOSUCH"_s, u"無い"_s}, {u"NAME"_s, u"品名"_s},
                         {u"DATANO"_s, u"番号"_s}, {u"KINGAKU"_s, u"金額"_s}});
        TMyDBGridColumn hidden = grid.column(3);
        hidden.visible = false;
        grid.setColumn(3, hidden);
        QFont font = grid.font();
        font.setPixelSize(12);
        grid.setFont(font);
        TFrameAutoLightRep report;
        report.SetDBGrid(&grid);
        QStringList heads;
        for (TLRItem *h : report.HeadItems)
            heads << h->Text();
        QCOMPARE(heads, (QStringList{u"日付"_s, u"品名"_s, u"金額"_s}));
        QCOMPARE(report.RowsPerPage(), 63);   // no carry row
        QCOMPARE(report.Kinds, (QList<TFrameAutoLightRep::ColumnKind>{TFrameAutoLightRep::ckDate,
                                                                     TFrameAutoLightRep::ckText,
                                                                     TFrameAutoLightRep::ckAmount}));
        // Colours as the cells print, record by record.
        report.DataSet().row = 1;
        QCOMPARE(report.DataItems[0]->GetText().isEmpty(), false);
        QCOMPARE(report.DataItems[0]->FontColor, QColor(0xFF, 0, 0));   // 8 March 2026, a Sunday
        report.DataItems[2]->GetText();
        QCOMPARE(report.DataItems[2]->FontColor, QColor(0xFF, 0, 0));
        report.DataSet().row = 0;
        report.LastDateText.clear();
        report.DataItems[0]->GetText();
        QCOMPARE(report.DataItems[0]->FontColor, QColor(Qt::black));
        report.DataItems[2]->GetText();
        QCOMPARE(report.DataItems[2]->FontColor, QColor(Qt::black));

        QTemporaryDir dir;
        const QString file = dir.filePath(u"lines.pdf"_s);
        QString why;
        QVERIFY2(report.PrintToPdf(file, &why), qPrintable(why));
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(u"にんじん"_s) && text.contains(u"-72,000"_s), qPrintable(text));
        QVERIFY(!text.contains(u"無い"_s));
        QVERIFY(!text.contains(u"前ページより繰越"_s));   // no carry row asked for
        QVERIFY(text.contains(QRegularExpression(u"- ?1 ?-"_s)));
    }

    // A grid with no records prints nothing and says so.
    void emptyGridRefused()
    {
        QTableView view;
        QStandardItemModel model(0, 2);
        view.setModel(&model);
        TFrameAutoLightRep report;
        report.SetDBGrid(&view);
        QTemporaryDir dir;
        QPdfWriter pdf(dir.filePath(u"empty.pdf"_s));
        QString why;
        QVERIFY(!report.Print(pdf, &why));
        QCOMPARE(why, u"印刷するものがありません。"_s);
    }
};

QTEST_MAIN(TestReportGrid)
#include "tst_reportgrid.moc"
