#include <cstdio>
#include <exception>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

#include "GenerateBook.h"
#include "platform/db/Database.h"

// pomu-genbook <folder> [--years 20] [--lines 200000] [--seed N] [--today YYYY-MM-DD] [--empty]
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a deterministic book for the benchmarks."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("the new book folder"));
    const GenerateBook::Options defaults;
    QCommandLineOption years(QStringLiteral("years"), QStringLiteral("years of data"), QStringLiteral("n"),
                             QString::number(defaults.years));
    QCommandLineOption lines(QStringLiteral("lines"), QStringLiteral("journal lines"), QStringLiteral("n"),
                             QString::number(defaults.lines));
    QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("generator seed"), QStringLiteral("n"),
                            QString::number(defaults.seed));
    QCommandLineOption today(QStringLiteral("today"), QStringLiteral("the book's today (default: the current date)"),
                             QStringLiteral("yyyy-mm-dd"));
    QCommandLineOption empty(QStringLiteral("empty"), QStringLiteral("write a book with the tables and no content"));
    parser.addOptions({years, lines, seed, today, empty});
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    GenerateBook::Options options;
    bool ok = true, all = true;
    options.years = parser.value(years).toInt(&ok);
    all = all && ok && options.years > 0;
    options.lines = parser.value(lines).toInt(&ok);
    all = all && ok && options.lines >= 0;
    options.seed = parser.value(seed).toULongLong(&ok);
    all = all && ok;
    if (parser.isSet(today)) {
        options.today = QDate::fromString(parser.value(today), Qt::ISODate);
        all = all && options.today.isValid();
    }
    if (!all) {
        std::fprintf(stderr, "pomu-genbook: bad option value\n");
        return 2;
    }

    const QString folder = parser.positionalArguments().first();
    try {
        QElapsedTimer timer;
        timer.start();
        if (parser.isSet(empty)) {
            GenerateBook::createEmptyBook(folder);
            std::printf("empty book written to %s in %lld ms\n", qPrintable(folder), timer.elapsed());
            return 0;
        }
        const GenerateBook::Summary s = GenerateBook::createLargeBook(folder, options);
        std::printf("book written to %s in %lld ms\n"
                    "  journal lines %d (scheduled, not booked %d), slips %d, %s to %s\n"
                    "  categories and accounts %d, items %d, shops %d, persons %d\n"
                    "  budgets %d, diary rows %d; last DATANO %d, last slip number %d\n",
                    qPrintable(folder), timer.elapsed(), s.journalLines, s.reservedLines, s.slips,
                    qPrintable(s.firstDate.toString(Qt::ISODate)), qPrintable(s.lastDate.toString(Qt::ISODate)),
                    s.categories, s.items, s.shops, s.persons, s.budgets, s.diaryRows, s.maxDataNo, s.maxReceiptNo);
        return 0;
    } catch (const EDatabaseError &e) {
        std::fprintf(stderr, "pomu-genbook: %s\n", qPrintable(e.message()));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "pomu-genbook: %s\n", e.what());
    }
    return 1;
}
