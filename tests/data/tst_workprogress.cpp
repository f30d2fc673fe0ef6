#include <QProgressDialog>
#include <QtTest>

#include "data/WorkProgress.h"

// The bar of long work comes up only once the work has taken a moment, with
// its caption, follows the steps and goes with the work.
class TestWorkProgress : public QObject
{
    Q_OBJECT

    static QProgressDialog *visibleBar()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<QProgressDialog *>(w); d && d->isVisible())
                return d;
        return nullptr;
    }

private slots:
    void showsOnlyForLongWork()
    {
        {
            WorkProgress quick(QStringLiteral("自動バックアップ中"));
            quick.step(1, 2);
            quick.step(2, 2);
            QVERIFY(!quick.shown());
            QVERIFY(!visibleBar());
        }
        {
            WorkProgress slow(QStringLiteral("自動バックアップ中"));
            QElapsedTimer timer;
            timer.start();
            QTRY_VERIFY((slow.step(250, 1000), slow.shown()));
            QVERIFY(timer.elapsed() >= WorkProgress::ShowAfterMs);
            QProgressDialog *bar = visibleBar();
            QVERIFY(bar);
            QCOMPARE(bar->windowTitle(), QStringLiteral("自動バックアップ中"));
            QCOMPARE(bar->labelText(), QStringLiteral("自動バックアップ中"));
            slow.step(1000, 1000);
            QCOMPARE(bar->value(), 1000);
        }
        QVERIFY(!visibleBar());
    }
};

QTEST_MAIN(TestWorkProgress)
#include "tst_workprogress.moc"
