#include "BenchNenSyukei.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

#include <QDate>
#include <QElapsedTimer>
#include <QHash>

#include "GenerateBook.h"
#include "data/HimokuCache.h"
#include "data/Vocabulary.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "views/NenSyukeiData.h"

using namespace Qt::StringLiterals;

// The calculator is measured as the page runs it: monthly, accounting months,
// the current year of the large book, the caches of the open book loaded; the
// first computation after the page is shown separately, as it also reads what
// lies before the year (kept for the computations that follow). Next
// to it the bare SQL a hand-written report would send for the same year: one
// grouped statement over the date index, months by debit and credit category,
// read into a table of cells. The calculator does more than that statement (the
// year before for the ratios, the balances carried into the year), so a third
// row shows the bare SQL of all of that for comparison.

namespace {

double medianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0.0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

double timedMedian(int runs, const std::function<void()> &body)
{
    body(); // warm-up: the pages of the book in the cache, as in the program
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        body();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return medianOf(ms);
}

struct CellKey
{
    int month;
    int kari;
    int kasi;
    bool operator==(const CellKey &) const = default;
};
size_t qHash(const CellKey &k, size_t seed = 0) { return qHashMulti(seed, k.month, k.kari, k.kasi); }

// Months x (debit, credit) of the booked lines between two dates.
int bareYear(Database &db, const QDate &start, const QDate &end)
{
    Statement st(db, u"SELECT CAST(strftime('%m', RECDATE) AS INTEGER), KARICODE, KASICODE, "
                     "SUM(CAST(ROUND(KINGAKU * 10000) AS INTEGER)) FROM Master "
                     "WHERE RECDATE BETWEEN ? AND ? AND COALESCE(RESERVED, 0) = 0 GROUP BY 1, 2, 3"_s);
    st.bind(1, start);
    st.bind(2, end);
    QHash<CellKey, Currency> cells;
    while (st.next())
        cells[{int(st.intValue(0)), int(st.intValue(1)), int(st.intValue(2))}] += Currency::fromRaw(st.intValue(3));
    return int(cells.size());
}

// The same for the year before and the shown year, plus every line before
// them by code pair: the whole of what the calculator reads.
int bareWholeWork(Database &db, const QDate &start, const QDate &end)
{
    Statement st(db, u"SELECT CASE WHEN RECDATE < ?1 THEN 0 ELSE CAST(strftime('%Y%m', RECDATE) AS INTEGER) END, "
                     "KARICODE, KASICODE, SUM(CAST(ROUND(KINGAKU * 10000) AS INTEGER)) FROM Master "
                     "WHERE RECDATE <= ?2 AND COALESCE(RESERVED, 0) = 0 GROUP BY 1, 2, 3"_s);
    st.bind(1, start.addYears(-1));
    st.bind(2, end);
    QHash<CellKey, Currency> cells;
    while (st.next())
        cells[{int(st.intValue(0)), int(st.intValue(1)), int(st.intValue(2))}] += Currency::fromRaw(st.intValue(3));
    return int(cells.size());
}

void printRow(const char *what, const QString &large, const QString &measure = QString(),
              const QString &target = QString(), const QString &verdict = QString())
{
    std::printf("%-40s %12s %12s %10s  %-26s %s\n", what, "", qPrintable(large), qPrintable(measure),
                qPrintable(target), qPrintable(verdict));
}

QString ms(double v)
{
    return QString::number(v, 'f', v < 10 ? 2 : 1) + u" ms"_s;
}

} // namespace

void BenchNenSyukei(const QString &book, int runs)
{
    Database db;
    db.open(GenerateBook::databasePath(book));
    ResetProgramValues();
    LoadHimokuCaches(db);
    const int year = QDate::currentDate().year();
    const QDate start(year, 1, 1);
    const QDate end(year, 12, 31);

    TNenSyukeiData data;
    // The first computation after the page is shown reads what lies before
    // the span; the later ones (a switch, a filter kept, the next year) keep it.
    const double first = timedMedian(runs, [&] {
        data.ForgetCarry();
        data.Calculate(db, year);
    });
    const double calc = timedMedian(runs, [&] { data.Calculate(db, year); });
    int rows = 0;
    for (int kind = 1; kind <= 3; ++kind)
        rows += data.RowCount(kind);
    if (rows == 0 || data.SumRows.size() != 4)
        throw std::runtime_error("the annual computation gave no rows");
    int cells = 0;
    const double bare = timedMedian(runs, [&] { cells = bareYear(db, start, end); });
    const double whole = timedMedian(runs, [&] { bareWholeWork(db, start, end); });

    std::printf("\nannual totals of %d (%d rows, %d cells of the bare aggregate), median of %d runs\n", year, rows,
                cells, runs);
    printRow("(e) annual computation (page 5)", ms(calc));
    printRow("    first one when the page is shown", ms(first));
    printRow("(f) the year's aggregate (bare SQL)", ms(bare));
    printRow("    (e) / (f), large book", QString(), QString::number(calc / bare, 'f', 2), u"<= 2"_s,
             calc <= 2 * bare ? u"met"_s : u"NOT MET"_s);
    printRow("    the same work: 2 years + carry (bare)", ms(whole));
    printRow("    first one / the same work", QString(), QString::number(first / whole, 'f', 2));
    ClearHimokuCaches();
    ResetProgramValues();
}
