#include <QAbstractBarSeries>
#include <QBarSet>
#include <QChart>
#include <QLabel>
#include <QValueAxis>
#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "data/Vocabulary.h"
#include "main/MainForm.h"
#include "platform/db/Database.h"
#include "views/ChartView.h"
#include "views/FrameChart.h"
#include "views/NenSyukeiData.h"

using namespace Qt::StringLiterals;

// The グラフ page in the running program: picked from its tab on a book made
// from the template, a bar clicked with the mouse shows its amount.
class TestChartPage : public QObject, public JournalPageDriver
{
    Q_OBJECT

private slots:
    void init()
    {
        makeBook();
        NenSyukeiData = TNenSyukeiData();
    }
    void cleanup()
    {
        dropWorld();
        NenSyukeiData = TNenSyukeiData();
    }

    void clickABar()
    {
        QVERIFY(start());
        const QDate today = QDate::currentDate();
        {
            Statement st(DatMod->MainDatabase,
                         u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, "
                         "RESERVED, STYLE, ORIGIN, HINMEICODE, SHOPCODE, PERSONCODE, LOOKUPNO, RECEIPTNO) "
                         "VALUES (9001, 1, ?, 1234, 0, 107, 100, 0, 1, 2, 0, 0, 0, 0, 0)"_s);
            st.bind(1, QDate(today.year(), today.month(), 1));
            st.exec();
        }
        QVERIFY(window->SelectPage(pgChart));
        auto *page = qobject_cast<TFrameChart *>(window->frameOf(pgChart));
        QVERIFY(page);
        QTRY_VERIFY(page->isVisible());
        QCOMPARE(page->Content(), int(ccDeru));
        QBarSet *food = page->Series->PosSeries.value(0);
        QVERIFY(food);
        QCOMPARE(food->label(), u"食費"_s);
        int index = -1;
        for (int i = 0; i < food->count(); ++i)
            if (food->at(i) == 1234.0)
                index = i;
        QVERIFY(index >= 0);

        // The middle of the bar, as the user sees it.
        TChartView *view = page->NenkanChart;
        QTRY_VERIFY(view->chart()->plotArea().height() > 50);
        const QPointF inChart = view->chart()->mapToPosition(QPointF(index, 617), page->Series->BarSeries);
        const QPoint at = view->mapFromScene(view->chart()->mapToScene(inChart));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTRY_VERIFY(view->LB_Bunrui->isVisible());
        QCOMPARE(view->LB_Bunrui->text(), u"食費: 1,234円"_s);
        QVERIFY(view->LabelTimer.isActive());
        // A click is no zoom.
        QVERIFY(!view->chart()->isZoomed());
    }

    // A drag over the plot area from top left to bottom right zooms the chart
    // shown, the reverse drag undoes it, a right click zooms back out; also on
    // a content's chart shown after another.
    void dragZoomsTheChartShown()
    {
        QVERIFY(start());
        QVERIFY(window->SelectPage(pgChart));
        auto *page = qobject_cast<TFrameChart *>(window->frameOf(pgChart));
        QVERIFY(page);
        QTRY_VERIFY(page->isVisible());
        TChartView *view = page->NenkanChart;
        const auto drag = [view](QPointF fromShare, QPointF toShare) {
            const QRectF plot = view->chart()->plotArea();
            const auto at = [&](QPointF share) {
                return view->mapFromScene(view->chart()->mapToScene(
                    plot.topLeft() + QPointF(plot.width() * share.x(), plot.height() * share.y())));
            };
            QTest::mousePress(view->viewport(), Qt::LeftButton, {}, at(fromShare));
            QTest::mouseMove(view->viewport(), at((fromShare + toShare) / 2));
            QTest::mouseMove(view->viewport(), at(toShare));
            QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at(toShare));
        };
        QTRY_VERIFY(view->chart()->plotArea().height() > 50);
        QChart *expense = view->chart();
        drag({0.2, 0.2}, {0.6, 0.7});
        QVERIFY(expense->isZoomed());
        drag({0.6, 0.7}, {0.2, 0.2});
        QVERIFY(!expense->isZoomed());

        page->SetContent(ccDeruYosan);
        QChart *budget = view->chart();
        QVERIFY(budget != expense);
        QTRY_VERIFY(budget->plotArea().height() > 50);
        const auto span = [page] { return page->Series->ValueAxis->max() - page->Series->ValueAxis->min(); };
        const double whole = span();
        drag({0.1, 0.1}, {0.5, 0.5});
        QVERIFY(budget->isZoomed());
        QVERIFY(!expense->isZoomed());
        const double zoomed = span();
        QVERIFY(zoomed < whole * 0.6);
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, view->rect().center());
        QVERIFY(span() > zoomed * 1.5);
    }
};

QTEST_MAIN(TestChartPage)
#include "tst_chartpage.moc"
