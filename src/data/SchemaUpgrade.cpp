#include "data/SchemaUpgrade.h"

#include <QFile>

#include "data/BookSchema.h"
#include "data/MyMemIniFile.h"
#include "data/RecordNumbers.h"
#include "data/SchemaUpgradeFirst.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"

namespace {

bool hasColumn(Database &db, const QString &table, const QString &column)
{
    Statement info(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    while (info.next())
        if (info.textValue(1).compare(column, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void renameSystemCategories(Database &db)
{
    const QList<QPair<int, QString>> names{{11, QStringLiteral("口座フリー入力用")},
                                           {12, QStringLiteral("金券入力用")},
                                           {13, QStringLiteral("レシート入力用")}};
    for (const auto &[code, name] : names)
        db.scalar(QStringLiteral("UPDATE Himoku SET NAME = ? WHERE CODE = ?"), {name, code});
}

void addColumnZero(Database &db, const QString &table, const QString &column)
{
    if (!hasColumn(db, table, column))
        db.exec(QStringLiteral("ALTER TABLE \"%1\" ADD COLUMN %2 SMALLINT").arg(table, column));
    // A table rebuilt in the new layout by an earlier step has the column empty.
    db.exec(QStringLiteral("UPDATE \"%1\" SET %2 = 0 WHERE %2 IS NULL").arg(table, column));
}

int addToCounter(Database &db, const QString &table, int n)
{
    const QString name = table.toLower();
    if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM AutoInc WHERE NAME = ?"), {name}).toInt() == 0)
        db.scalar(QStringLiteral("INSERT INTO AutoInc (NAME, MAXNO) VALUES (?, 0)"), {name});
    db.scalar(QStringLiteral("UPDATE AutoInc SET MAXNO = COALESCE(MAXNO, 0) + ? WHERE NAME = ?"), {n, name});
    return db.scalar(QStringLiteral("SELECT MAXNO FROM AutoInc WHERE NAME = ?"), {name}).toInt();
}

// The 2007 holiday law: May 4 becomes みどりの日 and April 29 昭和の日.
// Only the generated holidays carrying the old names are renamed; a user's own
// day on those dates keeps its name.
void upgradeShowaDay(Database &db)
{
    const QVariant may4 =
        db.scalar(QStringLiteral("SELECT DATANO FROM DateMast WHERE AMONTH = 5 AND ADAY = 4 ORDER BY DATANO LIMIT 1"));
    const QVariant no = may4.isNull() ? QVariant(addToCounter(db, QStringLiteral("DateMast.DB"), 1)) : may4;
    if (may4.isNull())
        db.scalar(QStringLiteral("INSERT INTO DateMast (DATANO) VALUES (?)"), {no});
    db.scalar(QStringLiteral("UPDATE DateMast SET NAME = 'みどりの日', AYEAR = 0, AMONTH = 5, ADAY = 4, AWEEK = 0, "
                             "YOBI = 0, TYPE = 1, STARTDAY = '2007-01-01', ENDDAY = NULL WHERE DATANO = ?"),
              {no});
    db.exec(QStringLiteral("UPDATE DateMast SET ENDDAY = '2006-12-31' WHERE AMONTH = 4 AND ADAY = 29 "
                           "AND NAME <> '昭和の日'"));
    if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM DateMast WHERE NAME = '昭和の日'")).toInt() == 0)
        db.scalar(QStringLiteral("INSERT INTO DateMast (DATANO, NAME, AYEAR, AMONTH, ADAY, AWEEK, YOBI, TYPE, "
                                 "STARTDAY, ENDDAY) VALUES (?, '昭和の日', 0, 4, 29, 0, 0, 1, '2007-01-01', NULL)"),
                  {addToCounter(db, QStringLiteral("DateMast.DB"), 1)});
    db.exec(QStringLiteral("UPDATE DateList SET NAME = 'みどりの日' WHERE RECDATE >= '2007-01-01' "
                           "AND strftime('%m-%d', RECDATE) = '05-04' AND TYPE = 1 AND NAME = '国民の休日'"));
    db.exec(QStringLiteral("UPDATE DateList SET NAME = '昭和の日' WHERE RECDATE >= '2007-01-01' "
                           "AND strftime('%m-%d', RECDATE) = '04-29' AND TYPE = 1 AND NAME = 'みどりの日'"));
}

} // namespace

int CurrentBookLevel()
{
    return BookSchema::Level;
}

void UpgradeBookSchema(Database &db, const QString &folder)
{
    TMyMemIniFile ini(TMyMemIniFile::fileIn(folder));
    int level = ini.ReadOrWriteInteger(QStringLiteral("DataLevel"), QStringLiteral("DataLevel"), 0);
    if (level >= BookSchema::Level)
        return;
    // A book whose level number was lost but whose tables are newer than the
    // first release's counts as level 1: the later steps look for themselves.
    const bool firstLayout = level < 1 && !FirstLayoutDone(db);
    if (level < 1)
        level = 1;
    // The question comes before the transaction: nothing waits on the user
    // while the book is being written.
    // A book that has the 2007 holidays already is not asked again.
    const bool showaDay = level <= 4
        && db.scalar(QStringLiteral("SELECT COUNT(*) FROM DateMast WHERE NAME = '昭和の日'")).toInt() == 0
        && MessageDlg(QStringLiteral("2007年より4月29日を昭和の日、5月4日を緑の日\rに修正してよろしいですか？"),
                      MsgDlgType::Information, mbOKCancel)
            == mrOk;

    const QString file = db.path();
    const QString copy = file + QStringLiteral(".upgrade");
    QFile::remove(copy);
    if (!QFile::copy(file, copy))
        throw EDatabaseError(QStringLiteral("家計簿の写しを作れないため、形式を新しくできません: ") + copy);
    try {
        Transaction upgrade(db, Database::TransactionMode::Immediate);
        if (firstLayout)
            UpgradeFirstLayout(db);
        if (level <= 1) {
            renameSystemCategories(db);
            addColumnZero(db, QStringLiteral("Himoku"), QStringLiteral("SIMEHOLIDAYSHIFT"));
        }
        if (level <= 2)
            db.exec(QStringLiteral("UPDATE HinmeiMast SET NAME = '残高調整', QUANTITY = 1.0, GAKU = 0, ZEIATUKAI = 0 "
                                   "WHERE CODE = 5"));
        if (level <= 3)
            db.exec(QStringLiteral("UPDATE SimebiList SET SIMEBI = 31 WHERE SIMEBI = 0"));
        if (level <= 4 && showaDay)
            upgradeShowaDay(db);
        if (level <= 5)
            addColumnZero(db, QStringLiteral("Himoku"), QStringLiteral("SIMEADDDAY"));
        upgrade.commit();
    } catch (const EDatabaseError &e) {
        QFile::remove(copy);
        throw EDatabaseError(QStringLiteral("家計簿の形式を新しくできませんでした。家計簿は元のままです。\r")
                             + e.message());
    } catch (const ERecordNumberError &e) {
        QFile::remove(copy);
        throw EDatabaseError(QStringLiteral("家計簿の形式を新しくできませんでした。家計簿は元のままです。\r")
                             + e.message());
    }
    ini.WriteIntegerAndUpdate(QStringLiteral("DataLevel"), QStringLiteral("DataLevel"), BookSchema::Level);
    QFile::remove(copy);
}
