#include <stdexcept>

#include "BenchParts.h"
#include "data/DatMod.h"
#include "data/Holidays.h"
#include "data/MeisaiClientDataSet.h"
#include "data/ReserveCard.h"
#include "data/Vocabulary.h"
#include "main/FormAutoRegister.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"

using namespace Qt::StringLiterals;

// Scheduled entries on the book: ten years of a monthly card generated into
// the journal lines (next to the bare SQL that writes the same lines, rolled
// back), and the start-up's collection of due lines (next to the bare SQL of
// the same query read row by row). The due day is three months ahead, so that
// the book's scheduled lines are due.
namespace {

TReserveCard tenYears()
{
    const QDate today = QDate::currentDate();
    TReserveCard c;
    c.ReceiptNo = 999999;
    c.Kind = 2;
    c.KariCode = 1;
    c.KasiCode = 2;
    c.Monthly = true;
    for (int m = 0; m < 12; ++m)
        c.MonthGaku[m] = Currency::fromInt(1000 + m);
    c.PostDate = 0;
    c.HolidayShift = 4;
    c.StartYear = today.year();
    c.StartMonth = 1;
    c.EndYear = today.year() + 9;
    c.EndMonth = 12;
    return c;
}

double generate()
{
    TMeisaiClientDataSet &lines = *DatMod->MeisaiClt;
    lines.close();
    lines.setCommandText(u"SELECT * FROM \"Master.db\" D WHERE (RECEIPTNO = 999999)"_s);
    lines.open();
    lines.ResetEntryState();
    lines.CltDataStyle = 4;
    lines.CltOrigin = 4;
    QElapsedTimer timer;
    timer.start();
    const int added = GenerateReserveLines(lines, tenYears(), QDate::currentDate(), CurLockDate,
                                           TableHolidayTest(DatMod->MainDatabase));
    const double took = elapsedMs(timer);
    if (added != 120)
        throw std::runtime_error("ten years did not give 120 lines");
    lines.cancelUpdates();
    lines.close();
    return took;
}

double bareGenerate()
{
    const QList<TReserveLinePlan> plan = PlanReserveLines(tenYears(), {}, QDate(), {});
    Database &db = DatMod->MainDatabase;
    QElapsedTimer timer;
    timer.start();
    db.exec(u"BEGIN"_s);
    Statement st(db, u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, KARICODE, KASICODE, RESERVED, LOOKUPNO, "
                     "RECEIPTNO, STYLE, ORIGIN) VALUES (?,1,?,?,1,2,1,?,999999,4,2)"_s);
    int dataNo = 2000000000;
    for (const TReserveLinePlan &p : plan) {
        st.bind(1, ++dataNo);
        st.bind(2, p.Date.toString(Qt::ISODate));
        st.bind(3, p.Amount.toDouble());
        st.bind(4, p.MonthCode);
        st.exec();
        st.reset();
    }
    const double took = elapsedMs(timer);
    db.exec(u"ROLLBACK"_s);
    return took;
}

QDate dueDay()
{
    return QDate::currentDate().addMonths(3);
}

double collect(int &rows)
{
    TFormAutoRegister form;
    QElapsedTimer timer;
    timer.start();
    rows = form.LoadDueEntries(dueDay());
    return elapsedMs(timer);
}

double bareCollect()
{
    const QString sql = LocalSql::translate(DueEntriesSql(dueDay(), CurLockDate).join(u'\n'));
    QElapsedTimer timer;
    timer.start();
    Statement st(DatMod->MainDatabase, sql);
    const int columns = st.columnCount();
    int rows = 0;
    while (st.next()) {
        for (int c = 0; c < columns; ++c)
            (void)st.value(c);
        ++rows;
    }
    const double took = elapsedMs(timer);
    if (rows < 0)
        throw std::runtime_error("no rows");
    return took;
}

void measure(const BenchChild &child)
{
    openBenchBook(child);
    report("generate", warmThenTime(generate));
    report("generateSql", warmThenTime(bareGenerate));
    int rows = 0;
    report("due", warmThenTime([&rows] { return collect(rows); }));
    report("dueSql", warmThenTime(bareCollect));
    report("dueRows", rows);
    closeBenchBook(false);
}

void print(const Figures &e, const Figures &l)
{
    row(u"(r) ten years of a monthly card generated (120 lines)"_s, ms(e[u"generate"_s]), ms(l[u"generate"_s]));
    row(u"    the same lines inserted by bare SQL (rolled back)"_s, ms(e[u"generateSql"_s]),
        ms(l[u"generateSql"_s]));
    const double r = l[u"due"_s] / std::max(0.001, l[u"dueSql"_s]);
    row(u"(r) due scheduled lines collected at start-up (%1 rows)"_s.arg(int(l[u"dueRows"_s])), ms(e[u"due"_s]),
        ms(l[u"due"_s]), ratio(r), u"large <= 2 x bare SQL"_s, verdict(r <= 2.0));
    row(u"    the same SQL alone (bare)"_s, ms(e[u"dueSql"_s]), ms(l[u"dueSql"_s]));
}

} // namespace

BenchPart benchReserve()
{
    return {u"reserve"_s, measure, print};
}
