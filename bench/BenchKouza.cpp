#include "BenchKouza.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <QDate>
#include <QElapsedTimer>

#include "GenerateBook.h"
#include "data/HimokuCache.h"
#include "data/Vocabulary.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "views/KouzaRegister.h"
#include "views/KouzaSyukeiData.h"

using namespace Qt::StringLiterals;

namespace {

double medianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// One untimed warm-up, then the median of runs timings in milliseconds.
double medianMs(int runs, const std::function<void()> &body)
{
    body();
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        body();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return medianOf(ms);
}

const char *booked = "(RESERVED IS NULL OR RESERVED = 0)";

// The bare sums of the lines the balances read: every booked line, once per
// side, grouped by code.
Currency bareBalanceSums(Database &db)
{
    Currency check;
    for (const char *side : {"KARICODE", "KASICODE"}) {
        Statement st(db, u"SELECT %1, SUM(CAST(ROUND(KINGAKU * 10000) AS INTEGER)) FROM Master WHERE %2 GROUP BY %1"_s
                             .arg(QLatin1StringView(side), QLatin1StringView(booked)));
        while (st.next())
            check += Currency::fromRaw(st.intValue(1));
    }
    return check;
}

void row(const char *what, double program, double bare)
{
    std::printf("%-48s %10.2f ms %10.2f ms %8.2f  %-8s %s\n", what, program, bare, program / bare, "<= 2",
                program <= 2 * bare ? "met" : "NOT MET");
}

} // namespace

void BenchKouza(const QString &largeBook, int runs)
{
    Database db;
    db.open(GenerateBook::databasePath(largeBook));
    LoadHimokuCaches(db);
    LoadHolidayList(db);

    // The asset overview as the page computes it, on today's date.
    TKouzaSyukeiData data;
    const double balances = medianMs(runs, [&] { data.Recalculate(db); });
    const double bareBalances = medianMs(runs, [&] { bareBalanceSums(db); });

    // The busiest account (the most lines on either side) over the fiscal year
    // that holds today, as the page's 年間 register shows it.
    int busiest = -1;
    qlonglong most = -1;
    for (const TKouzaData &k : data.Items) {
        const qlonglong n = db.scalar(u"SELECT COUNT(*) FROM Master WHERE KARICODE = ? OR KASICODE = ?"_s,
                                      {k.Code, k.Code})
                                .toLongLong();
        if (n > most) {
            most = n;
            busiest = data.ItemIndexOf(k.Code);
        }
    }
    if (busiest < 0) {
        std::printf("account register: the book has no account\n");
        return;
    }
    TRegisterSubject subject;
    QString title;
    int nendo = 0, getudo = 0, bu1 = 0;
    data.MakeSubject(1, busiest, false, subject, title, nendo, getudo, bu1);
    const int code = data.Items[busiest].Code;
    TKouzaRegister reg;
    reg.LoadNames(db);
    // A register takes a few milliseconds: each sample is the mean of Repeat
    // runs, so that the timer's grain and a busy machine do not decide the ratio.
    constexpr int Repeat = 20;
    auto repeated = [](const std::function<void()> &once) {
        return [once] {
            for (int i = 0; i < Repeat; ++i)
                once();
        };
    };
    const double registerMs = medianMs(runs, repeated([&] { reg.Open(db, subject); })) / Repeat;
    const double bareRegister = medianMs(runs, repeated([&] {
        db.scalar(u"SELECT SUM(CAST(ROUND(KINGAKU * 10000) AS INTEGER)) FROM Master WHERE RECDATE >= ? AND "
                  "RECDATE <= ? AND (KARICODE = ? OR KASICODE = ?) AND %1"_s.arg(QLatin1StringView(booked)),
                  {subject.start.toString(Qt::ISODate), subject.end.toString(Qt::ISODate), code, code});
    })) / Repeat;

    std::printf("\naccount totals (通帳), large book: %lld accounts; busiest %s, %lld lines in all, %lld in %s to %s\n",
                qlonglong(data.Items.size()), qPrintable(title), most, qlonglong(reg.rowCount()),
                qPrintable(subject.start.toString(Qt::ISODate)), qPrintable(subject.end.toString(Qt::ISODate)));
    std::printf("%-48s %13s %13s %8s  %-8s %s\n", "measure", "program", "bare SQL", "ratio", "target", "result");
    row("balances of every account, 20 years", balances, bareBalances);
    row("register of the busiest account, fiscal year", registerMs, bareRegister);
}
