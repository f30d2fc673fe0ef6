#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include "BenchBooks.h"
#include "BenchChart.h"
#include "BenchDiary.h"
#include "BenchKouza.h"
#include "BenchMemory.h"
#include "BenchNenSyukei.h"
#include "BenchParts.h"
#include "BenchTyuSyutu.h"
#include "BenchYosan.h"
#include "GenerateBook.h"
#include "main/DeruHyou.h"
#include "platform/db/Database.h"
#include "platform/ui/DialogScript.h"

using namespace Qt::StringLiterals;

// pomu-bench: measures the main roads of the program on an empty and on a
// large generated book and prints the figures side by side with the targets
// the program must meet. Each part of it runs in a child process (the same
// program, started with --child) on one book at a time, the two books in
// turns, so that the peak memory of one book does not show in the other's
// figures, caches of one run do not help the other, and a change of the
// machine's load falls on both alike.

namespace {

// Every part, in the order printed. A new part: one line here (see BenchParts.h).
QList<BenchPart> parts()
{
    return {benchOpen(),   benchMonth(),    benchSave(),      benchUncleanStart(), benchCloseBackUp(),
            benchMemory(), benchSelecter(), benchEncrypted(), benchExport(), benchReserve(), benchImport(),
            benchPrint(),  benchTransferMonth(), benchReport(), benchRecode()};
}

Figures runChild(const QString &part, const QString &book, bool emptyBook, const QString &work, const QString &home)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The child's own settings and temporary folders, never the user's.
    QDir().mkpath(home + u"/tmp"_s);
    QDir().mkpath(home + u"/runtime"_s);
    QFile::setPermissions(home + u"/runtime"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(u"HOME"_s, home);
    env.insert(u"XDG_CONFIG_HOME"_s, home + u"/config"_s);
    env.insert(u"XDG_CACHE_HOME"_s, home + u"/cache"_s);
    env.insert(u"TMPDIR"_s, home + u"/tmp"_s);
    env.insert(u"XDG_RUNTIME_DIR"_s, home + u"/runtime"_s);
    if (!env.contains(u"QT_QPA_PLATFORM"_s))
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{u"--child"_s, part, u"--book"_s, book, u"--work"_s, work};
    if (emptyBook)
        args << u"--empty-book"_s;
    child.start(QCoreApplication::applicationFilePath(), args);
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        throw std::runtime_error(("the " + part + " measurement of " + book + " failed").toStdString());
    Figures figures;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() == 2)
            figures[QString::fromLatin1(fields[0])] = fields[1].toDouble();
    }
    return figures;
}

void printPlan(const QString &book)
{
    Database db;
    db.open(GenerateBook::databasePath(book));
    Statement plan(db, u"EXPLAIN QUERY PLAN "_s + MonthSumsSql(u"KARICODE"_s, false));
    const QDate today = QDate::currentDate();
    const QDate start = QDate(today.year(), today.month(), 1).addMonths(-1);
    plan.bind(u":StartDate"_s, start);
    plan.bind(u":EndDate"_s, start.addMonths(1).addDays(-1));
    bool usesDateIndex = false;
    std::printf("query plan of the month's sums (large book):\n");
    while (plan.next()) {
        const QString detail = plan.textValue(plan.columnCount() - 1);
        usesDateIndex = usesDateIndex || detail.contains(u"RECDATE"_s);
        std::printf("  %s\n", qPrintable(detail));
    }
    std::printf("  date index used: %s\n\n", usesDateIndex ? "yes" : "NO");
}

