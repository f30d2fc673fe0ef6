#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QList>
#include <QObject>
#include <QString>

#include "data/DatModLock.h"
#include "data/MeisaiClientDataSet.h"
#include "platform/db/Database.h"

class DataSet;
class Provider;
class Query;
class Table;

// The data module: owns the open book for the whole run. One instance, DatMod,
// made first at start-up and destroyed last.
//
// It holds the database connection MainDatabase on the book's database file,
// one Table per book table (and four filtered views of the master tables), its
// own queries and the three journal client data sets. It opens a book (check the
// folder, log in with the data password, repair, open the tables, read the
// per-book settings into the program-wide values), flushes it (CommitDataChanges)
// and closes it, writing an automatic backup generation.
//
// Opening a book from its folder, as the book management does it:
//     QString folder = ...;
//     if (DatMod->OpenDataFolder(name, folder) && DatMod->FolderReady)
//         DatMod->LoginAndOpen();
//     // the book is open when DatMod->DataOpen
// or DatMod->OpenBook(name, folder), which does the same.
//
// Lock file: while a book is pointed at or open, the module holds a shared flock
// on "PomuZenitData.lck" in the book folder; the repair at every opening runs
// only when it can make that lock exclusive (no other process has the book).
class TDatMod : public QObject
{
    Q_OBJECT
public:
    explicit TDatMod(QObject *parent = nullptr);
    ~TDatMod() override;

    // ---- components -------------------------------------------------------

    Database MainDatabase;

    // The book tables in component order.
    Table *ZeiLstTbl = nullptr;      // "ZeiList.DB"
    Table *HinmeiMstTbl = nullptr;   // "HinmeiMast.db"
    Table *HinmeiLstTbl = nullptr;   // "HinmeiList.db"
    Table *PersonTbl = nullptr;      // "Person.DB"
    Table *ShopLstTbl = nullptr;     // "ShopList.db"
    Table *ShopMstTbl = nullptr;     // "ShopMast.db"
    Table *HimokuTbl = nullptr;      // "Himoku.db"
    Table *AutoIncTbl = nullptr;     // "AutoInc.db"
    Table *MasterTbl = nullptr;      // "Master.DB"
    Table *YosanTbl = nullptr;       // "Yosan.db"
    Table *MemoTbl = nullptr;        // "Memo.db"
    Table *NumberTbl = nullptr;      // "Number.db"
    Table *DayMstTbl = nullptr;      // "DateMast.DB"
    Table *DateLstTbl = nullptr;     // "DateList.db"
    Table *ReserveLstTbl = nullptr;  // "ReserveList.DB"
    Table *SimebiListTbl = nullptr;  // "SimebiList.db"
    // Views of user rows only (filtered by code).
    Table *HinmeiMstTbl2 = nullptr;  // CODE > 100
    Table *ShopMstTbl2 = nullptr;    // CODE > 100
    Table *PersonTbl2 = nullptr;     // CODE > 100
    Table *HimokuTbl2 = nullptr;     // CODE > 99

    Query *MesaiSql = nullptr;       // "SELECT * FROM MASTER.DB"
    Query *ReceiptSql = nullptr;     // text set by the slip list
    Query *PageSimebiSql = nullptr;  // closing-day fields of one category (live)
    Query *SelecterSql = nullptr;    // choice lists of the selector
    Query *FukuSelecterSql = nullptr;
    Provider *MeisaiPrv = nullptr;   // over MesaiSql, writes Master.DB
    Provider *ReceiptPrv = nullptr;  // over ReceiptSql
    // The journal data sets, with the module's row events and field rules
    // installed when the module is made (InstallTableEvents).
    TMeisaiClientDataSet *MeisaiClt = nullptr;  // journal lines of the shown day, slip or card
    TMeisaiClientDataSet *ReceiptClt = nullptr; // one row per slip, filter "RECEIPTNO <> 0"
    TMeisaiClientDataSet *CopyClt = nullptr;    // the journal pages' line clipboard (in memory)

    // Every table of the module (the sixteen, then the four views), in component order.
    QList<Table *> tables() const;
    // The table on a file name in any case ("master.db"), or a view by component
    // name (HimokuTbl2); nullptr when none.
    Table *tableByName(const QString &name) const;

