#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QComboBox>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QValueAxis>
#include <QtTest>

#include "BookFixture.h"
#include "TestEnv.h"
#include "controls/FrameBtn.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "views/ChartContents.h"
#include "views/ChartView.h"
#include "views/FrameChart.h"
#include "views/NenSyukeiData.h"
#include "views/YosanJissekiData.h"

using namespace Qt::StringLiterals;

namespace {

// Codes of the template book.
constexpr int Cash = 100;
constexpr int Salary = 101;
constexpr int Food = 107;  // first expense category: colour 0
constexpr int Goods = 108; // second: colour 1
constexpr int Bank = 123;
constexpr int Card = 125;  // a liability

QList<double> values(const QBarSet *set)
{
    QList<double> v;
    for (int i = 0; i < set->count(); ++i)
        v << set->at(i);
    return v;
}

QList<double> months(std::initializer_list<std::pair<int, double>> nonZero, int count = 12)
{
    QList<double> v(count, 0.0);
    for (auto [month, value] : nonZero)
        v[month - 1] = value;
    return v;
}

} // namespace

// The chart page on a book made from the template, worked out by hand for
// calendar months of 2026:
//   食費    Jan 10,000 (cash)   Feb 3,000 (cash) + 6,000 (card)   Mar -1,000 (refund)
//   日用品  Jan 2,000           Feb -500 (refund)                Mar -200 (refund)
//   給与    Mar 300,000 into 普通預金
//   budgets for January: 食費 8,000, 日用品 2,000, nothing else.
class TestFrameChart : public QObject, public BookFixture::BookPlace
{
    Q_OBJECT

    std::unique_ptr<TDatModSql> sql;
    std::unique_ptr<TFrameChart> page;
    int dataNo = 5000;

    Database &db() { return dm->MainDatabase; }

    void addLine(const QString &date, double amount, int kari, int kasi)
    {
        Statement st(db(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, "
                           "RESERVED, STYLE, ORIGIN, HINMEICODE, SHOPCODE, PERSONCODE) "
                           "VALUES (?, 1, ?, ?, 0, ?, ?, 0, 1, 2, 0, 0, 0)"_s);
        st.bind(1, ++dataNo);
        st.bind(2, date);
        st.bind(3, amount);
        st.bind(4, kari);
        st.bind(5, kasi);
        st.exec();
    }

    TFrameChart *openPage(int content)
    {
        page = std::make_unique<TFrameChart>();
        page->resize(1100, 700);
        page->NayouButtons->button(content)->setChecked(true);
        page->InitPage();
        return page.get();
    }

    // The bars the chart's scene holds with a visible length inside the plot.
    int visibleBars(TFrameChart *p)
    {
        QChart *chart = p->NenkanChart->chart();
        const QRectF plot = chart->plotArea().adjusted(-1, -1, 1, 1);
        int n = 0;
        for (QGraphicsItem *item : p->NenkanChart->scene()->items()) {
            auto *rect = dynamic_cast<QGraphicsRectItem *>(item);
            if (!rect || !rect->isVisible() || rect->brush().style() == Qt::NoBrush)
                continue;
            const QRectF r = rect->mapRectToScene(rect->rect());
            if (r.width() >= 1 && r.height() >= 1 && plot.contains(r) && r.height() < plot.height() - 2 &&
                r.width() < plot.width() - 2)
                ++n;
        }
        return n;
    }

    // Where the bars stand, sorted: two charts of the same figures and size
    // draw them in the same places.
    QStringList barPlaces(TFrameChart *p)
    {
        QStringList out;
        for (QGraphicsItem *item : p->NenkanChart->scene()->items()) {
            auto *rect = dynamic_cast<QGraphicsRectItem *>(item);
            if (!rect || !rect->isVisible() || rect->brush().style() == Qt::NoBrush)
                continue;
            const QRect r = rect->mapRectToScene(rect->rect()).toRect();
            out << u"%1 %2 %3 %4 %5"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).arg(rect->brush().color().name());
        }
        out.sort();
        return out;
    }

    // The chart drawn offscreen: pixels of the colour wanted inside the plot.
    int pixelsOf(TFrameChart *p, const QColor &colour)
    {
        const QImage image = p->NenkanChart->grab().toImage();
        const QRect plot = p->NenkanChart->chart()->plotArea().toRect();
        int n = 0;
        for (int y = plot.top(); y < plot.bottom(); ++y)
            for (int x = plot.left(); x < plot.right(); ++x)
                if (image.pixelColor(x, y) == colour)
                    ++n;
        return n;
    }

