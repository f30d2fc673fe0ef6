#include <stdexcept>

#include <QDate>
#include <QDir>

#include "BenchBooks.h"
#include "BenchParts.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/MeisaiClientDataSet.h"
#include "main/FrameDeru.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"

using namespace Qt::StringLiterals;

// Saving 100 lines of one day entered on the expense page, through the page's
// own save (the numbering, the checks and the one transaction of the save).
// The lines are entered untimed; the save is timed. Runs on a copy of the book.
namespace {

double save100(TFrameDeru &page, TDatMod &dm, const QDate &day)
{
    if (!page.LoadCell(-1, -1, false, day))
        throw std::runtime_error("the expense page did not load the day");
    TMeisaiClientDataSet &lines = *MeisaiClt(dm);
    const int before = dm.MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE RECDATE = ?"_s, {day}).toInt();
    for (int i = 0; i < 100; ++i) {
        lines.last();
        lines.append();
        lines.fieldByName(u"KINGAKU"_s)->setAsCurrency(Currency::fromInt(100 + i));
        lines.post();
    }
    QElapsedTimer timer;
    timer.start();
    const bool saved = page.SaveJournal();
    const double took = elapsedMs(timer);
    const int after = dm.MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE RECDATE = ?"_s, {day}).toInt();
    if (!saved || after != before + 100)
        throw std::runtime_error("the page's save did not write 100 lines");
    return took;
}

void measure(const BenchChild &child)
{
    BenchChild copy = child;
    copy.book = QDir(child.work).filePath(u"savebook"_s);
    BenchBooks::copyBook(child.book, copy.book);
    TDatMod &dm = openBenchBook(copy);
    {
        TFrameDeru page;
        page.resize(1280, 720);
        page.InitPage();
        const QDate day = pastMonthDay();
        report("save", warmThenTime([&] { return save100(page, dm, day); }));
        page.LeavePage();
    }
    closeBenchBook(false);
    QDir(copy.book).removeRecursively();
}

void print(const Figures &e, const Figures &l)
{
    const double r = l[u"save"_s] / e[u"save"_s];
    row(u"(c) save 100 lines (the page's save)"_s, ms(e[u"save"_s]), ms(l[u"save"_s]), ratio(r),
        u"large <= 1.5 x empty"_s, verdict(r <= 1.5));
}

} // namespace

BenchPart benchSave()
{
    return {u"save"_s, measure, print};
}
