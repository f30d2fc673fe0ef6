#include <stdexcept>

#include "BenchParts.h"
#include "GenerateBook.h"
#include "data/BookCheck.h"
#include "data/DatModLock.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

// A start of the program after an unclean end: the book's lock file still
// says open, so the opening checks the whole file. Warm (the file in the system's cache) next to
// a clean start; cold (the file dropped from the cache) the check next to
// reading the same file with cat.
namespace {

void markLeftOpen(const QString &folder)
{
    TDatModLock lock;
    if (!lock.acquireShared(folder) || !lock.tryExclusive())
        throw std::runtime_error("cannot take the book's lock");
    lock.markOpen();
    lock.release();
}

// The program's start up to the month on the expense page.
double start(const BenchChild &child, bool unclean, bool cold)
{
    if (unclean)
        markLeftOpen(child.book);
    if (cold)
        dropFromCache(GenerateBook::databasePath(child.book));
    const double took = startProgram(child);
    stopProgram();
    return took;
}

void measure(const BenchChild &child)
{
    const QString file = GenerateBook::databasePath(child.book);
    report("clean", warmThenTime([&] { return start(child, false, false); }));
    report("unclean", warmThenTime([&] { return start(child, true, false); }));

    if (!dropFromCache(file)) {
        report("cold", 0);
        return;
    }
    report("cold", 1);
    const QString quoted = u"'"_s + QString(file).replace(u"'"_s, u"'\\''"_s) + u"'"_s;
    dropFromCache(file);
    report("cat", shellMs(u"cat "_s + quoted + u" > /dev/null"_s));
    dropFromCache(file);
    {
        QElapsedTimer timer;
        timer.start();
        if (CheckBookIntegrity(file, QString()) != QStringList{u"ok"_s})
            throw std::runtime_error("the check found the book damaged");
        report("coldcheck", elapsedMs(timer));
    }
    report("coldstart", start(child, true, true));
}

void print(const Figures &e, const Figures &l)
{
    const double warm = l[u"unclean"_s] / l[u"clean"_s];
    row(u"(e) program start after an unclean end, warm"_s, ms(e[u"unclean"_s]), ms(l[u"unclean"_s]));
    row(u"    clean start of the program (same run)"_s, ms(e[u"clean"_s]), ms(l[u"clean"_s]));
    row(u"    unclean / clean, large book"_s, QString(), QString(), ratio(warm), u"<= 1.5"_s, verdict(warm <= 1.5));
    if (l[u"cold"_s] < 1) {
        row(u"(e) the check, cold"_s, u"n/a"_s, u"n/a"_s, QString(), u"<= 1.5 x cat"_s,
            u"not measured: the cache cannot be dropped here"_s);
        return;
    }
    const double cold = l[u"coldcheck"_s] / l[u"cat"_s];
    row(u"(e) the check, cold (book dropped from cache)"_s, ms(e[u"coldcheck"_s]), ms(l[u"coldcheck"_s]));
    row(u"    cat of the same file to /dev/null, cold"_s, ms(e[u"cat"_s]), ms(l[u"cat"_s]));
    row(u"    check / cat, large book"_s, QString(), QString(), ratio(cold), u"<= 1.5"_s, verdict(cold <= 1.5));
    row(u"    whole start after an unclean end, cold"_s, ms(e[u"coldstart"_s]), ms(l[u"coldstart"_s]));
}

} // namespace

BenchPart benchUncleanStart()
{
    return {u"unclean"_s, measure, print};
}
