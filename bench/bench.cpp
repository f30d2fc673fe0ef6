#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>

#include "BenchBooks.h"
#include "BenchKouza.h"
#include "GenerateBook.h"
#include "controls/CurrencyGrid.h"
#include "data/DatMod.h"
#include "data/RecordNumbers.h"
#include "main/FrameDeru.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/LocalSql.h"
#include "platform/db/Provider.h"
#include "platform/db/Query.h"
#include "platform/ui/DialogScript.h"

using namespace Qt::StringLiterals;

// pomu-bench: measures the main roads of the program on an empty and on a
// large generated book and prints the figures side by side with the ratios the
// program must meet. Each book is measured in its own child process (the same
// program, started with --child), so that the peak memory of one book does not
// show in the other's figures and caches of one run do not help the other.

namespace {

// The month the expense page shows at start: the current one, which is the last
// month of the generated book.
struct Month
{
    QDate start, end;
};

Month currentMonth()
{
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    return {first, first.addMonths(1).addDays(-1)};
}

// The page's aggregate: booked lines of the month, one sum per day and debit
// category. An empty RESERVED counts as booked.
QStringList monthAggregateSql()
{
    return {u"SELECT RECDATE, KARICODE, SUM(KINGAKU) AS KINGAKU"_s, u"FROM \"Master.DB\""_s,
            u"WHERE (RECDATE BETWEEN :StartDate AND :EndDate)"_s,
            u"  AND ((RESERVED IS NULL) OR (RESERVED = False))"_s, u"GROUP BY RECDATE, KARICODE"_s};
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Runs once untimed (to warm the caches the program would have warm), then
// runs times and gives the median in milliseconds. The body returns the
// milliseconds of the part it measures.
double timed(int runs, const std::function<double()> &body)
{
    body();
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i)
        ms.push_back(body());
    return median(ms);
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

qint64 peakMemoryKb()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

// ---- the measurements -------------------------------------------------------

// Opens the book as the program does, through the data module.
double openThroughDataModule(const QString &folder)
{
    TDatMod dm;
    QString f = folder;
    QElapsedTimer timer;
    timer.start();
    if (!dm.OpenBook(u"ベンチマーク"_s, f) || !dm.DataOpen)
        throw std::runtime_error("the data module did not open the book");
    const double ms = elapsedMs(timer);
    dm.CloseAndBackUp(false);
    return ms;
}

// Opening the book and showing the current month on the expense page: the data
// module opens the book (unless the caller has it open already), the page is
// made offscreen, initialised and shown, and the time is taken once its table
// of the current month is filled and the day's lines are loaded.
std::optional<double> openAndShowExpensePage(const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<TDatMod> own;
    TDatMod *dm = DatMod;
    if (!dm || !dm->DataOpen) {
        own = std::make_unique<TDatMod>();
        dm = own.get();
        QString f = folder;
        if (!dm->OpenBook(u"ベンチマーク"_s, f) || !dm->DataOpen)
            throw std::runtime_error("the data module did not open the book");
    }
    double ms = 0;
    {
        TFrameDeru page;
        page.resize(1280, 720);
        page.show();
        page.InitPage();
        QCoreApplication::processEvents();
        if (page.Hyou->rowCount() <= 2 || !page.periodStart().isValid() || !page.attached())
            throw std::runtime_error("the expense page did not show its month");
        ms = elapsedMs(timer);
        page.LeavePage();
    }
    if (own)
        own->CloseAndBackUp(false);
    return ms;
}

// Reads the aggregate into the cells of the month table (day, category) -> sum.
using Cells = QHash<QPair<QDate, int>, Currency>;

double monthTableThroughQuery(Database &db, const Month &month, int *rows)
{
    QElapsedTimer timer;
    timer.start();
    Query q(db);
    q.SQL = monthAggregateSql();
    q.paramByName(u"StartDate"_s).setAsDate(month.start);
    q.paramByName(u"EndDate"_s).setAsDate(month.end);
    q.open();
    Cells cells;
    Field *date = q.fieldByName(u"RECDATE"_s);
    Field *code = q.fieldByName(u"KARICODE"_s);
    Field *sum = q.fieldByName(u"KINGAKU"_s);
    for (q.first(); !q.eof(); q.next())
        cells[{date->asDate(), code->asInteger()}] += sum->asCurrency();
    q.close();
    if (rows)
        *rows = int(cells.size());
    return elapsedMs(timer);
}

double bareAggregate(Database &db, const Month &month, int *rows)
{
    QElapsedTimer timer;
    timer.start();
    Statement st(db, LocalSql::translate(monthAggregateSql().join(u'\n')));
    st.bind(u":StartDate"_s, month.start);
    st.bind(u":EndDate"_s, month.end);
    Cells cells;
    while (st.next())
        cells[{QDate::fromString(st.textValue(0), Qt::ISODate), int(st.intValue(1))}] +=
            Currency::fromDouble(st.doubleValue(2));
    if (rows)
        *rows = int(cells.size());
    return elapsedMs(timer);
}

// Saves 100 new lines of one day as the journal page does: the day's lines are
// in a client data set, each new line takes its record number, and the change
// log is applied in one transaction. Runs on a fresh copy of the book.
struct SaveFigures
{
    double totalMs = 0; // numbering, entering and applying
    double applyMs = 0; // the apply alone
};

SaveFigures save100Lines(const QString &book, const QString &work, const QDate &day)
{
    BenchBooks::copyBook(book, work);
    Database db;
    db.open(GenerateBook::databasePath(work));
    const int before = db.scalar(u"SELECT COUNT(*) FROM Master WHERE RECDATE = ?"_s, {day}).toInt();
    Query q(db);
    q.SQL << u"SELECT *"_s << u"FROM \"Master.DB\""_s << u"WHERE RECDATE = :RecDate"_s;
    Provider provider(q, u"Master.DB"_s);
    ClientDataSet lines;
    lines.setProvider(&provider);
    lines.paramByName(u"RecDate"_s).setAsDate(day);
    lines.open();

    SaveFigures f;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 100; ++i) {
        const int dataNo = RecordNumbers::GetNewDataNo(db, u"Master.DB"_s);
        lines.append();
        lines[u"DATANO"_s].setAsInteger(dataNo);
        lines[u"GYONO"_s].setAsInteger(0);
        lines[u"RECDATE"_s].setAsDate(day);
        lines[u"KINGAKU"_s].setAsCurrency(Currency::fromInt(100 + i));
        lines[u"QUANTITY"_s].setAsFloat(1.0);
        lines[u"SHOPCODE"_s].setAsInteger(0);
        lines[u"HINMEICODE"_s].setAsInteger(0);
        lines[u"PERSONCODE"_s].setAsInteger(0);
        lines[u"KARICODE"_s].setAsInteger(131 + i % 20);
        lines[u"KASICODE"_s].setAsInteger(100);
        lines[u"RESERVED"_s].setAsBoolean(false);
        lines[u"LOOKUPNO"_s].setAsInteger(0);
        lines[u"RECEIPTNO"_s].setAsInteger(0);
        lines[u"RECKIND"_s].setAsInteger(1);
        lines[u"STYLE"_s].setAsInteger(1);
        lines[u"ORIGIN"_s].setAsInteger(2);
        lines[u"ZEIATUKAI"_s].setAsInteger(1);
        lines.post();
    }
    QElapsedTimer apply;
    apply.start();
    const int errors = lines.applyUpdates(0);
    f.applyMs = elapsedMs(apply);
    f.totalMs = elapsedMs(timer);
    lines.close();
    const int after = db.scalar(u"SELECT COUNT(*) FROM Master WHERE RECDATE = ?"_s, {day}).toInt();
    if (errors != 0 || after != before + 100)
        throw std::runtime_error("saving 100 lines did not write 100 lines");
    db.close();
    return f;
}

// ---- the child processes ----------------------------------------------------

// Prints "name value" lines that the parent reads.
void report(const char *name, double value)
{
    std::printf("%s %.6f\n", name, value);
}

int childTimes(const QString &book, const QString &work, int runs)
{
    const Month month = currentMonth();
    report("open", timed(runs, [&] { return openThroughDataModule(book); }));
    if (openAndShowExpensePage(book))
        report("page", timed(runs, [&] { return *openAndShowExpensePage(book); }));

    {
        Database db;
        db.open(GenerateBook::databasePath(book));
        int rows = 0;
        // Both take well under a millisecond: each sample is the mean of
        // Repeat runs, so that the timer's grain does not decide the ratio.
        constexpr int Repeat = 20;
        auto mean = [&](const std::function<double()> &once) {
            double sum = 0;
            for (int i = 0; i < Repeat; ++i)
                sum += once();
            return sum / Repeat;
        };
        report("monthtable",
               timed(runs, [&] { return mean([&] { return monthTableThroughQuery(db, month, &rows); }); }));
        report("cells", rows);
        report("bare", timed(runs, [&] { return mean([&] { return bareAggregate(db, month, &rows); }); }));
        // What the opening spends on the integrity check and on the index
        // rebuild, measured on the bare database for comparison.
        report("check", timed(runs, [&] {
                   QElapsedTimer timer;
                   timer.start();
                   Statement check(db, u"PRAGMA quick_check"_s);
                   while (check.next()) {
                   }
                   return elapsedMs(timer);
               }));
        report("reindex", timed(runs, [&] {
                   QElapsedTimer timer;
                   timer.start();
                   for (const QString &table : db.tableNames())
                       if (!table.startsWith(u"sqlite_"_s))
                           db.exec(u"REINDEX \"%1\""_s.arg(table));
                   return elapsedMs(timer);
               }));
    }

    // The 15th of the current month, or its last booked day before that.
    const QDate day = std::min(QDate(month.start.year(), month.start.month(), 15), QDate::currentDate());
    std::vector<double> total, apply;
    save100Lines(book, work, day);
    for (int i = 0; i < runs; ++i) {
        const SaveFigures f = save100Lines(book, work, day);
        total.push_back(f.totalMs);
        apply.push_back(f.applyMs);
    }
    QDir(work).removeRecursively();
    report("save", median(total));
    report("saveapply", median(apply));
    return 0;
}

// Opens the book (and shows the month) once and reports the peak resident memory.
int childMemory(const QString &book)
{
    TDatMod dm;
    QString f = book;
    if (!dm.OpenBook(u"ベンチマーク"_s, f) || !dm.DataOpen)
        throw std::runtime_error("the data module did not open the book");
    openAndShowExpensePage(book);
    int rows = 0;
    monthTableThroughQuery(dm.MainDatabase, currentMonth(), &rows);
    report("hwm", double(peakMemoryKb()));
    dm.CloseAndBackUp(false);
    return 0;
}

// ---- the parent -------------------------------------------------------------

using Figures = QMap<QString, double>;

Figures runChild(const QString &mode, const QString &book, const QString &work, const QString &home, int runs)
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
    child.start(QCoreApplication::applicationFilePath(),
                {u"--child"_s, mode, u"--book"_s, book, u"--work"_s, work, u"--runs"_s, QString::number(runs)});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        throw std::runtime_error(("the " + mode + " measurement of " + book + " failed").toStdString());
    Figures figures;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() == 2)
            figures[QString::fromLatin1(parts[0])] = parts[1].toDouble();
    }
    return figures;
}

