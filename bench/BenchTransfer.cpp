#include <stdexcept>

#include <QDate>

#include <sqlcipher/sqlite3.h>

#include "BenchParts.h"
#include "controls/CurrencyGrid.h"
#include "data/DatMod.h"
#include "data/Vocabulary.h"
#include "main/DeruHyou.h"
#include "main/FrameKouza.h"

using namespace Qt::StringLiterals;

// The month on the transfer page with every account's month-end balance: the
// page's rebuild of its table (the month's in and out per day and account, the
// change before the month, the balances and the total assets), next to the bare
// SQL aggregates of the same sums run through the engine's C interface.
namespace {

constexpr int Repeat = 10;

double bareSums(sqlite3 *db, const QDate &start, const QDate &end, int *rows)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray from = start.toString(Qt::ISODate).toLatin1(), to = end.toString(Qt::ISODate).toLatin1();
    const QByteArray booked = BookedLinesCondition().toLatin1();
    const QList<QByteArray> sqls{
        "SELECT RECDATE, KARICODE, KASICODE, SUM(KINGAKU) FROM Master WHERE (RECDATE BETWEEN ?1 AND ?2) AND " + booked
            + " GROUP BY RECDATE, KARICODE, KASICODE",
        "SELECT KARICODE, SUM(KINGAKU) FROM Master WHERE (RECDATE < ?1) AND " + booked + " GROUP BY KARICODE",
        "SELECT KASICODE, SUM(KINGAKU) FROM Master WHERE (RECDATE < ?1) AND " + booked + " GROUP BY KASICODE"};
    int n = 0;
    double sum = 0;
    for (const QByteArray &sql : sqls) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
        sqlite3_bind_text(st, 1, from.constData(), -1, SQLITE_TRANSIENT);
        if (sqlite3_bind_parameter_count(st) > 1)
            sqlite3_bind_text(st, 2, to.constData(), -1, SQLITE_TRANSIENT);
        const int cols = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < cols - 1; ++c)
                sum += sqlite3_column_int(st, c);
            sum += sqlite3_column_double(st, cols - 1);
            ++n;
        }
        sqlite3_finalize(st);
    }
    if (rows)
        *rows = n;
    return elapsedMs(timer) + (sum < 0 ? 1e-9 : 0.0);
}

void measure(const BenchChild &child)
{
    TDatMod &dm = openBenchBook(child);
    IncludeReservedFlag = false;
    {
        TFrameKouza page;
        page.resize(1280, 720);
        page.InitPage();
        page.SetShowKouzaOnly(false);
        if (!page.LoadCell(-1, -1, true, pastMonthDay()))
            throw std::runtime_error("the transfer page did not load the past month");
        const QDate start = page.periodStart(), end = page.periodEnd();
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
        report("rebuild", warmThenTime([&] { return mean(pageRebuild); }));
        report("bare", warmThenTime([&] { return mean([&] { return bareSums(dm.MainDatabase.handle(), start, end, &rows); }); }));
        report("rows", rows);
        page.LeavePage();
    }
    closeBenchBook(false);
}

void print(const Figures &e, const Figures &l)
{
    row(u"(t) transfer page month + balances (page)"_s, ms(e[u"rebuild"_s]), ms(l[u"rebuild"_s]));
    row(u"(u) same sums, bare SQL"_s, ms(e[u"bare"_s]), ms(l[u"bare"_s]));
    const double r = l[u"rebuild"_s] / l[u"bare"_s];
    row(u"    (t) / (u), large book (%1 sum rows)"_s.arg(int(l[u"rows"_s])), QString(), QString(), ratio(r), u"<= 2"_s,
        verdict(r <= 2));
}

} // namespace

BenchPart benchTransferMonth()
{
    return {u"transfer"_s, measure, print};
}