    // Everything a drawing puts on the chart, in order: title, axes, each
    // series with its sets (title, colours, values, selected bars), the
    // sets kept off the chart and the legend.
    QStringList drawn(TFrameChart *p)
    {
        QStringList out;
        QChart *chart = p->NenkanChart->chart();
        const TChartContents &s = *p->Series;
        out << u"title "_s + chart->title();
        if (s.CategoryAxis)
            out << u"points "_s + s.CategoryAxis->categories().join(u'|');
        if (s.ValueAxis)
            out << u"range %1 %2 ticks %3"_s.arg(s.ValueAxis->min()).arg(s.ValueAxis->max()).arg(s.ValueAxis->tickCount());
        auto setText = [](QBarSet *set) {
            QStringList v;
            for (double x : values(set))
                v << QString::number(x);
            QStringList selected;
            for (int i : set->selectedBars())
                selected << QString::number(i);
            std::sort(selected.begin(), selected.end());
            return u"set %1 %2 %3 [%4] sel %5"_s.arg(set->label(), set->color().name(), set->borderColor().name(),
                                                    v.join(u','), selected.join(u','));
        };
        for (QAbstractSeries *series : chart->series()) {
            out << u"series %1 %2"_s.arg(int(series->type())).arg(series->name());
            if (auto *bars = qobject_cast<QAbstractBarSeries *>(series))
                for (QBarSet *set : bars->barSets())
                    out << setText(set);
            if (auto *line = qobject_cast<QLineSeries *>(series))
                for (const QPointF &pt : line->points())
                    out << u"point %1 %2"_s.arg(pt.x()).arg(pt.y());
        }
        for (const QList<QBarSet *> *sets : {&s.NegSeries, &s.PosSeries, &s.HorizSeries})
            for (QBarSet *set : *sets)
                out << u"kept "_s + setText(set);
        for (QLegendMarker *m : chart->legend()->markers())
            out << u"legend %1 %2"_s.arg(m->label()).arg(m->isVisible());
        return out;
    }

    // The page as drawn after its steps against a page that drew the same
    // content and year at once.
    void compareWithFresh(TFrameChart *p, int content, bool hiritu)
    {
        auto fresh = std::make_unique<TFrameChart>();
        fresh->resize(p->size());
        fresh->NayouButtons->button(content)->setChecked(true);
        fresh->HyoujiButtons->button(hiritu ? 1 : 0)->setChecked(true);
        fresh->InitPage();
        fresh->Series->FreeSeries();
        fresh->Redraw();
        fresh->show();
        QVERIFY(QTest::qWaitForWindowExposed(fresh.get()));
        // The legend hides what does not fit once it is laid out: both are.
        QTRY_COMPARE(drawn(p), drawn(fresh.get()));
        QVERIFY(!drawn(p).filter(u"set "_s).isEmpty());
        // And as many bars drawn, with a length, in the same places.
        QTRY_COMPARE(visibleBars(p), visibleBars(fresh.get()));
        QTRY_COMPARE(barPlaces(p), barPlaces(fresh.get()));
    }

private slots:
    void init()
    {
        openPlace();
        ResetProgramValues();
        NenSyukeiData = TNenSyukeiData();
        YosanJissekiData = TYosanJissekiData();
        const QString folder = makeBook(u"家計簿"_s);
        QVERIFY(!folder.isEmpty());
        dm->OnCheckHolidays = [] {};
        QString f = folder;
        QVERIFY(dm->OpenBook(u"家計簿"_s, f));
        sql = std::make_unique<TDatModSql>(db());
        DatModSql = sql.get();
        CurYear = 2026;
        CurMonth = 1;
        KouzaUseFlag = true;
        NenSyukeiData.Getudo = false; // calendar months: the card closes on the 15th
        dataNo = 5000;
        LoadHimokuCaches(db());
        addLine(u"2026-01-10"_s, 10000, Food, Cash);
        addLine(u"2026-01-15"_s, 2000, Goods, Cash);
        addLine(u"2026-02-10"_s, 3000, Food, Cash);
        addLine(u"2026-02-11"_s, 6000, Food, Card);
        addLine(u"2026-02-20"_s, -500, Goods, Cash);
        addLine(u"2026-03-05"_s, -1000, Food, Cash);
        addLine(u"2026-03-06"_s, -200, Goods, Cash);
        addLine(u"2026-03-25"_s, 300000, Bank, Salary);
        BookFixture::addBudget(db(), u"2026-01-01"_s, Food, 8000, 2);
        BookFixture::addBudget(db(), u"2026-01-01"_s, Goods, 2000, 2);
    }
    void cleanup()
    {
        page.reset();
        DatModSql = nullptr;
        sql.reset();
        KouzaUseFlag = false;
        IncludeReservedFlag = false;
        NenSyukeiData = TNenSyukeiData();
        YosanJissekiData = TYosanJissekiData();
        closePlace();
    }