void printPlan(const QString &book)
{
    Database db;
    db.open(GenerateBook::databasePath(book));
    Statement plan(db, u"EXPLAIN QUERY PLAN "_s + LocalSql::translate(monthAggregateSql().join(u'\n')));
    const Month month = currentMonth();
    plan.bind(u":StartDate"_s, month.start);
    plan.bind(u":EndDate"_s, month.end);
    bool usesDateIndex = false;
    std::printf("query plan of the month aggregate (large book):\n");
    while (plan.next()) {
        const QString detail = plan.textValue(plan.columnCount() - 1);
        usesDateIndex = usesDateIndex || detail.contains(u"Master_RECDATE"_s);
        std::printf("  %s\n", qPrintable(detail));
    }
    std::printf("  date index used: %s\n\n", usesDateIndex ? "yes" : "NO");
}

QString ms(double v)
{
    return v < 10 ? QString::number(v, 'f', 2) + u" ms"_s : QString::number(v, 'f', 1) + u" ms"_s;
}

QString mb(double kb)
{
    return QString::number(kb / 1024.0, 'f', 1) + u" MB"_s;
}

void row(const QString &what, const QString &empty, const QString &large, const QString &measure,
         const QString &target = QString(), const QString &verdict = QString())
{
    std::printf("%-40s %12s %12s %10s  %-26s %s\n", qPrintable(what), qPrintable(empty), qPrintable(large),
                qPrintable(measure), qPrintable(target), qPrintable(verdict));
}

