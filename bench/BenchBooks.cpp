#include "BenchBooks.h"

#include <cstdio>
#include <stdexcept>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include "data/BookFolders.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

QString BenchBooks::emptyBook()
{
    // A new book as the program makes it for a user: the template with its
    // categories, accounts, items and calendar days, and no lines.
    return make(u"new"_s, false, {});
}

QString BenchBooks::largeBook(const GenerateBook::Options &options)
{
    const QDate today = options.today.isValid() ? options.today : QDate::currentDate();
    GenerateBook::Options o = options;
    o.today = today;
    return make(u"large-y%1-l%2-s%3-%4"_s.arg(o.years).arg(o.lines).arg(o.seed).arg(today.toString(u"yyyyMMdd"_s)),
                true, o);
}

QString BenchBooks::make(const QString &name, bool large, const GenerateBook::Options &options)
{
    const QString folder = QDir(m_cache).filePath(name);
    if (QFile::exists(GenerateBook::databasePath(folder)))
        return folder;
    const QString part = folder + u".part"_s;
    QDir(part).removeRecursively();
    QElapsedTimer timer;
    timer.start();
    if (large) {
        const GenerateBook::Summary s = GenerateBook::createLargeBook(part, options);
        std::printf("generated %s: %d journal lines, %d slips, %s to %s (%.1f s)\n", qPrintable(name),
                    s.journalLines, s.slips, qPrintable(s.firstDate.toString(Qt::ISODate)),
                    qPrintable(s.lastDate.toString(Qt::ISODate)), double(timer.elapsed()) / 1000.0);
    } else {
        if (qEnvironmentVariableIsEmpty("POMU_TEMPLATE"))
            qputenv("POMU_TEMPLATE", POMU_TEMPLATE_PATH);
        if (!QDir().mkpath(part) || !CreateBookFromTemplate(part))
            throw std::runtime_error(("cannot restore the new-book template into " + part).toStdString());
        std::printf("made %s from the new-book template (%.1f s)\n", qPrintable(name),
                    double(timer.elapsed()) / 1000.0);
    }
    std::fflush(stdout);
    if (!QDir().rename(part, folder))
        throw std::runtime_error(("cannot rename " + part + " to " + folder).toStdString());
    return folder;
}

void BenchBooks::copyBook(const QString &from, const QString &to)
{
    QDir(to).removeRecursively();
    if (!QDir().mkpath(to))
        throw std::runtime_error(("cannot make folder " + to).toStdString());
    for (const QString &file : QDir(from).entryList(QDir::Files)) {
        if (file.endsWith(u".lck"_s))
            continue;
        if (!QFile::copy(QDir(from).filePath(file), QDir(to).filePath(file)))
            throw std::runtime_error(("cannot copy " + file).toStdString());
    }
}

QString BenchBooks::checkCounters(const QString &folder)
{
    Database db;
    db.open(GenerateBook::databasePath(folder));
    struct Check
    {
        const char *counter;
        const char *sql;
    };
    const Check checks[] = {
        {"master.db", "SELECT MAX(DATANO) FROM Master"},
        {"receiptno", "SELECT MAX(RECEIPTNO) FROM (SELECT RECEIPTNO FROM Master UNION ALL "
                      "SELECT RECEIPTNO FROM ReserveList)"},
        {"himoku.db", "SELECT MAX(CODE) FROM Himoku"},
        {"hinmeimast.db", "SELECT MAX(CODE) FROM HinmeiMast"},
        {"shopmast.db", "SELECT MAX(CODE) FROM ShopMast"},
        {"person.db", "SELECT MAX(CODE) FROM Person"},
        {"yosan.db", "SELECT MAX(DATANO) FROM Yosan"},
        {"memo.db", "SELECT MAX(DATANO) FROM Memo"},
    };
    QStringList wrong;
    for (const Check &c : checks) {
        const int used = db.scalar(QString::fromLatin1(c.sql)).toInt();
        const QVariant counter =
            db.scalar(u"SELECT MAXNO FROM AutoInc WHERE NAME = ?"_s, {QString::fromLatin1(c.counter)});
        if (used > 0 && (!counter.isValid() || counter.toInt() < used))
            wrong << u"%1: counter %2, highest number %3"_s.arg(QString::fromLatin1(c.counter),
                                                                 counter.isValid() ? counter.toString() : u"none"_s)
                         .arg(used);
    }
    return wrong.join(u"; "_s);
}
