// Importing a statement of 100,000 CSV lines: the import run (reading the
// file, splitting and converting every line, names to codes, the lines
// completed and saved in one transaction) next to the bare SQL insert of the
// same rows in one transaction.
#include "BenchParts.h"

#include <cstdio>

#include <QDate>
#include <QFile>
#include <QLocale>

#include "GenerateBook.h"
#include "management/imexport/ImportRun.h"
#include "platform/db/Database.h"
#include "platform/system/ShiftJis.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kLines = 100000;

struct Line
{
    QDate date;
    int debit;
    int credit;
    int amount;
};

// The statement: expense categories of the template paid from 現金.
QList<Line> statementLines()
{
    QList<Line> lines;
    lines.reserve(kLines);
    const QDate start(2020, 1, 1);
    for (int i = 0; i < kLines; ++i)
        lines.append({start.addDays(i % 1800), 107 + i % 16, 100, 100 + (i * 37) % 90000});
    return lines;
}

QString categoryName(int code)
{
    static const QStringList names{u"食費"_s,  u"日用品"_s,   u"住居費"_s,    u"水道光熱費"_s, u"通信費"_s, u"交通費"_s,
                                   u"医療費"_s, u"教育費"_s,  u"教養・娯楽"_s, u"衣服・美容"_s, u"交際費"_s, u"保険料"_s,
                                   u"税金"_s,   u"自動車"_s,  u"こづかい"_s,  u"雑費"_s};
    return code == 100 ? u"現金"_s : names.value(code - 107);
}

} // namespace

BenchPart benchImport()
{
    BenchPart part;
    part.name = u"import"_s;
    part.measure = [](const BenchChild &child) {
        // The child must not change the book: the import writes into a copy.
        const QString copy = child.work + u"/import.db"_s;
        QFile::remove(copy);
        QFile::copy(GenerateBook::databasePath(child.book), copy);
        Database db;
        db.open(copy);
        const QList<Line> lines = statementLines();
        // Amounts with thousands separators, quoted, as statements write them.
        const QLocale grouped(QLocale::English);
        QString text;
        for (const Line &l : lines)
            text += l.date.toString(u"yyyy/MM/dd"_s) + u","_s + categoryName(l.debit) + u","_s +
                    categoryName(l.credit) + u",\""_s + grouped.toString(l.amount) + u"\"\r\n"_s;
        const QString csv = child.work + u"/statement.csv"_s;
        {
            QFile f(csv);
            f.open(QIODevice::WriteOnly);
            f.write(toShiftJis(text));
        }
        int written = 0;
        const double layerMs = warmThenTime([&] {
            QElapsedTimer t;
            t.start();
            TImportRun run(db);
            run.LoadFile(csv);
            run.ImportColumnMap[4] = 0;
            run.ImportColumnMap[6] = 1;
            run.ImportColumnMap[7] = 2;
            run.ImportColumnMap[10] = 3;
            run.ExpectedCount = 4;
            run.Amounts.thousands = u',';
            run.ZeiKeyWords = {u"消費税"_s, u"税"_s};
            run.ReadRows();
            run.ValidateRows();
            run.ConvertRows(false);
            written = run.SaveRows();
            return elapsedMs(t);
        });
        const double bareMs = warmThenTime([&] {
            QElapsedTimer t;
            t.start();
            const int first = db.scalar(u"SELECT COALESCE(MAX(DATANO), 0) + 1 FROM Master"_s).toInt();
            Transaction tr(db, Database::TransactionMode::Immediate);
            Statement ins(db, u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, SHOPCODE, HINMEICODE, "
                              "PERSONCODE, KARISIDE, KARICODE, KASICODE, RESERVED, LOOKUPNO, RECEIPTNO, RECKIND, STYLE, "
                              "ORIGIN, ZEIATUKAI) VALUES (?,1,?,?,1,0,0,0,NULL,?,?,0,0,0,201,1,2,1)"_s);
            int n = first;
            for (const Line &l : lines) {
                ins.reset();
                ins.bind(1, n++);
                ins.bind(2, l.date.toString(Qt::ISODate));
                ins.bind(3, double(l.amount));
                ins.bind(4, l.debit);
                ins.bind(5, l.credit);
                ins.exec();
            }
            tr.commit();
            return elapsedMs(t);
        });
        db.close();
        QFile::remove(copy);
        QFile::remove(csv);
        report("rows", written);
        report("layer", layerMs);
        report("bare", bareMs);
    };
    part.print = [](const Figures &empty, const Figures &large) {
        row(u"import 100,000 CSV lines (rows written)"_s, QString::number(empty.value(u"rows"_s)),
            QString::number(large.value(u"rows"_s)));
        const double r = large.value(u"bare"_s) > 0 ? large.value(u"layer"_s) / large.value(u"bare"_s) : 0;
        row(u"  import run vs bare SQL insert"_s, ms(empty.value(u"layer"_s)) + u" / "_s + ms(empty.value(u"bare"_s)),
            ms(large.value(u"layer"_s)) + u" / "_s + ms(large.value(u"bare"_s)), ratio(r), u"<= 2x"_s,
            verdict(r <= 2.0));
    };
    return part;
}