QString verdict(bool ok)
{
    return ok ? u"met"_s : u"NOT MET"_s;
}

int parent(const QString &cache, int runs, const GenerateBook::Options &options)
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
                    "%lld KB on disk\n",
                    db.scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO <> 0"_s).toLongLong(),
                    db.scalar(u"SELECT COUNT(*) FROM Himoku WHERE CODE > 100"_s).toLongLong(),
                    db.scalar(u"SELECT COUNT(*) FROM HinmeiMast WHERE CODE > 100"_s).toLongLong(),
                    db.scalar(u"SELECT COUNT(*) FROM ShopMast WHERE CODE > 100"_s).toLongLong(),
                    QFileInfo(GenerateBook::databasePath(large)).size() / 1024);
    }
    printPlan(large);

    const QString home = QDir(cache).filePath(u"home"_s);
    const QString work = QDir(cache).filePath(u"work"_s);
    // The two books take turns, one run each per round, so that a change of
    // the machine's load during the benchmark (the save waits on the disk)
    // falls on both alike; each round's child warms up first.
    QMap<QString, std::vector<double>> emptyRuns, largeRuns;
    for (int round = 0; round < runs; ++round) {
        for (const auto &[book, into] : {std::pair{empty, &emptyRuns}, std::pair{large, &largeRuns}}) {
            const Figures f = runChild(u"times"_s, book, work, home, 1);
            for (auto it = f.begin(); it != f.end(); ++it)
                (*into)[it.key()].push_back(it.value());
        }
    }
    auto medians = [](const QMap<QString, std::vector<double>> &samples) {
        Figures out;
        for (auto it = samples.begin(); it != samples.end(); ++it)
            out[it.key()] = median(it.value());
        return out;
    };
    Figures e = medians(emptyRuns);
    Figures l = medians(largeRuns);
    const Figures em = runChild(u"memory"_s, empty, work, home, runs);
    const Figures lm = runChild(u"memory"_s, large, work, home, runs);

    const Month month = currentMonth();
    std::printf("median of %d rounds (the books in turn, each after a warm-up run); month %s to %s (%d cells in the large book)\n\n", runs,
                qPrintable(month.start.toString(Qt::ISODate)), qPrintable(month.end.toString(Qt::ISODate)),
                int(l.value(u"cells"_s)));
    row(u"measure"_s, u"empty book"_s, u"large book"_s, u"ratio"_s, u"target"_s, u"result"_s);
    row(u"(a) open book (data module)"_s, ms(e[u"open"_s]), ms(l[u"open"_s]),
        QString::number(l[u"open"_s] / e[u"open"_s], 'f', 2), u"large <= 1.2 x empty"_s,
        verdict(l[u"open"_s] <= 1.2 * e[u"open"_s]));
    row(u"    integrity check alone (bare)"_s, ms(e[u"check"_s]), ms(l[u"check"_s]), QString());
    row(u"    REINDEX of every table alone (bare)"_s, ms(e[u"reindex"_s]), ms(l[u"reindex"_s]), QString());
    if (e.contains(u"page"_s) && l.contains(u"page"_s))
        row(u"(a) open + month on the expense page"_s, ms(e[u"page"_s]), ms(l[u"page"_s]),
            QString::number(l[u"page"_s] / e[u"page"_s], 'f', 2), u"large <= 1.2 x empty"_s,
            verdict(l[u"page"_s] <= 1.2 * e[u"page"_s]));
    else
        std::printf("%-40s %s\n", "(a) open + month on the expense page", "n/a (expense page not built yet)");
    row(u"(b) month table (Query)"_s, ms(e[u"monthtable"_s]), ms(l[u"monthtable"_s]), QString());
    row(u"(d) month aggregate (bare SQL)"_s, ms(e[u"bare"_s]), ms(l[u"bare"_s]), QString());
    row(u"    (b) / (d), large book"_s, QString(), QString(),
        QString::number(l[u"monthtable"_s] / l[u"bare"_s], 'f', 2), u"<= 2"_s,
        verdict(l[u"monthtable"_s] <= 2 * l[u"bare"_s]));
    row(u"(c) save 100 lines (numbers + apply)"_s, ms(e[u"save"_s]), ms(l[u"save"_s]),
        QString::number(l[u"save"_s] / e[u"save"_s], 'f', 2), u"large <= 1.5 x empty"_s,
        verdict(l[u"save"_s] <= 1.5 * e[u"save"_s]));
    row(u"    of it: apply of the change log"_s, ms(e[u"saveapply"_s]), ms(l[u"saveapply"_s]),
        QString::number(l[u"saveapply"_s] / e[u"saveapply"_s], 'f', 2));
    row(u"peak memory, book open (VmHWM)"_s, mb(em[u"hwm"_s]), mb(lm[u"hwm"_s]),
        u"+"_s + mb(lm[u"hwm"_s] - em[u"hwm"_s]), u"large <= empty + 50 MB"_s,
        verdict(lm[u"hwm"_s] - em[u"hwm"_s] <= 50 * 1024));
    BenchKouza(large, runs);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const bool child = argc > 1 && qstrcmp(argv[1], "--child") == 0;
    // The children run the program's own code, which may make widgets; the
    // parent only needs the event-free core.
    std::unique_ptr<QCoreApplication> app;
    if (child)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Measures opening, the month table and saving on an empty and a large book."_s);
    parser.addHelpOption();
    const GenerateBook::Options defaults;
    QCommandLineOption cache(u"cache"_s, u"folder of the generated books (reused between runs)"_s, u"folder"_s,
                             QDir::current().filePath(u"pomu-bench-cache"_s));
    QCommandLineOption runs(u"runs"_s, u"rounds of runs on each book (the median is shown)"_s, u"n"_s, u"7"_s);
    QCommandLineOption years(u"years"_s, u"years of the large book"_s, u"n"_s, QString::number(defaults.years));
    QCommandLineOption lines(u"lines"_s, u"journal lines of the large book"_s, u"n"_s,
                             QString::number(defaults.lines));
    QCommandLineOption seed(u"seed"_s, u"generator seed"_s, u"n"_s, QString::number(defaults.seed));
    QCommandLineOption childMode(u"child"_s, u"internal: measure one book"_s, u"mode"_s);
    QCommandLineOption book(u"book"_s, u"internal: the book folder"_s, u"folder"_s);
    QCommandLineOption work(u"work"_s, u"internal: the work folder"_s, u"folder"_s);
    childMode.setFlags(QCommandLineOption::HiddenFromHelp);
    book.setFlags(QCommandLineOption::HiddenFromHelp);
    work.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({cache, runs, years, lines, seed, childMode, book, work});
    parser.process(*app);

    const int runCount = std::max(1, parser.value(runs).toInt());
    try {
        if (child) {
            // Nobody answers a dialog here: one that shows is a failed measurement.
            DialogScript::start();
            const QString mode = parser.value(childMode);
            int rc = 0;
            if (mode == u"memory"_s)
                rc = childMemory(parser.value(book));
            else if (mode == u"page"_s) // the page alone, for a profiler
                report("page", timed(runCount, [&] { return *openAndShowExpensePage(parser.value(book)); }));
            else
                rc = childTimes(parser.value(book), parser.value(work), runCount);
            std::fflush(stdout);
            const QStringList failures = DialogScript::failures();
            if (!failures.isEmpty()) {
                std::fprintf(stderr, "pomu-bench: unexpected dialogs: %s\n", qPrintable(failures.join(u"; "_s)));
                return 1;
            }
            return rc;
        }
        GenerateBook::Options options;
        options.years = std::max(1, parser.value(years).toInt());
        options.lines = std::max(0, parser.value(lines).toInt());
        options.seed = parser.value(seed).toULongLong();
        return parent(QDir(parser.value(cache)).absolutePath(), runCount, options);
    } catch (const EDatabaseError &e) {
        std::fprintf(stderr, "pomu-bench: %s\n", qPrintable(e.message()));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "pomu-bench: %s\n", e.what());
    }
    return 1;
}