    // The colour table as the platform's colours, the odd entries included,
    // repeating after 28 rows.
    void colourTable()
    {
        QCOMPARE(TChartContents::SeriesColor(0), QColor(255, 0, 0));
        QCOMPARE(TChartContents::SeriesColor(5), QColor(0, 0, 255));
        QCOMPARE(TChartContents::SeriesColor(9), QColor(0, 0xF8, 0x0F));
        QCOMPARE(TChartContents::SeriesColor(22), QColor(0xF0, 0x0F, 0x08));
        QCOMPARE(TChartContents::SeriesColor(28), TChartContents::SeriesColor(0));
        QCOMPARE(TChartContents::SeriesColor(29), QColor(0, 255, 0));
    }

    // 支出実績: a pair of sets per expense category, refunds in the negative
    // set, the title from the switches, twelve month points.
    void expenseByCategory()
    {
        TFrameChart *p = openPage(ccDeru);
        const TChartContents &s = *p->Series;
        QCOMPARE(s.Title, u"2026年度 支出実績　期間発生額　暦日集計 　単位（円）"_s);
        QCOMPARE(s.Points.size(), 12);
        QCOMPARE(s.Points.first(), u"1月"_s);
        QCOMPARE(s.Points.last(), u"12月"_s);
        const int rows = NenSyukeiData.RowCount(2);
        QCOMPARE(rows, 16);
        QCOMPARE(s.PosSeries.size(), rows);
        QCOMPARE(s.NegSeries.size(), rows);
        QCOMPARE(s.PosSeries[0]->label(), u"食費"_s);
        QCOMPARE(s.PosSeries[0]->color(), QColor(255, 0, 0));
        QCOMPARE(s.NegSeries[0]->color(), QColor(255, 0, 0));
        QCOMPARE(s.PosSeries[1]->label(), u"日用品"_s);
        QCOMPARE(s.PosSeries[1]->color(), QColor(0, 255, 0));
        QCOMPARE(values(s.PosSeries[0]), months({{1, 10000}, {2, 9000}}));
        QCOMPARE(values(s.NegSeries[0]), months({{3, -1000}}));
        QCOMPARE(values(s.PosSeries[1]), months({{1, 2000}}));
        QCOMPARE(values(s.NegSeries[1]), months({{2, -500}, {3, -200}}));
        QCOMPARE(s.ValueStore[1][1], Currency::fromInt(-500));
        // The negative sets stay out of the legend.
        p->show();
        QVERIFY(QTest::qWaitForWindowExposed(p));
        // Only the two negative sets with refunds are on the chart at all.
        QCOMPARE(p->NenkanChart->chart()->legend()->markers().size(), rows + 2);
        int shown = 0;
        for (QLegendMarker *m : p->NenkanChart->chart()->legend()->markers())
            shown += m->isVisible();
        QCOMPARE(shown, rows);

        // Yearly mode: ten years, labelled with the years.
        p->FrBtnNenji->SetDown(true);
        p->GetujiClick();
        QCOMPARE(p->Series->Points.size(), 10);
        QCOMPARE(p->Series->Points.last(), u"2026年"_s);
        QCOMPARE(p->Series->PosSeries[0]->at(9), 18000.0); // 10,000 + 9,000 - 1,000
        QCOMPARE(p->Series->Title, u"支出実績　期間発生額　暦日集計 　単位（円）"_s);
    }

    // With the filter bar on, one category only; a stored category that the
    // content does not list draws nothing.
    void oneCategory()
    {
        TFrameChart *p = openPage(ccDeru);
        p->FrBtnJyouken->SetDown(true);
        p->JyoukenClick();
        QVERIFY(p->PnlBarJyouken->isVisibleTo(p));
        p->CmbBoxHimoku->setCurrentIndex(p->CmbBoxHimoku->findData(Goods));
        QVERIFY(p->FiltersPending);
        p->ApplyFilters();
        QCOMPARE(p->Series->PosSeries.size(), 1);
        QCOMPARE(p->Series->PosSeries[0]->label(), u"日用品"_s);
        QCOMPARE(p->Series->PosSeries[0]->color(), QColor(0, 255, 0)); // its own row's colour
        p->SetContent(ccIri);
        QCOMPARE(p->ChartHimoku, -1);
        QVERIFY(p->Series->PosSeries.isEmpty());
        // With the filter bar off, the category left in its box narrows nothing.
        p->SetContent(ccDeru);
        p->FrBtnJyouken->SetDown(false);
        p->JyoukenClick();
        QCOMPARE(p->Series->PosSeries.size(), 16);
    }

