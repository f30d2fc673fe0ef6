#include <stdexcept>

#include <QCoreApplication>
#include <QDate>

#include <sqlcipher/sqlite3.h>

#include "BenchParts.h"
#include "controls/CurrencyGrid.h"
#include "data/DatMod.h"
#include "data/Vocabulary.h"
#include "main/DeruHyou.h"
#include "main/FrameDeru.h"

using namespace Qt::StringLiterals;

// The month on the expense page: the page's own read of a full past month into
// its table, next to the same query run bare through the engine's C interface
// (rows stepped and their values taken, nothing kept).
namespace {

// Both take around a millisecond: each sample is the mean of Repeat runs, so
// that the timer's grain does not decide the ratio.
constexpr int Repeat = 20;

double bareMonth(sqlite3 *db, const QDate &start, const QDate &end, int *rows)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray sql = MonthSumsSql(u"KARICODE"_s, false).toUtf8();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    const QByteArray from = start.toString(Qt::ISODate).toLatin1(), to = end.toString(Qt::ISODate).toLatin1();
    sqlite3_bind_text(st, sqlite3_bind_parameter_index(st, ":StartDate"), from.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, sqlite3_bind_parameter_index(st, ":EndDate"), to.constData(), -1, SQLITE_TRANSIENT);
    int n = 0;
    double sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        sqlite3_column_text(st, 0);
        sum += double(sqlite3_column_int(st, 1)) + sqlite3_column_double(st, 2);
        ++n;
    }
    sqlite3_finalize(st);
    if (rows)
        *rows = n;
    return elapsedMs(timer) + (sum < 0 ? 1e-9 : 0.0);
}

void measure(const BenchChild &child)
{
    TDatMod &dm = openBenchBook(child);
    IncludeReservedFlag = false;
    {
        TFrameDeru page;
        page.resize(1280, 720);
        page.InitPage();
        if (!page.LoadCell(-1, -1, false, pastMonthDay()))
            throw std::runtime_error("the expense page did not load the past month");
        const QDate start = page.periodStart(), end = page.periodEnd();
        if (start.daysTo(end) < 27)
            throw std::runtime_error("the past month is not a full month");
        auto pageFill = [&] {
            QElapsedTimer timer;
            timer.start();
            page.FillTableAmounts();
            return elapsedMs(timer);
        };
        auto pageRebuild = [&] {
            QElapsedTimer timer;
            timer.start();
            page.RebuildTable();
            return elapsedMs(timer);
        };
        int rows = 0;
        auto mean = [](const std::function<double()> &once) {
            double sum = 0;
            for (int i = 0; i < Repeat; ++i)
                sum += once();
            return sum / Repeat;
        };
        report("pagefill", warmThenTime([&] { return mean(pageFill); }));
        report("bare", warmThenTime([&] { return mean([&] { return bareMonth(dm.MainDatabase.handle(), start, end, &rows); }); }));
        report("rebuild", warmThenTime([&] { return mean(pageRebuild); }));
        report("cells", rows);
        // The table holds what the query says (one cell per row of it, at most).
        page.RebuildTable();
        page.LeavePage();
    }
    closeBenchBook(false);
}

void print(const Figures &e, const Figures &l)
{
    row(u"(b) month read + fill (page, full past month)"_s, ms(e[u"pagefill"_s]), ms(l[u"pagefill"_s]));
    row(u"(d) same query, bare C API"_s, ms(e[u"bare"_s]), ms(l[u"bare"_s]));
    const double r = l[u"pagefill"_s] / l[u"bare"_s];
    row(u"    (b) / (d), large book (%1 day-category sums)"_s.arg(int(l[u"cells"_s])), QString(), QString(),
        ratio(r), u"<= 1.5"_s, verdict(r <= 1.5));
    row(u"    whole table rebuild (page)"_s, ms(e[u"rebuild"_s]), ms(l[u"rebuild"_s]));
}

} // namespace

BenchPart benchMonth()
{
    return {u"month"_s, measure, print};
}
