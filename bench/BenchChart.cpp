#include "BenchChart.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

#include <QApplication>
#include <QChart>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>

#include "GenerateBook.h"
#include "data/FormatSettings.h"
#include "data/HimokuCache.h"
#include "data/Vocabulary.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "platform/system/Exception.h"
#include "views/ChartContents.h"
#include "views/ChartView.h"
#include "views/ContentCharts.h"
#include "views/NenSyukeiData.h"
#include "views/YosanJissekiData.h"

using namespace Qt::StringLiterals;

// Each content is measured as the page draws it once its page is shown: the
// calculator's computation for the year (the balances carried into the year
// already kept from the first drawing) and the series on the content's own
// chart in the page's view. Every content keeps its chart, series and sets
// and changes only what differs, so a drawing is timed right after its chart
// showed other figures: the same content for the year before (the month
// before for the budget contents), as when the year or month is switched;
// and with another content shown in between, as when the content is switched
// (its chart still holding the year before: the worst such switch). The
// content's first drawing on the page builds its series on an empty chart.
// Next to it the bare SQL a hand-written chart would send for the same
// figures: for the annual contents one grouped statement over the date index,
// months by debit and credit category; for the budget contents the month's
// budgets and the month's actuals of the side by category. It is timed from
// the very state each drawing starts from (the page drew, the window
// painted): run in a loop of its own a statement finds the book's pages and
// its code in the processor's caches, which a click after painting does not
// (a month's budget reads three to four times slower after painting).

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Median of runs, each the mean of `repeat` calls.
double measure(int runs, int repeat, const std::function<void()> &once)
{
    once();
    std::vector<double> samples;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < repeat; ++i)
            once();
        samples.push_back(double(timer.nsecsElapsed()) / 1e6 / repeat);
    }
    return median(samples);
}

// Between two clicks the page returns to the event loop, which paints and
// deletes what the chart put aside for deletion; a loop of drawings does not,
// so it does the same here, untimed.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The same, with `before` run untimed ahead of every call.
double measureAfter(int runs, int repeat, const std::function<void()> &before, const std::function<void()> &once)
{
    before();
    once();
    std::vector<double> samples;
    for (int r = 0; r < runs; ++r) {
        qint64 ns = 0;
        for (int i = 0; i < repeat; ++i) {
            before();
            settle();
            QElapsedTimer timer;
            timer.start();
            once();
            ns += timer.nsecsElapsed();
        }
        samples.push_back(double(ns) / 1e6 / repeat);
    }
    return median(samples);
}

struct CellKey
{
    int month;
    int kari;
    int kasi;
    bool operator==(const CellKey &) const = default;
};
size_t qHash(const CellKey &k, size_t seed = 0) { return qHashMulti(seed, k.month, k.kari, k.kasi); }

int bareYear(Database &db, const QDate &start, const QDate &end)
{
    Statement st(db, u"SELECT CAST(strftime('%m', RECDATE) AS INTEGER), KARICODE, KASICODE, "
                     "SUM(CAST(ROUND(KINGAKU * 10000) AS INTEGER)) FROM Master "
                     "WHERE RECDATE BETWEEN ? AND ? AND COALESCE(RESERVED, 0) = 0 GROUP BY 1, 2, 3"_s);
    st.bind(1, start);
    st.bind(2, end);
    QHash<CellKey, Currency> cells;
    while (st.next())
        cells[{int(st.intValue(0)), int(st.intValue(1)), int(st.intValue(2))}] += Currency::fromRaw(st.intValue(3));
    return int(cells.size());
}

// One side's budgets and actuals of a month, summed exactly as the year's
// figures above and the program's own statements are.
int bareBudgetMonth(Database &db, int side, const QDate &first)
{
    QHash<int, std::pair<Currency, Currency>> figures;
    Statement budgets(db, u"SELECT HIMOKUCODE, SUM(CAST(ROUND(KINGAKU * 10000) AS INTEGER)) FROM Yosan "
                          "WHERE RECDATE = ? AND BUNRUI = ? GROUP BY HIMOKUCODE"_s);
    budgets.bind(1, first);
    budgets.bind(2, side + 1);
    while (budgets.next())
        figures[int(budgets.intValue(0))].first += Currency::fromRaw(budgets.intValue(1));
    Statement actuals(db, u"SELECT %1, SUM(CAST(ROUND(KINGAKU * 10000) AS INTEGER)) FROM Master "
                          "WHERE RECDATE BETWEEN ? AND ? AND COALESCE(RESERVED, 0) = 0 GROUP BY %1"_s
                              .arg(side == 0 ? u"KASICODE"_s : u"KARICODE"_s));
    actuals.bind(1, first);
    actuals.bind(2, first.addMonths(1).addDays(-1));
    while (actuals.next())
        figures[int(actuals.intValue(0))].second += Currency::fromRaw(actuals.intValue(1));
    return int(figures.size());
}

