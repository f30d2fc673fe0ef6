#include "BenchDiary.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStringList>

#include "BenchBooks.h"
#include "GenerateBook.h"
#include "data/Utils.h"
#include "main/AWKStr.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

namespace {

double medianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double msSince(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

// Fills every day of the last twenty years that has no diary text yet, so the
// search runs over one text a day. Texts are typed the ways a user types
// them: hiragana, katakana, half-width forms.
int fillOneADay(Database &db)
{
    static const QStringList texts = {
        u"晴れ。朝から買い物に行って、夕方は公園を散歩した。"_s,
        u"雨。一日中家で本を読んで過ごした。コーヒーを三杯飲んだ。"_s,
        u"子供のがっこうの行事で体育館へ。写真をたくさん撮った。"_s,
        u"ｶﾞｯｺｳの保護者会。帰りにスーパーで夕食の材料を買った。"_s,
        u"給料日。家族で外食した。ハンバーグがおいしかった。"_s,
        u"病院へ行った。\r\n薬をもらって、早めに寝た。"_s,
        u"Ｗｅｂで旅行の計画を立てる。来月は京都に行きたい。"_s,
        u"かっこうの声が聞こえる静かな朝。庭の草むしりをした。"_s};
    const QDate today = QDate::currentDate();
    const QDate start = today.addYears(-20);
    Transaction tx(db);
    int dataNo = db.scalar(u"SELECT IFNULL(MAX(DATANO), 0) FROM Memo"_s).toInt();
    Statement has(db, u"SELECT 1 FROM Memo WHERE RECDATE = ?"_s);
    Statement insert(db, u"INSERT INTO Memo (DATANO, RECDATE, MEMO) VALUES (?, ?, ?)"_s);
    int added = 0;
    int i = 0;
    for (QDate d = start; d <= today; d = d.addDays(1), ++i) {
        has.reset();
        has.bind(1, d.toString(Qt::ISODate));
        if (has.next())
            continue;
        insert.reset();
        insert.bind(1, ++dataNo);
        insert.bind(2, d.toString(Qt::ISODate));
        insert.bind(3, texts.at((i * 7 + i / 3) % texts.size()));
        insert.exec();
        ++added;
    }
    db.exec(u"UPDATE AutoInc SET MAXNO = %1 WHERE NAME = 'memo.db'"_s.arg(dataNo));
    tx.commit();
    return added;
}

void line(const char *what, const QString &value, const QString &target = QString(), const QString &result = QString())
{
    std::printf("%-40s %12s %12s %10s  %-26s %s\n", what, "", qPrintable(value), "", qPrintable(target),
                qPrintable(result));
}

} // namespace

void BenchDiary(const QString &largeBook, const QString &workFolder, int runs)
{
    const QString copy = QDir(workFolder).filePath(u"diary-book"_s);
    BenchBooks::copyBook(largeBook, copy);
    QStringList memos;
    {
        Database db;
        db.open(GenerateBook::databasePath(copy));
        fillOneADay(db);
        Statement st(db, u"SELECT MEMO FROM Memo ORDER BY RECDATE DESC"_s);
        while (st.next())
            memos << st.textValue(0);
    }

    TAWKStr awk;
    awk.setUseFuzzyCharDic(true);
    const QString pattern = EscapeRegExp(u"ガッコウ"_s);
    QElapsedTimer t;
    t.start();
    awk.SetRegExp(pattern);
    const double compileMs = msSince(t);
    const int compiles = awk.compileCount();
    // A repeated search sets the same pattern again: taken from the cache.
    awk.SetRegExp(u"別の検索"_s);
    t.restart();
    awk.SetRegExp(pattern);
    const double cachedMs = msSince(t);
    const int recompiles = awk.compileCount() - compiles - 1;

    // The same rewritten pattern for QRegularExpression: what the engine
    // matches, written for the other engine.
    QRegularExpression re(awk.currentPattern());
    re.optimize();

    std::vector<double> engine, qre;
    int engineHits = 0, qreHits = 0;
    for (int r = 0; r < std::max(3, runs); ++r) {
        t.restart();
        int hits = 0;
        for (const QString &m : memos) {
            int start = 0, length = 0;
            if (awk.MatchNonEmpty(m, start, length))
                ++hits;
        }
        engine.push_back(msSince(t));
        engineHits = hits;
        t.restart();
        hits = 0;
        for (const QString &m : memos)
            if (re.match(m).hasMatch())
                ++hits;
        qre.push_back(msSince(t));
        qreHits = hits;
    }
    const double e = medianOf(engine);
    const double q = medianOf(qre);
    std::printf("\ndiary search: %lld diary texts (one a day, 20 years), fuzzy \"ガッコウ\", %d hits "
                "(QRegularExpression %d)\n",
                qlonglong(memos.size()), engineHits, qreHits);
    line("(e) fuzzy scan, pattern engine", QString::number(e, 'f', 3) + u" ms"_s);
    line("(f) same texts, QRegularExpression", QString::number(q, 'f', 3) + u" ms"_s);
    line("    (e) / (f)", QString::number(e / q, 'f', 2), u"<= 1.5"_s,
         e <= 1.5 * q && engineHits == qreHits ? u"met"_s : u"NOT MET"_s);
    line("    first compile of the pattern", QString::number(compileMs, 'f', 3) + u" ms"_s);
    line("    repeated search: set from cache", QString::number(cachedMs, 'f', 3) + u" ms"_s,
         u"no compile"_s, recompiles == 0 ? u"met (0 compiles)"_s : u"NOT MET"_s);
    QDir(copy).removeRecursively();
}
