#include <stdexcept>

#include <QDate>
#include <QDir>
#include <QFile>

#include "BenchParts.h"
#include "GenerateBook.h"
#include "data/DataPassword.h"
#include "data/DatMod.h"
#include "data/Vocabulary.h"
#include "main/FrameDeru.h"

using namespace Qt::StringLiterals;

// The book protected by a data password beside the same book plain: opening
// it through the data module and reading a month on the expense page.
namespace {

constexpr int Repeat = 20;

// A copy of the child's book in the work folder, written again under key.
QString encryptedCopy(const BenchChild &child, const QString &key)
{
    const QString folder = child.work + u"/encrypted"_s;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (const QString &name : QDir(child.book).entryList(QDir::Files))
        if (name.endsWith(u".db"_s) || name.endsWith(u".ini"_s))
            QFile::copy(child.book + u'/' + name, folder + u'/' + name);
    RewriteBookKey(GenerateBook::databasePath(folder), QString(), key);
    return folder;
}

double openBook(const BenchChild &child)
{
    QElapsedTimer timer;
    timer.start();
    openBenchBook(child);
    const double took = elapsedMs(timer);
    closeBenchBook(false);
    return took;
}

// The past month's amounts filled on the expense page (mean of Repeat fills).
double monthFill(const BenchChild &child)
{
    openBenchBook(child);
    IncludeReservedFlag = false;
    double took = 0;
    {
        TFrameDeru page;
        page.resize(1280, 720);
        page.InitPage();
        const QDate today = QDate::currentDate();
        if (!page.LoadCell(-1, -1, false, QDate(today.year(), today.month(), 15).addMonths(-1)))
            throw std::runtime_error("the expense page did not load the past month");
        auto once = [&] {
            QElapsedTimer timer;
            timer.start();
            page.FillTableAmounts();
            return elapsedMs(timer);
        };
        took = warmThenTime([&] {
            double sum = 0;
            for (int i = 0; i < Repeat; ++i)
                sum += once();
            return sum / Repeat;
        });
        page.LeavePage();
    }
    closeBenchBook(false);
    return took;
}

void measure(const BenchChild &child)
{
    BenchChild encrypted = child;
    encrypted.key = u"bench123"_s;
    encrypted.book = encryptedCopy(child, encrypted.key);
    report("open", warmThenTime([&] { return openBook(child); }));
    report("open-key", warmThenTime([&] { return openBook(encrypted); }));
    report("month", monthFill(child));
    report("month-key", monthFill(encrypted));
}

void print(const Figures &e, const Figures &l)
{
    row(u"(e) open book, plain"_s, ms(e[u"open"_s]), ms(l[u"open"_s]));
    const double open = l[u"open-key"_s] / l[u"open"_s];
    row(u"(e) open book, with data password"_s, ms(e[u"open-key"_s]), ms(l[u"open-key"_s]), ratio(open),
        u"large: protected / plain"_s);
    row(u"(e) month fill on the page, plain"_s, ms(e[u"month"_s]), ms(l[u"month"_s]));
    const double month = l[u"month-key"_s] / l[u"month"_s];
    row(u"(e) month fill, with data password"_s, ms(e[u"month-key"_s]), ms(l[u"month-key"_s]), ratio(month),
        u"large: protected <= 1.5 x plain"_s, verdict(month <= 1.5));
}

} // namespace

BenchPart benchEncrypted()
{
    return {u"encrypted"_s, measure, print};
}
