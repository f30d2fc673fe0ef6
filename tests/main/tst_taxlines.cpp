#include <QtTest>

#include "data/Utils.h"
#include "main/TaxLines.h"

// The tax of a slip's (date, category) groups: each rounded alone, then the
// groups of one rate brought to the rounded tax of their summed base.
class TestTaxLines : public QObject
{
    Q_OBJECT

private:
    static Currency yen(double v) { return Currency::fromDouble(v); }
    // Half away from zero to whole yen, the book's default rule.
    static Currency round(Currency c) { return Currency::fromDouble(double(RoundHalfAway(c.toDouble()))); }

private slots:
    void reconcile_data()
    {
        QTest::addColumn<QList<double>>("bases");
        QTest::addColumn<QList<double>>("percents");
        QTest::addColumn<QList<double>>("taxes");
        // 10.6 + 20.6 + 30.6 round to 63, the whole is 62: the largest base gives one.
        QTest::newRow("rounded up too far") << QList<double>{106, 206, 306} << QList<double>{10, 10, 10}
                                            << QList<double>{11, 21, 30};
        // 10.4 + 20.4 + 30.4 round to 60, the whole is 61: the smallest base takes one.
        QTest::newRow("rounded down too far") << QList<double>{104, 204, 304} << QList<double>{10, 10, 10}
                                              << QList<double>{11, 20, 30};
        QTest::newRow("nothing to give out") << QList<double>{100, 250} << QList<double>{8, 8} << QList<double>{8, 20};
        // Two rates in one slip: each rate is reconciled on its own, so neither
        // group pays for the other's rate.
        QTest::newRow("two rates") << QList<double>{1000, 1000} << QList<double>{5, 8} << QList<double>{50, 80};
        QTest::newRow("two rates with remainders")
            << QList<double>{106, 206, 1010} << QList<double>{10, 10, 8} << QList<double>{11, 20, 81};
        // A zero tax is never lowered below zero.
        QTest::newRow("small bases") << QList<double>{4, 4, 4} << QList<double>{10, 10, 10} << QList<double>{1, 0, 0};
    }

    void reconcile()
    {
        QFETCH(QList<double>, bases);
        QFETCH(QList<double>, percents);
        QFETCH(QList<double>, taxes);
        QList<TTaxGroup> groups;
        for (int i = 0; i < bases.size(); ++i) {
            TTaxGroup g;
            g.Date = QDate(2024, 4, 1 + i);
            g.Code = 200 + i;
            g.Base = yen(bases[i]);
            g.Percent = percents[i];
            groups << g;
        }
        ReconcileTaxGroups(groups, yen(1), round);
        QList<double> got;
        for (const TTaxGroup &g : std::as_const(groups))
            got << g.Tax.toDouble();
        QCOMPARE(got, taxes);
    }

    void rateInForceOnADay()
    {
        TTaxRates rates;
        rates.Set({{QDate(1997, 4, 1), 5}, {QDate(2014, 4, 1), 8}, {QDate(2019, 10, 1), 10}});
        QCOMPARE(rates.RateOn(QDate(1990, 1, 1)), 0.0);
        QCOMPARE(rates.RateOn(QDate(2014, 3, 31)), 5.0);
        QCOMPARE(rates.RateOn(QDate(2014, 4, 1)), 8.0);
        QCOMPARE(rates.RateOn(QDate(2030, 1, 1)), 10.0);
    }
};

QTEST_GUILESS_MAIN(TestTaxLines)
#include "tst_taxlines.moc"