    // Data sets of other owners on the book (pages and dialogs; the query
    // module's are known already) that the close and the flush must close and
    // reopen along with the module's own: closed ones stay closed, open ones are
    // opened again. An owner unregisters its data set before destroying it.
    void RegisterDataSet(DataSet *dataSet);
    void UnregisterDataSet(DataSet *dataSet);

    // ---- state ------------------------------------------------------------

    bool DataChanged = false;        // something was written since the last flush
    bool FolderReady = false;        // the last folder opening reached an open database
    bool DataOpen = false;           // the book's tables are open
    bool IsUncFolder = false;        // the book lives on a network path
    bool SuspendFieldEvents = false; // journal switches (field rules)
    bool KeepDataNo = false;
    bool BulkEditing = false;
    bool PasswordCancelled = false;  // the user cancelled the data-password dialog
    bool StartupCancelled = true;    // no book was opened by the start-up (chooser closed)
    // The book failed its integrity check or the engine reported damage in
    // this session: its automatic backup is kept apart from the good
    // generations, and the next opening checks it.
    bool BookDamaged = false;
    QString DataFolder;              // folder of the open (or pointed-at) book
    QString ShortDataFolder;         // the same folder (there are no short paths here)
    QString BookName;                // name of the open book
    // The prompt the password dialog shows next.
    QString PasswordPrompt;
    // Whether the password dialog hides what is typed (the first entry of a
    // new password is shown).
    bool PasswordMasked = true;
    // The last repair could not bring the book to the current schema level
    // (said); the log-in then leaves the book closed.
    bool SchemaUpgradeFailed = false;

    // ---- operations -------------------------------------------------------

    // The start-up opening, run once when the main window is first shown: with
    // no registered book the first-book hook, with one the book itself, with more
    // the chooser hook. False when the start-up opening failed; the window
    // treats a book as open when FolderReady && DataOpen && !StartupCancelled.
    bool OpenAtStartup();
    // Points the module at a book folder: checks it (offering to pick a moved
    // folder, and to store the correction, which is then handed back in folder),
    // takes the shared lock and opens the database. True when FolderReady.
    bool OpenDataFolder(const QString &name, QString &folder, bool skipTableCheck = false);
    // Logs in (asking the data password when the book has one), repairs, opens
    // the tables and reads the book's settings. True when the book is open.
    bool LoginAndOpen();
    // OpenDataFolder, then LoginAndOpen when the folder is ready.
    bool OpenBook(const QString &name, QString &folder);
    // Closes every data set of the book and the database; client data sets stay
    // open. The per-book store is flushed and freed. removePasswords forgets the
    // data password, so the next log-in asks for it again.
    void CloseData(bool removePasswords);
    // Opens the database and every table, the other data sets that were open,
    // and makes the per-book store. exclusive is accepted for the callers' sake;
    // exclusion between processes is the lock file's.
    void OpenData(bool exclusive);
    // Closes the book (passwords removed), writes the automatic backup
    // generation when asked, and lets go of the book folder.
    void CloseAndBackUp(bool writeBackUp);
    // Re-reads every table, so rows written by another process show.
    void RefreshTables();
    // Integrity check (quick_check; a damaged book gets its indexes rebuilt
    // and is checked again), schema upgrade, duplicate category check and the
    // missing indexes made again of the book in folder; false when it stopped
    // early (another process has the book, the check still fails). The book
    // opens either way.
    bool RepairDataFiles(const QString &folder);
    // The parent folder of new books.
    QString GetDataPlace();
    // Makes sure the work folder exists and is writable (asking for another
    // place when the temporary folder is not usable).
    bool EnsureWorkFolders();
    // Tests that the book can be read, asking for the data password while it
    // cannot; false when cancelled (PasswordCancelled) or on an error (shown).
    bool ProbeAutoInc();
    // Sets, changes or removes the data password of the open book: closes it
    // with the automatic generation, asks the current password (when it has
    // one) and the new one twice, and writes the book again under the new key
    // (an empty one leaves it plain). The book stays closed; the caller logs
    // in again, which asks nothing. False when cancelled or refused (said).
    bool ChangeDataPassword();
    // Reads the per-book settings into the program-wide values (the lock date
    // also into the journal data sets) and runs the after-open hooks.
    void ApplyBookSettings();
    // Writes the automatic backup generation of the closed book (a damaged
    // book's archive apart from the generations); false (and the user told)
    // when it failed.
    bool WriteAutoBackUp();
    // The table flush: when something changed, closes and reopens every data
    // set of the book and recreates the per-book store. See CommitDataChanges.
    void FlushTables();

