#pragma once

#include <memory>

#include <QDir>
#include <QFile>
#include <QtTest>

#include "TestEnv.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/DatModSchema.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"

// An empty book in a temporary folder, opened through the data module (which
// installs its table events itself), plus a few categories of each kind.
struct JournalBook
{
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TDatMod> dm;
    int salary = 0;   // income category 給与
    int food = 0;     // expense category 食費 (tax 無指定)
    int bank = 0;     // account 銀行A
    int card = 0;     // credit account カードA

    void open()
    {
        env = std::make_unique<TestEnv>();
        const QString folder = env->path(QStringLiteral("books/家計簿"));
        QDir().mkpath(folder);
        {
            Database db;
            db.open(folder + QStringLiteral("/PomuZenitData.db"), QString(), true);
            DatModSchema::createEmptyBook(db);
            db.close();
            QFile ini(folder + QStringLiteral("/PomuZenitData.ini"));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[DataLevel]\nDataLevel=6\n");
        }
        dm = std::make_unique<TDatMod>();
        RegIni->WriteStringAndUpdate(QStringLiteral("CurrentFolders"), QStringLiteral("DataPlace"),
                                     env->path(QStringLiteral("place")));
        dm->OnCheckHolidays = [] {};
        QString f = folder;
        QVERIFY(dm->OpenBook(QStringLiteral("家計簿"), f));
        QVERIFY(dm->DataOpen);
        salary = addHimoku(QStringLiteral("給与"), 1, 0);
        food = addHimoku(QStringLiteral("食費"), 2, 3);
        bank = addHimoku(QStringLiteral("銀行A"), 5, 0);
        card = addHimoku(QStringLiteral("カードA"), 9, 0);
        LoadHimokuCaches(dm->MainDatabase);
        CurLockDate = QDate();
    }

    void close()
    {
        CurLockDate = QDate();
        dm.reset();
        env.reset();
    }

    int addHimoku(const QString &name, int bunrui, int zeiAtukai)
    {
        Table &t = *dm->HimokuTbl;
        t.append();
        SetHimokuDefaults(t, bunrui);
        t.fieldByName(QStringLiteral("NAME"))->setAsString(name);
        t.fieldByName(QStringLiteral("ZEIATUKAI"))->setAsInteger(zeiAtukai);
        t.post();
        return t.fieldByName(QStringLiteral("CODE"))->asInteger();
    }

    TMeisaiClientDataSet &lines()
    {
        TMeisaiClientDataSet *m = MeisaiClt(*dm);
        if (!m->isActive()) {
            // A page loads one day or slip; here none, so the lines start empty.
            m->setCommandText(QStringLiteral("SELECT * FROM MASTER.DB WHERE DATANO < 0"));
            m->open();
        }
        return *m;
    }
};