    // 収入と支出 side by side with the balance line; 比率 drops the line.
    void incomeAgainstExpense()
    {
        TFrameChart *p = openPage(ccSyusi);
        const TChartContents &s = *p->Series;
        QCOMPARE(s.Title, u"2026年度  月別 収支バランス　 単位（円）"_s);
        QCOMPARE(s.PosSeries.size(), 2);
        QCOMPARE(s.PosSeries[0]->label(), u"収入実績"_s);
        QCOMPARE(s.PosSeries[0]->color(), QColor(0, 0, 255));
        QCOMPARE(s.PosSeries[1]->label(), u"支出実績"_s);
        QCOMPARE(s.PosSeries[1]->color(), QColor(255, 0, 0));
        QCOMPARE(values(s.PosSeries[0]), months({{3, 300000}}));
        QCOMPARE(values(s.PosSeries[1]), months({{1, 12000}, {2, 8500}, {3, -1200}}));
        QVERIFY(s.LineSeries);
        QCOMPARE(s.LineSeries->name(), u"収支差額"_s);
        QCOMPARE(s.LineSeries->at(0).y(), -12000.0);
        QCOMPARE(s.LineSeries->at(2).y(), 301200.0);
        QCOMPARE(s.LineSeries->color(), QColor(255, 128, 192));
        p->SetHiritu(true);
        QVERIFY(!p->Series->LineSeries);
        QCOMPARE(p->Series->Title, u"2026年度  月別 収支バランス　 単位（％）"_s);
    }

    // 口座推移: a liability is drawn below zero and keeps its own amount for
    // the label; the net worth line; 比率 is not offered.
    void accounts()
    {
        TFrameChart *p = openPage(ccKouza);
        const TChartContents &s = *p->Series;
        QVERIFY(s.Title.startsWith(u"2026年度 口座推移　期間発生額"_s));
        QVERIFY(!p->RadioGroup_Hyouji->isEnabled());
        const TNenSyukeiArray &rows = NenSyukeiData.Rows(3);
        int card = -1, bank = -1;
        for (int i = 0; i < rows.size(); ++i) {
            if (rows[i].Code == Card)
                card = i;
            if (rows[i].Code == Bank)
                bank = i;
        }
        QVERIFY(card >= 0 && bank >= 0);
        QCOMPARE(s.PosSeries[card]->label(), u"クレジットカード"_s);
        QCOMPARE(s.PosSeries[card]->color(), TChartContents::SeriesColor(card));
        QCOMPARE(values(s.NegSeries[card]), months({{2, -6000}}));
        QCOMPARE(values(s.PosSeries[bank]), months({{3, 300000}}));
        QCOMPARE(s.ValueStore[card][1], Currency::fromInt(6000));
        p->NenkanChartClickSeries(s.NegSeries[card], 1, QPoint(50, 80));
        QCOMPARE(p->NenkanChart->LB_Bunrui->text(), u"クレジットカード: 6,000円"_s);
        QCOMPARE(s.LineSeries->name(), u"資産・負債総合"_s);
        // Cash paid 10,000 + 2,000 in January: the net worth fell by 12,000.
        QCOMPARE(s.LineSeries->at(0).y(), -12000.0);
    }