int parent(const QString &cache, int runs, const GenerateBook::Options &options, const QStringList &only)
{
    QDir().mkpath(cache);
    BenchBooks books(cache);
    const QString empty = books.emptyBook();
    const QString large = books.largeBook(options);
    for (const QString &book : {empty, large}) {
        const QString wrong = BenchBooks::checkCounters(book);
        if (!wrong.isEmpty())
            throw std::runtime_error(("counters behind the numbers in use in " + book + ": " + wrong).toStdString());
    }
    {
        Database db;
        db.open(GenerateBook::databasePath(large));
        std::printf("large book: %lld journal lines, %lld categories and accounts, %lld items, %lld shops, "
                    "%lld KB on disk; %d cores\n",
                    db.scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO <> 0"_s).toLongLong(),
                    db.scalar(u"SELECT COUNT(*) FROM Himoku WHERE CODE > 100"_s).toLongLong(),
                    db.scalar(u"SELECT COUNT(*) FROM HinmeiMast WHERE CODE > 100"_s).toLongLong(),
                    db.scalar(u"SELECT COUNT(*) FROM ShopMast WHERE CODE > 100"_s).toLongLong(),
                    QFileInfo(GenerateBook::databasePath(large)).size() / 1024, QThread::idealThreadCount());
    }
    printPlan(large);

    const QString home = QDir(cache).filePath(u"home"_s);
    const QString work = QDir(cache).filePath(u"work"_s);
    QList<BenchPart> chosen;
    for (const BenchPart &p : parts())
        if (only.isEmpty() || only.contains(p.name))
            chosen << p;
    // Round by round, every part on the empty book then on the large one.
    QMap<QString, QMap<QString, std::vector<double>>> emptyRuns, largeRuns;
    for (int round = 0; round < runs; ++round) {
        for (const BenchPart &p : std::as_const(chosen)) {
            for (const auto &[book, into] : {std::pair{empty, &emptyRuns}, std::pair{large, &largeRuns}}) {
                const Figures f = runChild(p.name, book, book == empty, work, home);
                for (auto it = f.begin(); it != f.end(); ++it)
                    (*into)[p.name][it.key()].push_back(it.value());
            }
        }
    }
    auto medians = [](const QMap<QString, std::vector<double>> &samples) {
        Figures out;
        for (auto it = samples.begin(); it != samples.end(); ++it)
            out[it.key()] = median(it.value());
        return out;
    };
    std::printf("median of %d rounds (the books in turn, each part in its own process after a warm-up run)\n\n", runs);
    row(u"measure"_s, u"empty book"_s, u"large book"_s, u"ratio"_s, u"target"_s, u"result"_s);
    for (const BenchPart &p : std::as_const(chosen))
        p.print(medians(emptyRuns[p.name]), medians(largeRuns[p.name]));
    // The pages' own figures on the large book, each beside the bare SQL of
    // the same work; they time and print themselves.
    const auto wanted = [&only](const char *name) { return only.isEmpty() || only.contains(QLatin1String(name)); };
    if (wanted("yosan"))
        BenchYosanMonth(large, runs);
    if (wanted("diary")) {
        QDir().mkpath(work);
        BenchDiary(large, work, runs);
    }
    if (wanted("nensyukei"))
        BenchNenSyukei(large, runs);
    if (wanted("tyusyutu"))
        BenchTyuSyutuExtraction(large, runs);
    if (wanted("sorted"))
        benchSortedPosts();
    if (wanted("kouza"))
        BenchKouza(large, runs);
    if (wanted("chart"))
        BenchChart(large, runs);
    QDir(work).removeRecursively();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const bool child = argc > 1 && qstrcmp(argv[1], "--child") == 0;
    // The children run the program's own code, which makes widgets; the
    // parent only needs the event-free core.
    std::unique_ptr<QCoreApplication> app;
    if (child)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Measures the program's main roads on an empty and a large book."_s);
    parser.addHelpOption();
    const GenerateBook::Options defaults;
    QCommandLineOption cache(u"cache"_s, u"folder of the generated books (reused between runs)"_s, u"folder"_s,
                             QDir::current().filePath(u"pomu-bench-cache"_s));
    QCommandLineOption runs(u"runs"_s, u"rounds of runs on each book (the median is shown)"_s, u"n"_s, u"7"_s);
    QCommandLineOption years(u"years"_s, u"years of the large book"_s, u"n"_s, QString::number(defaults.years));
    QCommandLineOption lines(u"lines"_s, u"journal lines of the large book"_s, u"n"_s,
                             QString::number(defaults.lines));
    QCommandLineOption seed(u"seed"_s, u"generator seed"_s, u"n"_s, QString::number(defaults.seed));
    QCommandLineOption only(u"only"_s, u"measure only these parts (comma separated)"_s, u"parts"_s);
    QCommandLineOption childMode(u"child"_s, u"internal: measure one part on one book"_s, u"part"_s);
    QCommandLineOption book(u"book"_s, u"internal: the book folder"_s, u"folder"_s);
    QCommandLineOption work(u"work"_s, u"internal: the work folder"_s, u"folder"_s);
    QCommandLineOption emptyBook(u"empty-book"_s, u"internal: the book is the empty one"_s);
    for (QCommandLineOption *o : {&childMode, &book, &work, &emptyBook})
        o->setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({cache, runs, years, lines, seed, only, childMode, book, work, emptyBook});
    parser.process(*app);

    try {
        if (child) {
            // Nobody answers a dialog here: one that shows is a failed measurement.
            DialogScript::start();
            const QString name = parser.value(childMode);
            const BenchChild context{parser.value(book), parser.value(work), parser.isSet(emptyBook)};
            QDir().mkpath(context.work);
            bool found = false;
            for (const BenchPart &p : parts()) {
                if (p.name == name) {
                    p.measure(context);
                    found = true;
                }
            }
            std::fflush(stdout);
            if (!found)
                throw std::runtime_error(("no part " + name).toStdString());
            const QStringList failures = DialogScript::failures();
            if (!failures.isEmpty()) {
                std::fprintf(stderr, "pomu-bench: unexpected dialogs: %s\n", qPrintable(failures.join(u"; "_s)));
                return 1;
            }
            return 0;
        }
        GenerateBook::Options options;
        options.years = std::max(1, parser.value(years).toInt());
        options.lines = std::max(0, parser.value(lines).toInt());
        options.seed = parser.value(seed).toULongLong();
        const QStringList chosen = parser.value(only).split(u',', Qt::SkipEmptyParts);
        return parent(QDir(parser.value(cache)).absolutePath(), std::max(1, parser.value(runs).toInt()), options,
                      chosen);
    } catch (const EDatabaseError &e) {
        std::fprintf(stderr, "pomu-bench: %s\n", qPrintable(e.message()));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "pomu-bench: %s\n", e.what());
    }
    return 1;
}
