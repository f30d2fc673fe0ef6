#include <algorithm>
#include <memory>
#include <stdexcept>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>

#include <sqlcipher/sqlite3.h>

#include "BenchBooks.h"
#include "BenchParts.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
#include "data/Vocabulary.h"
#include "management/DataOpJournalPage.h"
#include "platform/db/Database.h"
#include "platform/ui/DialogScript.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

// One expense category recoded to another over every year of the book: the
// journal page of the data operations listing the category's lines over the
// whole period, then its 実行 (the question answered by the script), next to
// the bare SQL UPDATE of the same lines in one transaction through the
// engine's C interface. Each run works on a fresh copy of the book, so every
// run changes the same lines.
namespace {

struct Recode
{
    int from = 0, to = 0;
    QDate start, end;
};

// Of the categories the page lists, the expense category with the most debit
// lines, and the next listed expense category by code.
Recode chooseRecode(Database &db)
{
    LoadHimokuCaches(db);
    TDatModSql sql(db);
    QComboBox listed;
    sql.FillHimokuCodeCombo(&listed, 0, false, 0);
    QList<int> codes;
    for (int i = 0; i < listed.count(); ++i)
        codes << listed.itemText(i).section(u':', 0, 0).toInt();
    Recode r;
    int most = 0;
    QList<int> expenses;
    for (int code : codes) {
        if (GetHimokuBunrui(db, code) != 2)
            continue;
        expenses << code;
        const int n = db.scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0 AND KARICODE = ?"_s, {code}).toInt();
        if (n > most) {
            most = n;
            r.from = code;
        }
    }
    std::sort(expenses.begin(), expenses.end());
    for (int code : expenses)
        if (code != r.from && (r.to == 0 || code > r.from)) {
            r.to = code;
            if (code > r.from)
                break;
        }
    r.start = QDate::fromString(db.scalar(u"SELECT MIN(RECDATE) FROM Master WHERE DATANO > 0"_s).toString(), Qt::ISODate);
    r.end = QDate::fromString(db.scalar(u"SELECT MAX(RECDATE) FROM Master WHERE DATANO > 0"_s).toString(), Qt::ISODate);
    return r;
}

int countOf(Database &db, int code, const Recode &r)
{
    return db.scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0 AND KARICODE = ? AND RECDATE BETWEEN ? AND ?"_s,
                     {code, r.start.toString(Qt::ISODate), r.end.toString(Qt::ISODate)})
        .toInt();
}

void choose(QComboBox *combo, int code)
{
    const int i = combo->findText(QString::number(code) + u":"_s, Qt::MatchStartsWith);
    if (i < 0)
        throw std::runtime_error("the category is not in the page's list");
    combo->setCurrentIndex(i);
}

// A fresh copy of the book, opened; the body gets the recode to make.
double onCopy(const BenchChild &child, const std::function<double(TDatMod &, const Recode &, int *)> &body,
              int *lines)
{
    BenchChild copy = child;
    copy.book = QDir(child.work).filePath(u"recodebook"_s);
    BenchBooks::copyBook(child.book, copy.book);
    TDatMod &dm = openBenchBook(copy);
    CurLockDate = QDate();
    const Recode r = chooseRecode(dm.MainDatabase);
    double took = 0;
    if (r.from > 0 && r.to > 0) {
        const int before = countOf(dm.MainDatabase, r.from, r) + countOf(dm.MainDatabase, r.to, r);
        took = body(dm, r, lines);
        if (countOf(dm.MainDatabase, r.from, r) != 0 || countOf(dm.MainDatabase, r.to, r) != before)
            throw std::runtime_error("the recode left lines of the category");
    } else {
        *lines = 0;
    }
    closeBenchBook(false);
    QDir(copy.book).removeRecursively();
    return took;
}

double pageRecode(TDatMod &dm, const Recode &r, int *lines)
{
    // The category lists as the program fills them at start-up.
    LoadHimokuCaches(dm.MainDatabase);
    TDatModSql sql(dm.MainDatabase);
    DatModSql = &sql;
    double took = 0;
    {
        TDataOpJournalPage page;
        page.resize(1280, 720);
        choose(page.CmbKari, r.from);
        page.ChkStart->setChecked(true);
        page.DTPStart->setDate(r.start);
        page.ChkEnd->setChecked(true);
        page.DTPEnd->setDate(r.end);
        page.RefreshJournal();
        *lines = int(page.Lines().size());
        page.FrBtnHimokuCodeClick(0);
        choose(page.CmbHimokuMoto, r.from);
        choose(page.CmbHimokuAto, r.to);
        page.RGTaisyo->button(0)->click();
        DialogScript::push({DialogScript::Kind::Message, mrYes, QString(), u"実行すると元には戻せません。"_s});
        QElapsedTimer timer;
        timer.start();
        page.FrBtnHimokuExecuteClick();
        took = elapsedMs(timer);
        if (DialogScript::pending() != 0)
            throw std::runtime_error("the page did not ask before the recode");
    }
    DatModSql = nullptr;
    return took;
}

double bareRecode(TDatMod &dm, const Recode &r, int *lines)
{
    sqlite3 *db = dm.MainDatabase.handle();
    const QByteArray from = r.start.toString(Qt::ISODate).toLatin1(), to = r.end.toString(Qt::ISODate).toLatin1();
    QElapsedTimer timer;
    timer.start();
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    const char *text = "UPDATE Master SET KARICODE = ?1 WHERE DATANO > 0 AND KARICODE = ?2 AND RECDATE BETWEEN ?3 AND ?4";
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, text, -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    sqlite3_bind_int(st, 1, r.to);
    sqlite3_bind_int(st, 2, r.from);
    sqlite3_bind_text(st, 3, from.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 4, to.constData(), -1, SQLITE_TRANSIENT);
    const int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE || sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    *lines = sqlite3_changes(db);
    return elapsedMs(timer);
}

void measure(const BenchChild &child)
{
    int lines = 0, bareLines = 0;
    report("page", warmThenTime([&] { return onCopy(child, pageRecode, &lines); }));
    report("bare", warmThenTime([&] { return onCopy(child, bareRecode, &bareLines); }));
    if (lines != bareLines)
        throw std::runtime_error("the page and the bare SQL recoded different lines");
    report("lines", lines);
}

void print(const Figures &e, const Figures &l)
{
    row(u"(r) recode a category, all years (page)"_s, ms(e[u"page"_s]), ms(l[u"page"_s]));
    row(u"(s) same lines, bare SQL UPDATE"_s, ms(e[u"bare"_s]), ms(l[u"bare"_s]));
    const double r = l[u"bare"_s] > 0 ? l[u"page"_s] / l[u"bare"_s] : 0;
    row(u"    (r) / (s), large book (%1 lines)"_s.arg(int(l[u"lines"_s])), QString(), QString(), ratio(r), u"<= 2"_s,
        verdict(r > 0 && r <= 2));
}

} // namespace

BenchPart benchRecode()
{
    return {u"recode"_s, measure, print};
}