    // Budget against actual: rows from the last up, two horizontal sets; with
    // 比率 the share, over 100 red, no budget labelled and zero.
    void budgetAgainstActual()
    {
        TFrameChart *p = openPage(ccDeruYosan);
        QVERIFY(p->EditMonth->isEnabled());
        QVERIFY(!p->FrBtnHassei->isEnabled());
        QVERIFY(!p->CmbBoxHimoku->isEnabled());
        const TChartContents &s = *p->Series;
        QCOMPARE(s.Title, u"2026年度 1月 予算と使用実績　単位（円）"_s);
        QCOMPARE(s.HorizSeries.size(), 2);
        QCOMPARE(s.HorizSeries[0]->label(), u"予算"_s);
        QCOMPARE(s.HorizSeries[1]->label(), u"実績"_s);
        const int n = s.HorizSeries[0]->count();
        QCOMPARE(n, 16);
        QCOMPARE(s.Points.last(), u"食費"_s);
        QCOMPARE(s.Points[n - 2], u"日用品"_s);
        QCOMPARE(s.HorizSeries[0]->at(n - 1), 8000.0);
        QCOMPARE(s.HorizSeries[1]->at(n - 1), 10000.0);
        QCOMPARE(s.HorizSeries[0]->at(n - 2), 2000.0);

        p->SetHiritu(true);
        const TChartContents &r = *p->Series;
        QCOMPARE(r.Title, u"2026年度 1月 予算に対する使用率　単位（％）"_s);
        QCOMPARE(r.HorizSeries.size(), 1);
        QBarSet *set = r.HorizSeries[0];
        QCOMPARE(set->label(), u"予算オーバー"_s);
        QCOMPARE(set->at(n - 1), 125.0);
        QVERIFY(set->isBarSelected(n - 1));       // over budget: red
        QCOMPARE(set->at(n - 2), 100.0);
        QVERIFY(!set->isBarSelected(n - 2));      // exactly 100: blue
        QCOMPARE(r.Points[n - 3], u"住居費 予算無し"_s);
        QCOMPARE(set->at(n - 3), 0.0);
        p->NenkanChartClickSeries(set, n - 1, QPoint(40, 60));
        QCOMPARE(p->NenkanChart->LB_Bunrui->text(), u"食費: 125％"_s);

        // The month controls step the accounting month.
        p->StepMonth(false);
        QCOMPARE(int(CurYear), 2025);
        QCOMPARE(int(CurMonth), 12);
        QCOMPARE(p->Series->Title, u"2025年度 12月 予算に対する使用率　単位（％）"_s);
        // No such month, a year out of range: nothing changes, and the boxes
        // show the chart's year and month again.
        p->EditMonth->setText(u"13"_s);
        p->MonthEntered(u"13"_s);
        QCOMPARE(int(CurMonth), 12);
        QCOMPARE(p->EditMonth->text(), u"12"_s);
        p->CmbYear->setEditText(u"1800"_s);
        p->YearEntered(u"1800"_s);
        QCOMPARE(int(CurYear), 2025);
        QCOMPARE(p->CmbYear->currentText(), u"2025"_s);
    }

    // Two categories of one name each keep a row of the budget chart, and a
    // name changed between drawings reaches the axis.
    void sameNamesKeepTheirRows()
    {
        TFrameChart *p = openPage(ccDeruYosan);
        const int n = int(p->Series->Points.size());
        const auto rename = [this, p](int code, const QString &name) {
            Statement st(db(), u"UPDATE Himoku SET NAME = ? WHERE CODE = ?"_s);
            st.bind(1, name);
            st.bind(2, code);
            st.exec();
            LoadHimokuCaches(db());
            p->Redraw();
        };
        rename(Goods, u"食費"_s);
        const QStringList points = p->Series->Points;
        QCOMPARE(points.size(), n);
        QCOMPARE(QSet<QString>(points.begin(), points.end()).size(), n);
        QCOMPARE(points[n - 2], u"食費"_s);
        QCOMPARE(points[n - 1], u"食費"_s + QChar(0x200B));
        QCOMPARE(p->Series->CategoryAxis->categories(), points);
        QCOMPARE(p->Series->HorizSeries[0]->at(n - 2), 2000.0);

        rename(Goods, u"雑貨"_s);
        QCOMPARE(p->Series->Points[n - 2], u"雑貨"_s);
        QCOMPARE(p->Series->Points[n - 1], u"食費"_s);
        QCOMPARE(p->Series->CategoryAxis->categories(), p->Series->Points);
    }

