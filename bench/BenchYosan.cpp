#include "BenchYosan.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

#include <QDate>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QHash>

#include "GenerateBook.h"
#include "controls/CurrencyGridModel.h"
#include "data/DateCalc.h"
#include "data/FormatSettings.h"
#include "data/HimokuCache.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "views/YosanJissekiData.h"
#include "views/YosanTables.h"

using namespace Qt::StringLiterals;

namespace {

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Median of runs, each the mean of `repeat` calls: one call takes about a
// millisecond, below what a single timing tells apart.
double measure(int runs, int repeat, const std::function<void()> &once)
{
    once(); // warm the caches the program would have warm
    std::vector<double> samples;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < repeat; ++i)
            once();
        samples.push_back(elapsedMs(timer) / repeat);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

struct Figure
{
    Currency yosan, jisseki;
};
using Figures = QHash<QPair<int, int>, Figure>; // (window, code) -> figures

// The same figures in plain SQL: the budgets of both months in one grouped
// query, each side's and month's actuals in one grouped query over its period,
// then each category's rate.
void bareFigures(Database &db, const QDate budgetDates[2], const QDate periods[2][2], Figures &out,
                 QList<QString> &rates)
{
    out.clear();
    rates.clear();
    Statement budgets(db, u"SELECT RECDATE, HIMOKUCODE, BUNRUI, SUM(KINGAKU) FROM Yosan WHERE RECDATE IN (?, ?) "
                          "GROUP BY RECDATE, HIMOKUCODE, BUNRUI"_s);
    budgets.bind(1, budgetDates[0]);
    budgets.bind(2, budgetDates[1]);
    while (budgets.next()) {
        const int window = budgets.textValue(0) == budgetDates[1].toString(Qt::ISODate) ? 1 : 0;
        out[{window * 2 + int(budgets.intValue(2)) - 1, int(budgets.intValue(1))}].yosan +=
            Currency::fromDouble(budgets.doubleValue(3));
    }
    for (int month = 0; month < 2; ++month) {
        for (int side = 0; side < 2; ++side) {
            Statement actuals(db, u"SELECT %1, SUM(KINGAKU) FROM Master WHERE RECDATE BETWEEN ? AND ? "
                                  "AND COALESCE(RESERVED, 0) = 0 GROUP BY %1"_s.arg(side == 0 ? u"KASICODE"_s
                                                                                           : u"KARICODE"_s));
            actuals.bind(1, periods[month][0]);
            actuals.bind(2, periods[month][1]);
            while (actuals.next())
                out[{month * 2 + side, int(actuals.intValue(0))}].jisseki += Currency::fromDouble(actuals.doubleValue(1));
        }
    }
    for (auto it = out.cbegin(); it != out.cend(); ++it)
        rates << (it->yosan.isZero() ? QString()
                                     : QString::number(RoundHalfAway(it->jisseki.toDouble() / it->yosan.toDouble() * 100)));
}

} // namespace

// The measurement itself, in the helper program (the grid models need a
// graphical application, which the benchmark's parent process is not).
int MeasureYosanMonth(const QString &book, int runs)
{
    FixProgramFormats();
    ResetProgramValues();
    Database db;
    db.open(GenerateBook::databasePath(book));
    // Whatever the calculator might tidy up is rolled back: the book stays as generated.
    db.begin(Database::TransactionMode::Immediate);
    const QDate today = QDate::currentDate();
    const int budgetRows = db.scalar(u"SELECT COUNT(*) FROM Yosan"_s).toInt();
    LoadHimokuCaches(db);

    // The page's month: this month against the one before, as it opens.
    int year = today.year();
    int month = today.month();
    int kakoYear = year;
    int kakoMonth = month;
    DecNendoMonth(kakoYear, kakoMonth, CurSimeTuki);

    TYosanJissekiData data;
    CurrencyGridModel yosan, jisseki, kako, syusi;
    for (CurrencyGridModel *m : {&yosan, &jisseki, &kako, &syusi})
        m->setColCount(m == &syusi ? 4 : (m == &yosan ? 2 : 3));
    int categories = 0;
    const double page = measure(runs, 20, [&] {
        data.ChangeMonths(db, kakoYear, kakoMonth, year, month);
        categories = 0;
        for (int side : {1, 2}) {
            TYosanTables::FillTables(side, data, yosan, jisseki, kako, syusi);
            categories += yosan.rowCount() - TYosanTables::FirstCategoryRow;
        }
    });

    const QDate budgetDates[2] = {QDate(kakoYear, kakoMonth, 1), QDate(year, month, 1)};
    const QDate periods[2][2] = {{budgetDates[0], budgetDates[0].addMonths(1).addDays(-1)},
                                 {budgetDates[1], budgetDates[1].addMonths(1).addDays(-1)}};
    Figures figures;
    QList<QString> rates;
    const double bare = measure(runs, 20, [&] { bareFigures(db, budgetDates, periods, figures, rates); });
    db.rollback();
    db.close();

    std::printf("budget page month %04d/%02d against %04d/%02d: %d categories, %d budget rows in the book\n", year,
                month, kakoYear, kakoMonth, categories, budgetRows);
    std::printf("%-40s %12s %12s %10s  %-26s %s\n", "(e) budget page month (calculator+tables)", "",
                qPrintable(QString::number(page, 'f', 2) + u" ms"_s), "", "", "");
    std::printf("%-40s %12s %12s %10s  %-26s %s\n", "(f) same figures (bare SQL)", "",
                qPrintable(QString::number(bare, 'f', 2) + u" ms"_s), "", "", "");
    std::printf("%-40s %12s %12s %10s  %-26s %s\n", "    (e) / (f), large book", "", "",
                qPrintable(QString::number(page / bare, 'f', 2)), "<= 2", page <= 2 * bare ? "met" : "NOT MET");
    return 0;
}

void BenchYosanMonth(const QString &book, int runs)
{
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(u"QT_QPA_PLATFORM"_s))
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    helper.setProcessEnvironment(env);
    helper.start(QCoreApplication::applicationDirPath() + u"/pomu-bench-yosan"_s, {book, QString::number(runs)});
    if (!helper.waitForFinished(-1) || helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0)
        throw std::runtime_error("the budget page measurement failed");
    std::printf("\n%s", helper.readAllStandardOutput().constData());
}

#ifdef POMU_BENCH_YOSAN_MAIN
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: pomu-bench-yosan book-folder runs\n");
        return 2;
    }
    try {
        return MeasureYosanMonth(QString::fromLocal8Bit(argv[1]), std::max(1, atoi(argv[2])));
    } catch (const EDatabaseError &e) {
        std::fprintf(stderr, "pomu-bench-yosan: %s\n", qPrintable(e.message()));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "pomu-bench-yosan: %s\n", e.what());
    }
    return 1;
}
#endif
