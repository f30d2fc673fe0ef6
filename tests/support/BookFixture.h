#pragma once

// Books for the tests of the data library and above. Header-only on purpose:
// the support library links only the platform, and the platform tests must
// keep doing without the data library.

#include <functional>
#include <memory>

#include <QDir>
#include <QFile>
#include <QVariant>
#include <QtTest>

#include "TestEnv.h"
#include "data/BookFolders.h"
#include "data/BookSchema.h"
#include "data/DatMod.h"
#include "data/DatModSchema.h"
#include "data/ModalForm.h"
#include "data/MyRegistryIniFile.h"
#include "platform/db/Database.h"

namespace BookFixture {

// The two files of an empty book in `folder`: the database (encrypted when a
// key is given) with `seed` run on it, and the settings file at the current data
// level followed by `ini`. False when the settings file cannot be written.
inline bool writeEmptyBook(const QString &folder, const QString &key = QString(), const QByteArray &ini = QByteArray(),
                           const std::function<void(Database &)> &seed = {})
{
    QDir().mkpath(folder);
    {
        Database db;
        db.open(folder + QStringLiteral("/PomuZenitData.db"), key, true);
        DatModSchema::createEmptyBook(db);
        if (seed)
            seed(db);
    }
    QFile f(folder + QStringLiteral("/PomuZenitData.ini"));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write("[DataLevel]\nDataLevel=6\n" + ini);
    return true;
}

// A category row with every column the caches and the views read. The defaults
// are a visible, budget-warned category with no opening balance or closing.
struct HimokuRow
{
    int code = 0;
    int pos = 0;
    QString name;
    int bunrui = 2;
    QVariant syokizan = 0;
    int simeBi = 31;
    int cycle = -1;
    int furikomiBi = -1;
    int holidayShift = 0;
    bool visible = true;
    bool tokubetu = false;
    int zeiAtukai = 3;
    bool yosanWarn = true;
};

inline void addHimoku(Database &db, const HimokuRow &r)
{
    Statement st(db, QStringLiteral(
                         "INSERT INTO Himoku (CODE, POS, NAME, BUNRUI, SYOKIZAN, SIMEBI, CYCLE, FURIKOMIBI, "
                         "HOLIDAYSHIFT, VISIBLE, SYSTEM, TOKUBETU, AITECODE, SIMEHISTROY, SIMESHIFT, ZEIATUKAI, "
                         "YOSANWARN, SIMEHOLIDAYSHIFT, SIMEADDDAY) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, 100, 0, 0, ?, ?, 0, 0)"));
    const QVariantList values{r.code,       r.pos,          r.name,    r.bunrui,   r.syokizan, r.simeBi, r.cycle,
                              r.furikomiBi, r.holidayShift, r.visible, r.tokubetu, r.zeiAtukai, r.yosanWarn};
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values.at(i));
    st.exec();
}

// A budget row; the amount is stored as given (whole or fractional).
inline void addBudget(Database &db, const QString &date, int code, const QVariant &amount, int bunrui)
{
    Statement st(db, QStringLiteral("INSERT INTO Yosan (DATANO, RECDATE, HIMOKUCODE, KINGAKU, BUNRUI) "
                                    "VALUES (0, ?, ?, ?, ?)"));
    st.bind(1, date);
    st.bind(2, code);
    st.bind(3, amount);
    st.bind(4, bunrui);
    st.exec();
}

// A day of the calendar table; a null number leaves it to the table.
inline void addDay(Database &db, const QVariant &dataNo, const QDate &date, const QString &name, int type)
{
    Statement st(db, QStringLiteral("INSERT INTO DateList (DATANO, RECDATE, NAME, TYPE) VALUES (?, ?, ?, ?)"));
    st.bind(1, dataNo);
    st.bind(2, date);
    st.bind(3, name);
    st.bind(4, type);
    st.exec();
}

// Loads a seed table file (first line the column names, empty cell NULL) into
// the table of the same name, as the template writer does.
inline void loadSeed(Database &db, const QString &path, const QString &table)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(path));
    const QStringList columns = QString::fromUtf8(f.readLine()).trimmed().split(QLatin1Char('\t'));
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    Statement st(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).chopped(1);
        if (line.isEmpty())
            continue;
        const QStringList cells = line.split(QLatin1Char('\t'));
        QCOMPARE(cells.size(), columns.size());
        st.reset();
        for (int i = 0; i < cells.size(); ++i)
            st.bind(i + 1, cells[i].isEmpty() ? QVariant() : QVariant(cells[i]));
        st.exec();
    }
}

// The seed book alone, as a database in a temporary world: for code that works
// on a database without the data module.
struct SeedBook
{
    std::unique_ptr<TestEnv> env;
    Database db;
    QString path; // the database file

    Database &open(const QString &fileName = QStringLiteral("book.db"))
    {
        env = std::make_unique<TestEnv>();
        path = env->path(fileName);
        db.open(path, QString(), true);
        BookSchema::createEmptyBook(db);
        return db;
    }
    void close()
    {
        db.close();
        env.reset();
    }
};

// A temporary world with a data module and a place for books, for the tests
// that make, register, open and back up books through the module. A test class
// derives from it next to QObject and calls openPlace() and closePlace() from
// its init() and cleanup().
struct BookPlace
{
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TDatMod> dm;

    QString place() const { return env->path(QStringLiteral("place")); }

    void openPlace(const std::function<void(TDatMod &)> &install = {})
    {
        env = std::make_unique<TestEnv>();
        ModalForms::clear();
        dm = std::make_unique<TDatMod>();
        if (install)
            install(*dm);
        RegIni->WriteStringAndUpdate(QStringLiteral("CurrentFolders"), QStringLiteral("DataPlace"), place());
    }
    // Closes the book without the automatic backup and checks that every
    // queued form answer was used.
    void closePlace()
    {
        if (dm->DataOpen)
            dm->CloseAndBackUp(false);
        dm.reset();
        QCOMPARE(ModalForms::pending(), 0);
        env.reset();
    }

    // A book from the template in the place, registered (and made the current
    // one when asked); an empty string when the template cannot be restored.
    QString makeBook(const QString &name, bool registered = true, bool makeCurrent = true)
    {
        const QString folder = place() + QLatin1Char('/') + name;
        QDir().mkpath(folder);
        if (!CreateBookFromTemplate(folder))
            return QString();
        if (registered)
            RegisterBook(name, folder, makeCurrent);
        return folder;
    }
};

} // namespace BookFixture
