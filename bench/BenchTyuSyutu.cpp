#include "BenchTyuSyutu.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <QDate>
#include <QElapsedTimer>

#include "GenerateBook.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"
#include "platform/db/Query.h"
#include "views/TyuSyutuSql.h"

using namespace Qt::StringLiterals;

namespace {

// Median of runs, each the mean of `repeat` calls, after one warming call.
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
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

void BenchTyuSyutuExtraction(const QString &book, int runs)
{
    Database db;
    db.open(GenerateBook::databasePath(book));
    // The busiest expense category, and the first shop word of the generator.
    const int category = db.scalar(u"SELECT KARICODE FROM Master WHERE KARICODE IN "
                                   "(SELECT CODE FROM Himoku WHERE BUNRUI = 2) "
                                   "GROUP BY KARICODE ORDER BY COUNT(*) DESC LIMIT 1"_s)
                             .toInt();
    const QString shopWord = u"スーパー"_s;
    const QDate first = QDate::fromString(db.scalar(u"SELECT MIN(RECDATE) FROM Master WHERE DATANO > 0"_s).toString(),
                                          Qt::ISODate);
    const QDate last = QDate::fromString(db.scalar(u"SELECT MAX(RECDATE) FROM Master"_s).toString(), Qt::ISODate);

    TTyuSyutuSql sql(db);
    sql.Options.start = QDate(first.year(), 1, 1);
    sql.Options.end = QDate(last.year(), 12, 31);
    sql.Options.like = 2;
    sql.Panels[TTyuSyutuSql::Deru].himoku = {QString(), category};
    sql.Panels[TTyuSyutuSql::Deru].himoku.text = db.scalar(u"SELECT NAME FROM Himoku WHERE CODE = %1"_s.arg(category))
                                                     .toString();
    sql.Panels[TTyuSyutuSql::Deru].shop = {shopWord, 0};
    sql.Mode = 1;

    // The page's road: build, run the list query into its data set, total it.
    Query query(db);
    int lines = 0;
    Currency pageTotal;
    const double page = measure(runs, 5, [&] {
        sql.BuildSql(false);
        query.close();
        query.SQL = sql.Results[TTyuSyutuSql::Deru].sql;
        query.open();
        lines = query.recordCount();
        pageTotal = sql.QueryTotal(TTyuSyutuSql::Deru);
    });

    // The same two statements, prepared and stepped bare, every column read.
    const QString listText = LocalSql::translate(sql.Results[TTyuSyutuSql::Deru].sql.join(u'\n'));
    const QString totalText = LocalSql::translate(sql.BuildTotalSql(TTyuSyutuSql::Deru).join(u'\n'));
    int bareLines = 0;
    Currency bareTotal;
    const double bare = measure(runs, 5, [&] {
        Statement list(db, listText);
        QList<QVariantList> rows;
        while (list.next()) {
            QVariantList r;
            for (int c = 0; c < list.columnCount(); ++c)
                r << list.value(c);
            rows << r;
        }
        bareLines = int(rows.size());
        Statement total(db, totalText);
        bareTotal = total.next() ? Currency::fromDouble(total.doubleValue(0)) : Currency();
    });
    db.close();

    std::printf("extraction %d..%d, category %d, shops containing %s: %d lines (bare %d), total %s (bare %s)\n",
                sql.Options.start.year(), sql.Options.end.year(), category, qPrintable(shopWord), lines, bareLines,
                qPrintable(pageTotal.toString()), qPrintable(bareTotal.toString()));
    const double ratio = page / bare;
    std::printf("%-40s %12s %12.2f %10.2f  %-26s %s\n", "(g) extraction, 20 years (page)", "", page, ratio,
                "<= 1.5 x bare", ratio <= 1.5 && lines == bareLines ? "met" : "NOT MET");
    std::printf("%-40s %12s %12.2f\n", "    the same query (bare SQL)", "", bare);
}