    // The click label: the stored amount, nothing for zero, the share among
    // the positive bars, nothing where no bar is positive; hidden by its
    // three-second timer, which also switched the hint off.
    void valueLabel()
    {
        TFrameChart *p = openPage(ccDeru);
        TChartView *view = p->NenkanChart;
        const TChartContents &s = *p->Series;
        QVERIFY(view->HintShown());
        p->NenkanChartClickSeries(s.NegSeries[1], 1, QPoint(120, 200));
        QCOMPARE(view->LB_Bunrui->text(), u"日用品: -500円"_s);
        QVERIFY(!view->LB_Bunrui->isHidden());
        QCOMPARE(view->LB_Bunrui->x(), 120);
        QCOMPARE(view->LB_Bunrui->geometry().bottom() + 1, 200);
        QVERIFY(!view->HintShown());
        QVERIFY(view->LabelTimer.isActive());
        QVERIFY(view->LabelTimer.isSingleShot());
        QCOMPARE(view->LabelTimer.interval(), 3000);
        // The timer's tick hides the label.
        QVERIFY(QMetaObject::invokeMethod(&view->LabelTimer, "timeout"));
        QVERIFY(view->LB_Bunrui->isHidden());

        QCOMPARE(s.BarLabelText(s.PosSeries[0], 3), QString()); // April: 0

        p->SetHiritu(true);
        const TChartContents &r = *p->Series;
        QCOMPARE(r.BarLabelText(r.PosSeries[0], 0), u"食費: 83.3％"_s);
        QCOMPARE(r.BarLabelText(r.PosSeries[1], 0), u"日用品: 16.7％"_s);
        QCOMPARE(r.BarLabelText(r.PosSeries[0], 1), u"食費: 100.0％"_s);
        // March holds refunds only: no share, and no "inf" or "nan".
        QCOMPARE(r.BarLabelText(r.NegSeries[0], 2), QString());
        p->NenkanChartClickSeries(r.NegSeries[0], 2, QPoint(10, 40));
        QVERIFY(view->LB_Bunrui->isHidden());

        p->SetContent(ccSyusi);
        p->SetHiritu(false);
        QCOMPARE(p->Series->LineLabelText(0), u"収支差額: -12,000円"_s);
        QCOMPARE(p->Series->LineLabelText(3), QString());
    }

    // Each content keeps its own chart: switched back, the content finds its
    // chart and sets again, the view's scene holds the shown chart only, and
    // a click on either chart reaches the value label.
    void contentSwitchKeepsItsChart()
    {
        TFrameChart *p = openPage(ccDeru);
        TChartView *view = p->NenkanChart;
        QChart *expense = view->chart();
        QGraphicsScene *expenseScene = view->scene();
        const QList<QBarSet *> expenseSets = p->Series->PosSeries;
        QVERIFY(!expenseSets.isEmpty());

        p->SetContent(ccKouza);
        QChart *accounts = view->chart();
        QVERIFY(accounts != expense);
        QVERIFY(!view->scene()->items().contains(expense));
        QCOMPARE(expense->scene(), expenseScene);
        // The view resized while the accounts show: the expense chart takes
        // the new size when it is shown again.
        p->show();
        const QSize before = view->size();
        view->resize(before + QSize(40, 30));
        QCOMPARE(accounts->size(), QSizeF(view->size()));
        QCOMPARE(p->Series->Chart(), accounts);
        QCOMPARE(p->Series->Content, int(ccKouza));
        QVERIFY(p->Series->LineSeries);
        // Another year on the accounts, then back to the expense of 2026.
        p->ChangeMonth(2025, 1);
        p->ChangeMonth(2026, 1);

        p->SetContent(ccDeru);
        QCOMPARE(view->chart(), expense);
        QCOMPARE(view->scene(), expenseScene);
        QCOMPARE(expense->size(), QSizeF(view->size()));
        QCOMPARE(view->sceneRect(), expense->geometry());
        QVERIFY(!view->scene()->items().contains(accounts));
        QCOMPARE(p->Series->PosSeries, expenseSets);
        QCOMPARE(p->Series->Title, u"2026年度 支出実績　期間発生額　暦日集計 　単位（円）"_s);
        QCOMPARE(values(p->Series->PosSeries[0]), months({{1, 10000}, {2, 9000}}));

        // A click on the expense chart, then on the accounts chart's line.
        emit p->Series->BarSeries->clicked(0, p->Series->PosSeries[0]);
        QVERIFY(!view->LB_Bunrui->isHidden());
        QCOMPARE(view->LB_Bunrui->text(), u"食費: 10,000円"_s);
        view->HideValueLabel();
        p->SetContent(ccKouza);
        QVERIFY(p->Series->LineSeries);
        emit p->Series->LineSeries->clicked(QPointF(0, -12000));
        QCOMPARE(view->LB_Bunrui->text(), u"資産・負債総合: -12,000円"_s);
    }