    // After-post and after-delete handler of every table: records the change.
    void MasterTblAfterPost(DataSet &dataSet);

    // ---- hooks of other parts ---------------------------------------------

    // The first start: base folder, start choice and new book (or conversion).
    // Returns true on success; the book is then pointed at (OpenDataFolder).
    std::function<bool(TDatMod &)> OnStartFirstBook;
    // The book chooser at start-up; opens the chosen book itself and clears
    // StartupCancelled when it did.
    std::function<void(TDatMod &)> OnChooseBook;
    // The data-password dialog: shows prompt, gives the typed text; false when
    // cancelled. Without it the platform's input box asks.
    std::function<bool(const QString &prompt, QString &password)> OnAskPassword;
    // Brings the book up to the current schema level (connection open on the
    // book, tables of the module closed). Raises on failure. Not set: the
    // book's level is taken as it is.
    std::function<void(Database &db, const QString &folder)> OnUpgradeSchema;
    // The main window's caption text ("自動バックアップ中", "オフライン").
    std::function<void(const QString &text)> OnCaptionText;
    // After the book's values are read: caption and page arrangement.
    std::function<void()> OnShowBook;
    // This year's holiday check after an opening (between the category caches
    // and the holiday list, which the module rebuilds itself). Not set: the
    // query module's check with the calendar dialog, when there is a query
    // module on this module's database.
    std::function<void()> OnCheckHolidays;
    // The book could not be reopened after a failed flush and counts as closed
    // (the window shows the management page alone).
    std::function<void()> OnBookLost;

private:
    // The database engine's password request: asks the password hook; false
    // when the user cancelled.
    bool Session1Password();
    // Checks the folder and the book database; shows the failure.
    bool CheckDataFolder(const QString &folder, bool skipTableCheck);
    void CloseDataSets();
    // The data sets other than the tables that the close and reopen take care
    // of: the module's queries, the query module's and the registered ones.
    QList<DataSet *> otherDataSets() const;
    // Closes everything without posting pending edits and without failing:
    // the way out when the orderly close could not finish.
    void abandonBook(bool removePasswords);
    void openDatabase();
    bool CheckDuplicateHimokuCodes(Database &db);
    void setCaption(const QString &text);
    QString databasePath(const QString &folder) const;
    bool missingTable(Database &db, QString *fileName) const;

    std::vector<std::unique_ptr<Table>> m_tables;
    std::vector<std::unique_ptr<Query>> m_queries;
    std::vector<std::unique_ptr<Provider>> m_providers;
    std::vector<std::unique_ptr<TMeisaiClientDataSet>> m_clients;
    QList<DataSet *> m_external;
    QString m_sessionKey;   // the data password while the book is logged in
    TDatModLock m_lock;
    bool m_ownsRegIni = false;
};

// The one data module of the program.
extern TDatMod *DatMod;
// The work folder of the run and whether it is usable.
extern QString WorkFolder;
extern bool WorkFolderReady;

// Whether the result rows of PRAGMA quick_check tell of damage, so that the
// repair rebuilds the indexes (anything but the single row "ok").
bool BookNeedsIndexRebuild(const QStringList &quickCheck);

// The table flush: does nothing without the data module, without an open book
// or while nothing changed; otherwise closes and reopens every data set of the book under the
// hourglass (client data sets keep their rows and change logs), recreates the
// per-book store and clears DataChanged. An error propagates with the flag
// still set, the book left usable; when it cannot be reopened at all the book
// counts as closed and the user is told.
void CommitDataChanges();
