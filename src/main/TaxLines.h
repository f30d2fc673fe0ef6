#pragma once

#include <functional>

#include <QDate>
#include <QList>

#include "platform/db/Currency.h"

class Database;

// The taxable amount of one (date, category) of a slip and its tax.
struct TTaxGroup
{
    QDate Date;
    int Code = 0;
    Currency Base;
    Currency Tax;
    Currency Diff;   // rounded tax minus exact tax
    double Percent = 0.0;
};

// The consumption-tax rates of the book ("ZeiList.db"): the rate in force on
// a day is the last one that started on or before it; 0 before the first.
class TTaxRates
{
public:
    void Load(Database &db);
    double RateOn(const QDate &date) const;
    void Set(const QList<QPair<QDate, double>> &rates) { m_rates = rates; }

private:
    QList<QPair<QDate, double>> m_rates; // in STARTDATE order
};

// The tax of a base at a percent: kept to 1/10000, then rounded by the book.
Currency TaxOf(Currency base, double percent, const std::function<Currency(Currency)> &round);

// Rounds each group's tax and reconciles the groups of each rate with the tax
// of their summed base at that rate: the difference is given out one money
// step at a time (largest remainder), each group changed at most once.
// Reconciling per rate keeps groups of different rates from paying for each
// other's rate difference.
void ReconcileTaxGroups(QList<TTaxGroup> &groups, Currency moneyStep, const std::function<Currency(Currency)> &round);