void printRow(const QString &what, const QString &large, const QString &measure = QString(),
              const QString &target = QString(), const QString &verdict = QString())
{
    std::printf("%-40s %12s %12s %10s  %-26s %s\n", qPrintable(what), "", qPrintable(large), qPrintable(measure),
                qPrintable(target), qPrintable(verdict));
}

QString ms(double v) { return QString::number(v, 'f', v < 10 ? 2 : 1) + u" ms"_s; }

int MeasureCharts(const QString &book, int runs)
{
    FixProgramFormats();
    ResetProgramValues();
    Database db;
    db.open(GenerateBook::databasePath(book));
    db.begin(Database::TransactionMode::Immediate);
    LoadHimokuCaches(db);
    const QDate today = QDate::currentDate();
    const int year = today.year();
    const int month = today.month();
    CurYear = uint16_t(year);
    CurMonth = uint16_t(month);

    // The charts in a view of the page's size, as on the page: what a chart
    // lays out when figures change is part of the drawing.
    TChartView view(new QChart);
    view.resize(1200, 760);
    view.show();
    QCoreApplication::processEvents();
    if (view.chart()->size().width() < 100)
        throw std::runtime_error("the chart has no size");
    TContentCharts charts(&view, ccIri);
    TNenSyukeiData nen;
    TYosanJissekiData yosan;
    TChartOptions options;
    options.YearText = QString::number(year);
    options.MonthText = QString::number(month);
    // The figures the chart showed before: the year before, the month before.
    TNenSyukeiData nenBefore;
    nenBefore.Calculate(db, year - 1);
    const QDate monthBefore = QDate(year, month, 1).addMonths(-1);
    TYosanJissekiData yosanBefore[2];
    for (int side = 0; side < 2; ++side)
        yosanBefore[side].ChangeImaSide(db, monthBefore.year(), monthBefore.month(), side);
    CurYear = uint16_t(year);
    CurMonth = uint16_t(month);
    nen.Calculate(db, year); // the page's first drawing reads what lies before the year

    const auto draw = [&](int content, const TNenSyukeiData &annual, const TYosanJissekiData *budget) {
        TChartContents &series = charts.Show(content);
        switch (content) {
        case ccIri: series.DrawCategoryContent(1, annual, options); break;
        case ccDeru: series.DrawCategoryContent(2, annual, options); break;
        case ccSyusi: series.DrawBalanceContent(annual, options); break;
        case ccKouza: series.DrawAccountContent(annual, options); break;
        default: series.DrawBudgetContent(content == ccIriYosan ? 0 : 1, *budget, options); break;
        }
    };
    const auto drawBefore = [&](int content) {
        draw(content, nenBefore, content >= ccIriYosan ? &yosanBefore[content == ccIriYosan ? 0 : 1] : nullptr);
    };
    // Another content of the same kind: the budget of the other side, the
    // balance for the annual contents (and the accounts for the balance).
    const auto other = [](int content) {
        return content == ccIriYosan ? ccDeruYosan : content == ccDeruYosan ? ccIriYosan : content == ccSyusi ? ccKouza : ccSyusi;
    };

    // The figures of now for every content, to draw before a state is made.
    TYosanJissekiData yosanNow[2];
    for (int side = 0; side < 2; ++side)
        yosanNow[side].ChangeImaSide(db, year, month, side);
    CurYear = uint16_t(year);
    CurMonth = uint16_t(month);
    const auto drawNow = [&](int content) {
        draw(content, nen, content >= ccIriYosan ? &yosanNow[content == ccIriYosan ? 0 : 1] : nullptr);
    };

    std::printf("\nchart page contents of %d (month %d for the budgets), median of %d runs\n", year, month, runs);
    const char *names[6] = {"収入実績", "支出実績", "収入と支出", "口座推移", "収入予算と実績", "支出予算と実績"};
    for (int content = ccIri; content <= ccDeruYosan; ++content) {
        const bool budget = content >= ccIriYosan;
        const int side = content == ccIriYosan ? 0 : 1;
        const int repeat = budget ? 10 : 3;
        const auto page = [&] {
            if (budget) {
                yosan.ChangeImaSide(db, year, month, side);
                draw(content, nen, &yosan);
            } else {
                nen.Calculate(db, year);
                draw(content, nen, nullptr);
            }
        };
        const auto bareOnce = [&] {
            if (budget)
                bareBudgetMonth(db, side, QDate(year, month, 1));
            else
                bareYear(db, QDate(year, 1, 1), QDate(year, 12, 31));
        };
        // The states a drawing starts from, each made right after the page
        // drew the figures of now: (e) the content showing the year (month)
        // before; (e') another content shown since; (e'') the content's
        // chart empty, as before its first drawing.
        const std::function<void()> states[3] = {[&] { drawBefore(content); },
                                                 [&] {
                                                     drawBefore(content);
                                                     drawBefore(other(content));
                                                 },
                                                 [&] {
                                                     drawBefore(other(content));
                                                     charts.Show(content).FreeSeries();
                                                 }};
        double drawing[3];
        double bare[3];
        for (int s = 0; s < 3; ++s) {
            drawing[s] = measureAfter(runs, repeat, states[s], page);
            bare[s] = measureAfter(runs, repeat, [&] {
                drawNow(content);
                states[s]();
            }, bareOnce);
        }
        // The calculator alone, and the series alone on figures already
        // computed, from the state of (e).
        const double figures = measureAfter(runs, repeat, [&] {
            drawNow(content);
            states[0]();
        }, [&] {
            if (budget)
                yosan.ChangeImaSide(db, year, month, side);
            else
                nen.Calculate(db, year);
        });
        const double build = measureAfter(runs, repeat, states[0], [&] { draw(content, nen, &yosan); });
        const double bareAlone = measure(runs, repeat, bareOnce);

        const TChartContents &series = charts.Show(content);
        const int sets = int(series.PosSeries.size() + series.HorizSeries.size());
        if (content != ccSyusi && sets == 0)
            throw std::runtime_error("a content drew no series");
        const QString after = budget ? u"the month before"_s : u"the year before"_s;
        const QString rows[3] = {u"(e) グラフ %1 (%2 sets), after %3"_s.arg(QString::fromUtf8(names[content]))
                                     .arg(sets)
                                     .arg(after),
                                 u"(e') the same, after another content"_s, u"(e'') the content's first drawing"_s};
        const QString marks[3] = {u"(e)"_s, u"(e')"_s, u"(e'')"_s};
        for (int s = 0; s < 3; ++s) {
            printRow(rows[s], ms(drawing[s]));
            if (s == 0) {
                printRow(u"      of which the figures"_s, ms(figures));
                printRow(u"      of which the series"_s, ms(build));
            }
            printRow(u"(f)   the bare SQL, from the same state"_s, ms(bare[s]));
            printRow(u"      %1 / (f), large book"_s.arg(marks[s]), QString(),
                     QString::number(drawing[s] / bare[s], 'f', 2), u"<= 2"_s,
                     drawing[s] <= 2 * bare[s] ? u"met"_s : u"NOT MET"_s);
        }
        printRow(u"      the bare SQL in a loop of its own"_s, ms(bareAlone));
    }
    charts.FreeAll();
    db.rollback();
    db.close();
    ClearHimokuCaches();
    return 0;
}

} // namespace

void BenchChart(const QString &book, int runs)
{
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(u"QT_QPA_PLATFORM"_s))
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    helper.setProcessEnvironment(env);
    helper.start(QCoreApplication::applicationDirPath() + u"/pomu-bench-chart"_s, {book, QString::number(runs)});
    if (!helper.waitForFinished(-1) || helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0)
        throw std::runtime_error("the chart page measurement failed");
    std::printf("%s", helper.readAllStandardOutput().constData());
}

#ifdef POMU_BENCH_CHART_MAIN
int main(int argc, char **argv)
{
    // The chart is a graphics item: a graphical application, which the
    // benchmark's parent process is not.
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: pomu-bench-chart book-folder runs\n");
        return 2;
    }
    try {
        return MeasureCharts(QString::fromLocal8Bit(argv[1]), std::max(1, atoi(argv[2])));
    } catch (const EDatabaseError &e) {
        std::fprintf(stderr, "pomu-bench-chart: %s\n", qPrintable(e.message()));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "pomu-bench-chart: %s\n", e.what());
    }
    return 1;
}
#endif
