#include <stdexcept>

#include <QCoreApplication>

#include "BenchParts.h"
#include "GenerateBook.h"
#include "controls/CurrencyGrid.h"
#include "data/DatMod.h"
#include "main/FrameDeru.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

// Opening a book as the program does (a clean start), and with the expense
// page showing its month; beside them what the engine's check and an index
// rebuild of the book would cost alone.
namespace {

double openBook(const BenchChild &child)
{
    QElapsedTimer timer;
    timer.start();
    openBenchBook(child);
    const double took = elapsedMs(timer);
    closeBenchBook(false);
    return took;
}

double openAndShowExpensePage(const BenchChild &child)
{
    QElapsedTimer timer;
    timer.start();
    openBenchBook(child);
    double took = 0;
    {
        TFrameDeru page;
        page.resize(1280, 720);
        page.show();
        page.InitPage();
        QCoreApplication::processEvents();
        if (page.Hyou->rowCount() <= 2 || !page.periodStart().isValid() || !page.attached())
            throw std::runtime_error("the expense page did not show its month");
        took = elapsedMs(timer);
        page.LeavePage();
    }
    closeBenchBook(false);
    return took;
}

void measure(const BenchChild &child)
{
    report("open", warmThenTime([&] { return openBook(child); }));
    report("page", warmThenTime([&] { return openAndShowExpensePage(child); }));
    Database db;
    db.open(GenerateBook::databasePath(child.book));
    report("check", warmThenTime([&] {
               QElapsedTimer timer;
               timer.start();
               Statement check(db, u"PRAGMA quick_check"_s);
               while (check.next()) {
               }
               return elapsedMs(timer);
           }));
    report("reindex", warmThenTime([&] {
               QElapsedTimer timer;
               timer.start();
               for (const QString &table : db.tableNames())
                   if (!table.startsWith(u"sqlite_"_s))
                       db.exec(u"REINDEX \"%1\""_s.arg(table));
               return elapsedMs(timer);
           }));
}

void print(const Figures &e, const Figures &l)
{
    const double open = l[u"open"_s] / e[u"open"_s];
    row(u"(a) open book (data module, clean start)"_s, ms(e[u"open"_s]), ms(l[u"open"_s]), ratio(open),
        u"large <= 1.2 x empty"_s, verdict(open <= 1.2));
    const double page = l[u"page"_s] / e[u"page"_s];
    row(u"(a) open + month on the expense page"_s, ms(e[u"page"_s]), ms(l[u"page"_s]), ratio(page),
        u"large <= 1.2 x empty"_s, verdict(page <= 1.2));
    row(u"    integrity check alone (bare, warm)"_s, ms(e[u"check"_s]), ms(l[u"check"_s]));
    row(u"    REINDEX of every table alone (bare)"_s, ms(e[u"reindex"_s]), ms(l[u"reindex"_s]));
}

} // namespace

BenchPart benchOpen()
{
    return {u"open"_s, measure, print};
}