    // Freezing the value axis keeps its range over a redraw with other
    // figures; released, the axis follows the figures again. With 比率 the
    // freeze buttons are hidden and released.
    void axisFreeze()
    {
        TFrameChart *p = openPage(ccDeru);
        TMySpeedButton *yFix = p->NenkanChart->MySpBtnYFix;
        TMySpeedButton *xFix = p->NenkanChart->MySpBtnXFix;
        QVERIFY(!yFix->isHidden());
        QVERIFY(xFix->isHidden());
        const double max2026 = p->Series->ValueAxis->max();
        // 12,000 stacked in January and 1,200 of refunds below zero in March,
        // with a tenth to spare, on round ticks.
        QCOMPARE(max2026, 15000.0);
        QCOMPARE(p->Series->ValueAxis->min(), -5000.0);
        yFix->SetDown(true);
        p->ChangeMonth(2025, 1); // an empty year
        QCOMPARE(p->Series->ValueAxis->max(), max2026);
        yFix->SetDown(false);
        QCOMPARE(p->Series->ValueAxis->max(), 1000.0);
        p->ChangeMonth(2026, 1);
        QCOMPARE(p->Series->ValueAxis->max(), max2026);

        yFix->SetDown(true);
        p->SetHiritu(true);
        QVERIFY(yFix->isHidden());
        QVERIFY(!yFix->down());
        QCOMPARE(p->Series->ValueAxis->max(), 100.0);

        // Budget contents freeze the bottom axis instead.
        p->SetHiritu(false);
        p->SetContent(ccDeruYosan);
        QVERIFY(yFix->isHidden());
        QVERIFY(!xFix->isHidden());
        const double budgetMax = p->Series->ValueAxis->max();
        QCOMPARE(budgetMax, 15000.0); // 10,000 actual for 食費, on round ticks
        xFix->SetDown(true);
        p->StepMonth(true); // February: no budget, other actuals
        QCOMPARE(p->Series->ValueAxis->max(), budgetMax);
    }

    // The page keeps the series of the content it shows and puts in only the
    // figures that changed: after other years, months, contents and
    // switches, a drawing shows exactly what a fresh chart of the same
    // figures shows.
    void redrawEqualsFresh_data()
    {
        QTest::addColumn<QList<QList<int>>>("steps"); // content, 比率, year, month[, axis frozen]
        using Steps = QList<QList<int>>;
        QTest::newRow("支出実績, another year and back")
            << Steps{{ccDeru, 0, 2026, 1}, {ccDeru, 0, 2025, 1}, {ccDeru, 0, 2026, 1}};
        // The frozen axis keeps the range: only the figures move the bars.
        QTest::newRow("支出実績, frozen axis, another year and back")
            << Steps{{ccDeru, 0, 2026, 1, 1}, {ccDeru, 0, 2025, 1}, {ccDeru, 0, 2026, 1}};
        QTest::newRow("支出予算, frozen axis, another month and back")
            << Steps{{ccDeruYosan, 0, 2026, 1, 1}, {ccDeruYosan, 0, 2026, 2}, {ccDeruYosan, 0, 2026, 1}};
        QTest::newRow("支出実績 比率, another year")
            << Steps{{ccDeru, 1, 2026, 1}, {ccDeru, 1, 2025, 1}};
        QTest::newRow("支出実績, accounts, 支出実績")
            << Steps{{ccDeru, 0, 2026, 1}, {ccKouza, 0, 2026, 1}, {ccDeru, 0, 2026, 1}};
        QTest::newRow("口座推移, another year and back")
            << Steps{{ccKouza, 0, 2026, 1}, {ccKouza, 0, 2025, 1}, {ccKouza, 0, 2026, 1}};
        QTest::newRow("収入と支出, 比率 and back")
            << Steps{{ccSyusi, 0, 2026, 1}, {ccSyusi, 1, 2026, 1}, {ccSyusi, 0, 2026, 1}};
        QTest::newRow("収入実績 to 支出実績") << Steps{{ccIri, 0, 2026, 1}, {ccDeru, 0, 2026, 1}};
        QTest::newRow("支出予算, another month") << Steps{{ccDeruYosan, 0, 2026, 1}, {ccDeruYosan, 0, 2026, 2}};
        QTest::newRow("支出予算, another month and back")
            << Steps{{ccDeruYosan, 0, 2026, 1}, {ccDeruYosan, 0, 2026, 2}, {ccDeruYosan, 0, 2026, 1}};
        QTest::newRow("支出予算 比率, another month") << Steps{{ccDeruYosan, 1, 2026, 1}, {ccDeruYosan, 1, 2026, 2}};
        QTest::newRow("口座推移, another year") << Steps{{ccKouza, 0, 2026, 1}, {ccKouza, 0, 2025, 1}};
        QTest::newRow("支出予算 to 収入予算") << Steps{{ccDeruYosan, 0, 2026, 1}, {ccIriYosan, 0, 2026, 1}};
        QTest::newRow("収入予算 比率 to 支出予算 比率") << Steps{{ccIriYosan, 1, 2026, 1}, {ccDeruYosan, 1, 2026, 1}};
        QTest::newRow("口座推移 to 支出実績, another year")
            << Steps{{ccKouza, 0, 2026, 1}, {ccDeru, 0, 2025, 1}, {ccDeru, 0, 2026, 1}};
        QTest::newRow("支出予算, 収入予算, 支出実績")
            << Steps{{ccDeruYosan, 0, 2026, 1}, {ccIriYosan, 0, 2026, 1}, {ccDeru, 0, 2026, 1}};
    }
    void redrawEqualsFresh()
    {
        QFETCH(QList<QList<int>>, steps);
        TFrameChart *p = openPage(steps.first()[0]);
        p->show();
        QVERIFY(QTest::qWaitForWindowExposed(p));
        for (const QList<int> &step : steps) {
            p->SetContent(step[0]);
            p->SetHiritu(step[1] != 0);
            p->ChangeMonth(step[2], step[3]);
            if (step.size() > 4) {
                TChartView *view = p->NenkanChart;
                (step[0] >= ccIriYosan ? view->MySpBtnXFix : view->MySpBtnYFix)->SetDown(step[4] != 0);
            }
            QCOMPARE(p->Content(), step[0]);
            QCOMPARE(int(CurYear), step[2]);
        }

        compareWithFresh(p, steps.last()[0], steps.last()[1] != 0);
    }

