#include "main/TaxLines.h"

#include <algorithm>

#include <QMap>

#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"

void TTaxRates::Load(Database &db)
{
    m_rates.clear();
    Statement st(db, LocalSql::translate(QStringLiteral("SELECT STARTDATE, PERCENT FROM \"ZeiList.db\" ORDER BY STARTDATE")));
    while (st.next()) {
        const QDate d = QDate::fromString(st.textValue(0), Qt::ISODate);
        if (d.isValid())
            m_rates << qMakePair(d, st.doubleValue(1));
    }
}

double TTaxRates::RateOn(const QDate &date) const
{
    double rate = 0.0;
    for (const auto &r : m_rates) {
        if (r.first > date)
            break;
        rate = r.second;
    }
    return rate;
}

Currency TaxOf(Currency base, double percent, const std::function<Currency(Currency)> &round)
{
    // Currency keeps 1/10000: the exact tax is held to that before rounding.
    const Currency exact = base * (percent / 100.0);
    return round ? round(exact) : exact;
}

void ReconcileTaxGroups(QList<TTaxGroup> &groups, Currency moneyStep, const std::function<Currency(Currency)> &round)
{
    QMap<double, QList<int>> byRate;
    for (int i = 0; i < groups.size(); ++i) {
        TTaxGroup &g = groups[i];
        const Currency exact = TaxOf(g.Base, g.Percent, nullptr);
        g.Tax = round(exact);
        g.Diff = g.Tax - exact;
        byRate[g.Percent] << i;
    }
    for (auto it = byRate.begin(); it != byRate.end(); ++it) {
        QList<int> order = it.value();
        Currency bases, taxes;
        for (int i : std::as_const(order)) {
            bases += groups[i].Base;
            taxes += groups[i].Tax;
        }
        Currency d = taxes - TaxOf(bases, it.key(), round);
        if (d.isZero() || moneyStep <= Currency())
            continue;
        std::stable_sort(order.begin(), order.end(), [&groups](int a, int b) {
            if (groups[a].Diff != groups[b].Diff)
                return groups[a].Diff < groups[b].Diff;
            return groups[a].Base < groups[b].Base;
        });
        if (d > Currency()) {
            for (int k = int(order.size()) - 1; k >= 0 && d > Currency(); --k) {
                TTaxGroup &g = groups[order[k]];
                if (g.Tax >= moneyStep) {
                    g.Tax -= moneyStep;
                    d -= moneyStep;
                }
            }
        } else {
            for (int k = 0; k < order.size() && d < Currency(); ++k) {
                groups[order[k]].Tax += moneyStep;
                d += moneyStep;
            }
        }
    }
}