    // New figures under the same axis range: the bars move all the same.
    void sameRangeOtherFigures()
    {
        // Refunds of both categories, as in 2026: the same sets stay on the chart.
        addLine(u"2024-02-10"_s, 11000, Food, Cash);
        addLine(u"2024-03-05"_s, -300, Food, Cash);
        addLine(u"2024-03-06"_s, -1100, Goods, Cash);
        TFrameChart *p = openPage(ccDeru);
        p->show();
        QVERIFY(QTest::qWaitForWindowExposed(p));
        const QList<qreal> range{p->Series->ValueAxis->min(), p->Series->ValueAxis->max()};
        const QStringList before = barPlaces(p);
        p->ChangeMonth(2024, 1);
        QCOMPARE((QList<qreal>{p->Series->ValueAxis->min(), p->Series->ValueAxis->max()}), range);
        QCOMPARE(p->NenkanChart->chart()->series().size(), 1);
        QCOMPARE(p->Series->BarSeries->count(), 18); // sixteen categories and two with refunds
        QVERIFY(barPlaces(p) != before);
        compareWithFresh(p, ccDeru, false);
    }

    // Each content drawn offscreen: not blank, and as many bars with a
    // length as the figures have.
    void rendersBars_data()
    {
        QTest::addColumn<int>("content");
        QTest::addColumn<bool>("hiritu");
        QTest::addColumn<int>("bars");
        QTest::addColumn<QColor>("colour");
        // Food Jan, Feb, Mar (refund); Goods Jan, Feb and Mar (refunds).
        QTest::newRow("支出実績") << int(ccDeru) << false << 6 << QColor(255, 0, 0);
        QTest::newRow("収入実績") << int(ccIri) << false << 1 << QColor(255, 0, 0);
        // Income in March; expense in January, February and March (below zero).
        QTest::newRow("収入と支出") << int(ccSyusi) << false << 4 << QColor(0, 0, 255);
        // Cash Jan, Feb, Mar; card Feb; bank Mar.
        QTest::newRow("口座推移") << int(ccKouza) << false << 5 << QColor();
        QTest::newRow("支出予算と実績") << int(ccDeruYosan) << false << 4 << QColor(0, 0, 255);
        QTest::newRow("支出予算 比率") << int(ccDeruYosan) << true << 2 << QColor(255, 0, 0);
    }
    void rendersBars()
    {
        QFETCH(int, content);
        QFETCH(bool, hiritu);
        QFETCH(int, bars);
        QFETCH(QColor, colour);
        TFrameChart *p = openPage(content);
        p->SetHiritu(hiritu);
        p->show();
        QVERIFY(QTest::qWaitForWindowExposed(p));
        QTRY_COMPARE(visibleBars(p), bars);
        if (colour.isValid())
            QVERIFY(pixelsOf(p, colour) > 50);
        const QImage image = p->NenkanChart->grab().toImage();
        QVERIFY(!image.isNull());
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 5, "the chart is blank");
    }
};

QTEST_MAIN(TestFrameChart)
#include "tst_framechart.moc"
