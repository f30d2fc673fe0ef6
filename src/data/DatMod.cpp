#include "data/DatMod.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFileInfo>

#include "data/BookCheck.h"
#include "data/DataPassword.h"
#include "data/DatModBackUp.h"
#include "data/DatModEvents.h"
#include "data/DatModSchema.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/RecordNumbers.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/LocalSql.h"
#include "platform/db/Provider.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/system/Exception.h"
#include "platform/system/FileOps.h"
#include "platform/system/Folders.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

TDatMod *DatMod = nullptr;
QString WorkFolder;
bool WorkFolderReady = false;

namespace {

const QString WorkFolderName = QStringLiteral("PomuTempDir");

FieldType fieldTypeOf(QChar letter)
{
    switch (letter.unicode()) {
    case 'S': return FieldType::Smallint;
    case 'I': return FieldType::Integer;
    case 'N': return FieldType::Float;
    case '$': return FieldType::Currency;
    case 'D': return FieldType::Date;
    case 'L': return FieldType::Boolean;
    case 'A': return FieldType::String;
    default: return FieldType::Memo;
    }
}

FieldDef fieldDefOf(const DatModSchema::Column &column)
{
    FieldDef def;
    def.name = column.name;
    def.type = fieldTypeOf(column.type);
    def.size = column.size;
    def.kind = column.calculated ? FieldKind::InternalCalc : FieldKind::Data;
    def.key = column.name == QLatin1String("DATANO");
    return def;
}

QString errorText(const std::exception &e)
{
    if (auto *db = dynamic_cast<const EDatabaseError *>(&e))
        return db->message();
    if (auto *ds = dynamic_cast<const EDataSetError *>(&e))
        return ds->message();
    if (auto *ex = dynamic_cast<const Exception *>(&e))
        return ex->message();
    return QString::fromUtf8(e.what());
}

bool samePath(const QString &a, const QString &b)
{
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

} // namespace

TDatMod::TDatMod(QObject *parent) : QObject(parent)
{
    if (!RegIni) {
        RegIni = new TMyRegistryIniFile();
        m_ownsRegIni = true;
    }

    // Tables in component order, then the views of user rows.
    for (const DatModSchema::TableInfo &info : DatModSchema::tables()) {
        auto table = std::make_unique<Table>(MainDatabase, info.fileName);
        table->setName(info.component);
        m_tables.push_back(std::move(table));
    }
    for (const DatModSchema::ViewInfo &view : DatModSchema::filteredViews()) {
        auto table = std::make_unique<Table>(MainDatabase, view.fileName);
        table->setName(view.component);
        table->setFilter(view.filter);
        table->setFiltered(true);
        m_tables.push_back(std::move(table));
    }
    auto tableNamed = [this](const char *component) {
        for (const auto &t : m_tables)
            if (t->name() == QLatin1String(component))
                return t.get();
        return static_cast<Table *>(nullptr);
    };
    ZeiLstTbl = tableNamed("ZeiLstTbl");
    HinmeiMstTbl = tableNamed("HinmeiMstTbl");
    HinmeiLstTbl = tableNamed("HinmeiLstTbl");
    PersonTbl = tableNamed("PersonTbl");
    ShopLstTbl = tableNamed("ShopLstTbl");
    ShopMstTbl = tableNamed("ShopMstTbl");
    HimokuTbl = tableNamed("HimokuTbl");
    AutoIncTbl = tableNamed("AutoIncTbl");
    MasterTbl = tableNamed("MasterTbl");
    YosanTbl = tableNamed("YosanTbl");
    MemoTbl = tableNamed("MemoTbl");
    NumberTbl = tableNamed("NumberTbl");
    DayMstTbl = tableNamed("DayMstTbl");
    DateLstTbl = tableNamed("DateLstTbl");
    ReserveLstTbl = tableNamed("ReserveLstTbl");
    SimebiListTbl = tableNamed("SimebiListTbl");
    HinmeiMstTbl2 = tableNamed("HinmeiMstTbl2");
    ShopMstTbl2 = tableNamed("ShopMstTbl2");
    PersonTbl2 = tableNamed("PersonTbl2");
    HimokuTbl2 = tableNamed("HimokuTbl2");
    for (const auto &t : m_tables) {
        t->AfterPost = [this](DataSet &ds) { MasterTblAfterPost(ds); };
        t->AfterDelete = [this](DataSet &ds) { MasterTblAfterPost(ds); };
    }

    auto makeQuery = [this](const char *name) {
        auto query = std::make_unique<Query>(MainDatabase);
        query->setName(QLatin1String(name));
        Query *q = query.get();
        m_queries.push_back(std::move(query));
        return q;
    };
    MesaiSql = makeQuery("MesaiSql");
    MesaiSql->SQL << QStringLiteral("SELECT * FROM MASTER.DB");
    ReceiptSql = makeQuery("ReceiptSql");
    PageSimebiSql = makeQuery("PageSimebiSql");
    PageSimebiSql->SQL << QStringLiteral("SELECT CODE,SIMEBI,SIMEHISTROY,SIMESHIFT,SIMEHOLIDAYSHIFT,SIMEADDDAY")
                       << QStringLiteral("FROM Himoku.db") << QStringLiteral("WHERE CODE = :Code");
    PageSimebiSql->setRequestLive(true);
    PageSimebiSql->AfterPost = [this](DataSet &ds) { MasterTblAfterPost(ds); };
    SelecterSql = makeQuery("SelecterSql");
    FukuSelecterSql = makeQuery("FukuSelecterSql");

    m_providers.push_back(std::make_unique<Provider>(*MesaiSql, QStringLiteral("Master.DB")));
    MeisaiPrv = m_providers.back().get();
    m_providers.push_back(std::make_unique<Provider>(*ReceiptSql, QStringLiteral("Master.DB")));
    ReceiptPrv = m_providers.back().get();

    QList<FieldDef> meisaiDefs;
    for (const DatModSchema::Column &c : DatModSchema::meisaiColumns())
        meisaiDefs << fieldDefOf(c);

    auto makeClient = [this](const char *name) {
        auto client = std::make_unique<TMeisaiClientDataSet>();
        client->setName(QLatin1String(name));
        TMeisaiClientDataSet *c = client.get();
        m_clients.push_back(std::move(client));
        return c;
    };
    MeisaiClt = makeClient("MeisaiClt");
    MeisaiClt->setProvider(MeisaiPrv);
    MeisaiClt->setFieldDefs(meisaiDefs);

    ReceiptClt = makeClient("ReceiptClt");
    ReceiptClt->setProvider(ReceiptPrv);
    {
        QList<FieldDef> calc;
        for (const DatModSchema::Column &c : DatModSchema::receiptCalcColumns())
            calc << fieldDefOf(c);
        auto calcNamed = [&calc](const QString &name) {
            for (const FieldDef &d : calc)
                if (d.name == name)
                    return d;
            return FieldDef{name, FieldType::Integer, 0, FieldKind::InternalCalc, false};
        };
        auto data = [](const QString &name, FieldType type) {
            return FieldDef{name, type, 0, FieldKind::Data, false};
        };
        ReceiptClt->setFieldDefs({calcNamed(QStringLiteral("RecDate")), data(QStringLiteral("RECEIPTNO"), FieldType::Integer),
                                  calcNamed(QStringLiteral("ShopCode")), data(QStringLiteral("KINGAKU"), FieldType::Currency),
                                  calcNamed(QStringLiteral("CreditCode")), calcNamed(QStringLiteral("PayKouza")),
                                  calcNamed(QStringLiteral("PayDate")), calcNamed(QStringLiteral("LookupNo")),
                                  data(QStringLiteral("ORIGIN"), FieldType::Smallint), calcNamed(QStringLiteral("ShopName")),
                                  calcNamed(QStringLiteral("KariGaku")), calcNamed(QStringLiteral("KasiGaku"))});
    }
    ReceiptClt->setFilter(DatModSchema::receiptFilter());
    ReceiptClt->setFiltered(true);

    CopyClt = makeClient("CopyClt");
    CopyClt->setFieldDefs(meisaiDefs);
    CopyClt->createDataSet();

    // Row events, field rules and the journal events (a post or delete of a
    // journal line is a change of the book to come).
    InstallTableEvents(*this);

    PasswordPrompt = QStringLiteral("パスワードの入力 :");
    WorkFolder = JoinPath(GetTempFolder(), WorkFolderName);
    WorkFolderReady = false;
    if (!DatMod)
        DatMod = this;
}

TDatMod::~TDatMod()
{
    try {
        CloseData(true);
    } catch (...) {
        // Nothing can be told any more at the end of the run.
    }
    m_lock.release();
    delete DataIni;
    DataIni = nullptr;
    ClearHimokuCaches();
    if (m_ownsRegIni) {
        delete RegIni;
        RegIni = nullptr;
    }
    // The work folder is the run's own; remove it only when it is the one this
    // module made under its own name.
    if (WorkFolderReady && QDir::cleanPath(WorkFolder).endsWith(WorkFolderName))
        FileOps::remove(WorkFolder);
    WorkFolderReady = false;
    if (DatMod == this)
        DatMod = nullptr;
}

QList<Table *> TDatMod::tables() const
{
    QList<Table *> out;
    for (const auto &t : m_tables)
        out << t.get();
    return out;
}

Table *TDatMod::tableByName(const QString &name) const
{
    for (const auto &t : m_tables)
        if (t->name().compare(name, Qt::CaseInsensitive) == 0)
            return t.get();
    for (const auto &t : m_tables)
        if (t->tableName().compare(name, Qt::CaseInsensitive) == 0)
            return t.get();
    return nullptr;
}

void TDatMod::RegisterDataSet(DataSet *dataSet)
{
    if (dataSet && !m_external.contains(dataSet))
        m_external << dataSet;
}

void TDatMod::UnregisterDataSet(DataSet *dataSet)
{
    m_external.removeAll(dataSet);
}

void TDatMod::MasterTblAfterPost(DataSet &)
{
    DataChanged = true;
}

QString TDatMod::databasePath(const QString &folder) const
{
    return JoinPath(folder, DatModSchema::databaseFileName());
}

void TDatMod::setCaption(const QString &text)
{
    if (OnCaptionText)
        OnCaptionText(text);
}

// ---- work folder ----------------------------------------------------------

bool TDatMod::EnsureWorkFolders()
{
    if (WorkFolderReady)
        return true;
    const QString systemTemp = GetTempFolder();
    QString folder = JoinPath(systemTemp, WorkFolderName);
    bool ready = CheckFolderWritable(folder);
    if (!ready) {
        const QString chosenBefore = RegIni->readString(QStringLiteral("BDEFolders"), WorkFolderName, QString());
        if (!chosenBefore.isEmpty()) {
            folder = JoinPath(chosenBefore, WorkFolderName);
            ready = CheckFolderWritable(folder);
        }
    }
    if (!ready) {
        const QString chosen =
            SelectFolderDialog(nullptr, QStringLiteral("作業用フォルダの場所を指定してください。"), QString());
        if (chosen.isEmpty())
            return false;
        folder = JoinPath(chosen, WorkFolderName);
        if (!CheckFolderWritable(folder)) {
            MessageDlg(QStringLiteral("指定されたフォルダは使用できません。\rファイル操作権限など確認してください。"),
                       MsgDlgType::Error, mbOK);
            return false;
        }
        RegIni->WriteStringAndUpdate(QStringLiteral("BDEFolders"), WorkFolderName,
                                     samePath(chosen, systemTemp) ? QString() : chosen);
    }
    WorkFolder = folder;
    WorkFolderReady = true;
    return true;
}

// ---- start-up ---------------------------------------------------------------

bool TDatMod::OpenAtStartup()
{
    DataOpen = false;
    StartupCancelled = false;
    try {
        const QString section = QStringLiteral("DataFolders");
        const QStringList books = RegIni->readSection(section);
        if (books.isEmpty()) {
            if (!OnStartFirstBook || !OnStartFirstBook(*this))
                return false;
            if (FolderReady)
                LoginAndOpen();
        } else if (books.size() == 1) {
            // "Current" may still name a book that was taken off the list; the
            // one listed book is opened then, and nothing is registered anew.
            const QString current = RegIni->readString(QStringLiteral("CurrentFolders"), QStringLiteral("Current"),
                                                       QStringLiteral("Default"));
            QString name = books.first();
            if (RegIni->valueExists(section, current))
                name = current;
            QString folder = RegIni->readString(section, name, QString());
            if (!OpenDataFolder(name, folder, false))
                return false;
            if (FolderReady)
                LoginAndOpen();
        } else {
            StartupCancelled = true;
            if (OnChooseBook)
                OnChooseBook(*this);
        }
    } catch (const EAbort &) {
        return false;
    } catch (const std::exception &e) {
        ShowExceptionBox(errorText(e));
        return false;
    }
    DataChanged = false;
    return true;
}

// ---- pointing at a folder -----------------------------------------------------

bool TDatMod::missingTable(Database &db, QString *fileName) const
{
    for (const DatModSchema::TableInfo &t : DatModSchema::tables()) {
        if (!db.tableExists(t.name)) {
            *fileName = t.fileName;
            return true;
        }
    }
    return false;
}

bool TDatMod::CheckDataFolder(const QString &folder, bool skipTableCheck)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        MessageDlg(QStringLiteral("家計簿のデータフォルダが見つかりません。\r\n\r\n") + folder, MsgDlgType::Error, mbOK);
        return false;
    }
    if (skipTableCheck)
        return true;
    const QString path = databasePath(folder);
    if (!QFileInfo(path).isFile()) {
        MessageDlg(QStringLiteral("テーブルが見つかりません。\r") + DatModSchema::databaseFileName(), MsgDlgType::Error,
                   mbOK);
        return false;
    }
    // The tables of a book with a data password can only be listed after the
    // log-in, which checks them then.
    try {
        Database probe;
        probe.open(path);
        if (probe.canRead()) {
            QString missing;
            if (missingTable(probe, &missing)) {
                MessageDlg(QStringLiteral("テーブルが見つかりません。\r") + missing, MsgDlgType::Error, mbOK);
                return false;
            }
        }
    } catch (const EDatabaseError &) {
        // The log-in reports what the engine says about the file.
    }
    return true;
}

bool TDatMod::OpenDataFolder(const QString &name, QString &folder, bool skipTableCheck)
{
    FolderReady = false;
    if (!EnsureWorkFolders())
        return false;

    QString checked = folder;
    while (!CheckDataFolder(checked, skipTableCheck)) {
        if (MessageDlg(QStringLiteral("データフォルダの設定を修正しますか？"), MsgDlgType::Information,
                       mbYes | mbNo | mbHelp, 10018)
            != mrYes)
            return false;
        const QString picked =
            SelectFolderDialog(nullptr, name + QStringLiteral("　のデータフォルダを指定してください。"), checked);
        if (picked.isEmpty())
            return false;
        checked = picked;
    }
    if (!samePath(checked, folder)) {
        if (MessageDlg(QStringLiteral("修正したデータフォルダの設定を保存しますか"), MsgDlgType::Information, mbYesNo)
            == mrYes) {
            RegIni->WriteStringAndUpdate(QStringLiteral("DataFolders"), name, checked);
            folder = checked;
        }
    }

    // Leaving the previous book: its data sets close and its folder is let go.
    if (DataOpen || MainDatabase.isOpen())
        CloseData(false);
    MainDatabase.close();
    if (!samePath(m_lock.folder(), checked))
        m_lock.release();
    if (!samePath(DataFolder, checked) || BookName != name)
        BookDamaged = false;
    DataFolder = checked;
    BookName = name;
    ShortDataFolder = checked;
    IsUncFolder = checked.startsWith(QLatin1String("\\\\")) || checked.startsWith(QLatin1String("//"));

    try {
        openDatabase();
    } catch (const EDatabaseError &e) {
        if (!e.isBusy())
            MessageDlg(QStringLiteral("データベースエンジンのテスト失敗"), MsgDlgType::Error, mbOK);
        MessageDlg(e.message(), MsgDlgType::Error, mbOK);
        return false;
    }
    FolderReady = true;
    return true;
}

bool TDatMod::OpenBook(const QString &name, QString &folder)
{
    if (!OpenDataFolder(name, folder) || !FolderReady)
        return false;
    return LoginAndOpen();
}

void TDatMod::openDatabase()
{
    if (!m_lock.isHeld() && !m_lock.acquireShared(DataFolder)) {
        if (m_lock.wasBusy())
            throw EDatabaseError::own(
                QStringLiteral("家計簿はほかのプログラムが使用中のため開けません。\r") + DataFolder, SQLITE_BUSY);
        throw EDatabaseError(QStringLiteral("ロックファイルを作成できません: ")
                             + JoinPath(DataFolder, TDatModLock::fileName()));
    }
    if (!MainDatabase.isOpen())
        MainDatabase.open(databasePath(DataFolder), m_sessionKey);
}

// ---- log-in -----------------------------------------------------------------

bool TDatMod::Session1Password()
{
    QString typed;
    bool ok;
    if (OnAskPassword)
        ok = OnAskPassword(PasswordPrompt, typed);
    else
        ok = InputQuery(QStringLiteral("パスワード"), PasswordPrompt, typed);
    if (!ok) {
        PasswordCancelled = true;
        return false;
    }
    m_sessionKey = typed;
    PasswordPrompt = QStringLiteral("パスワードが違います。もう一度 :");
    return true;
}

bool TDatMod::ProbeAutoInc()
{
    try {
        openDatabase();
        // A password kept from another book does not open a book without one.
        if (!m_sessionKey.isEmpty() && !MainDatabase.canRead()) {
            MainDatabase.close();
            MainDatabase.open(databasePath(DataFolder));
            if (MainDatabase.canRead())
                m_sessionKey.clear();
        }
        // Only a file that looks encrypted is asked for its password; any
        // other file the engine cannot read is damaged, and reading it gives
        // the engine's own error, said once.
        if (!MainDatabase.canRead() && !BookFileLooksKeyed(databasePath(DataFolder)))
            MainDatabase.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        while (!MainDatabase.canRead()) {
            if (!Session1Password())
                return false;
            MainDatabase.close();
            MainDatabase.open(databasePath(DataFolder), m_sessionKey);
        }
        QString missing;
        if (missingTable(MainDatabase, &missing)) {
            MessageDlg(QStringLiteral("テーブルが見つかりません。\r") + missing, MsgDlgType::Error, mbOK);
            return false;
        }
        MainDatabase.scalar(LocalSql::translate(QStringLiteral("SELECT COUNT(*) FROM \"AutoInc.db\"")));
        return true;
    } catch (const EAbort &) {
        throw;
    } catch (const std::exception &e) {
        if (MainDatabase.damageSeen())
            BookDamaged = true;
        if (!PasswordCancelled)
            MessageDlg(errorText(e), MsgDlgType::Error, mbOK);
        return false;
    }
}

bool TDatMod::LoginAndOpen()
{
    if (!WorkFolderReady && !EnsureWorkFolders())
        return false;
    PasswordCancelled = false;
    DataOpen = false;
    PasswordPrompt = QStringLiteral("パスワードの入力 :");
    if (!ProbeAutoInc())
        return false;
    SchemaUpgradeFailed = false;
    RepairDataFiles(DataFolder);
    if (SchemaUpgradeFailed) {
        CloseData(false);
        return false;
    }
    if (DataChanged)
        FlushTables();
    else
        OpenData(false);
    ApplyBookSettings();
    return true;
}

// ---- repair -----------------------------------------------------------------

bool TDatMod::CheckDuplicateHimokuCodes(Database &db)
{
    Statement counts(db, LocalSql::translate(QStringLiteral("SELECT CODE , COUNT(CODE) AS COUNTCODE\n"
                                                            "FROM \"Himoku.db\"\nGROUP BY CODE")));
    QStringList duplicates;
    while (counts.next())
        if (counts.intValue(1) > 1)
            duplicates << counts.textValue(0);
    if (duplicates.isEmpty())
        return false;
    MessageDlg(QStringLiteral("下記の費目・口座の内部コードが重複しています。\r") + duplicates.join(QLatin1Char(','))
                   + QStringLiteral("\r") + QStringLiteral("修正が必要です。"),
               MsgDlgType::Information, mbOK);
    // New categories must be numbered above every code in use.
    const int maxCode =
        db.scalar(LocalSql::translate(QStringLiteral("SELECT MAX(CODE) AS MAXCODE\nFROM \"Himoku.db\""))).toInt();
    const QVariant counter = db.scalar(QStringLiteral("SELECT MAXNO FROM AutoInc WHERE NAME = ?"),
                                       {QStringLiteral("himoku.db")});
    if (!counter.isValid() || counter.toInt() < maxCode)
        RecordNumbers::SetDataNo(db, QStringLiteral("Himoku.db"), maxCode);
    return true;
}

bool BookNeedsIndexRebuild(const QStringList &quickCheck)
{
    return quickCheck != QStringList{QStringLiteral("ok")};
}

bool TDatMod::RepairDataFiles(const QString &folder)
{
    CloseData(false);

    // The repair works alone on the book: another process that has it open
    // holds a shared lock, and then the repair is skipped without a word.
    TDatModLock ownLock;
    const bool usesBookLock = m_lock.isHeld() && samePath(m_lock.folder(), folder);
    TDatModLock &lock = usesBookLock ? m_lock : ownLock;
    if (!usesBookLock && !ownLock.acquireShared(folder))
        return false;
    if (!lock.tryExclusive())
        return false;
    struct Downgrade
    {
        TDatModLock &lock;
        ~Downgrade() { lock.makeShared(); }
    } downgrade{lock};

    try {
        Database db;
        db.open(databasePath(folder), m_sessionKey);

        auto quickCheck = [&db]() {
            QStringList problems;
            Statement check(db, QStringLiteral("PRAGMA quick_check"));
            while (check.next() && problems.size() < 10)
                problems << check.textValue(0);
            return problems;
        };
        // The engine's own journal brings a book through a crash whole, so the
        // check reads the whole file only when the last session did not close
        // the book; a twenty-year book then opens as fast as a new one.
        const bool closedCleanly = lock.wasClosedCleanly();
        lock.markOpen();
        QStringList problems;
        try {
            problems = closedCleanly ? QStringList{QStringLiteral("ok")}
                                     : CheckBookIntegrity(databasePath(folder), m_sessionKey);
        } catch (const EDatabaseError &e) {
            problems << e.message();
        }
        // The engine keeps its indexes up to date itself: only a book the check
        // finds damaged gets its indexes rebuilt, and it opens as before when
        // that mends it.
        if (BookNeedsIndexRebuild(problems)) {
            try {
                Transaction reindex(db, Database::TransactionMode::Immediate);
                for (const DatModSchema::TableInfo &t : DatModSchema::tables())
                    db.exec(QStringLiteral("REINDEX \"%1\"").arg(t.name));
                reindex.commit();
                problems = quickCheck();
            } catch (const EDatabaseError &e) {
                problems << e.message();
            }
        }
        if (BookNeedsIndexRebuild(problems)) {
            BookDamaged = true;
            MessageDlg(QStringLiteral("家計簿のデータベースに問題があります。\r") + problems.join(QLatin1Char('\r')),
                       MsgDlgType::Error, mbOK);
            return false;
        }
        if (!closedCleanly)
            BookDamaged = false;

        if (OnUpgradeSchema) {
            try {
                OnUpgradeSchema(db, folder);
            } catch (const EDatabaseError &e) {
                // A book left at its older level is not opened: the program
                // reads only the current layout.
                SchemaUpgradeFailed = true;
                MessageDlg(e.message(), MsgDlgType::Error, mbOK);
                return false;
            }
        }

        const bool duplicates = CheckDuplicateHimokuCodes(db);

        // Indexes missing from the book (an older level, a lost one) are made
        // again, all or none.
        Transaction create(db, Database::TransactionMode::Immediate);
        for (const DatModSchema::TableInfo &t : DatModSchema::tables()) {
            if (duplicates && t.name == QLatin1String("Himoku"))
                continue;
            for (int i = 0; i < t.indexNames.size(); ++i)
                db.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1\" ON \"%2\" (%3)")
                            .arg(t.indexNames[i], t.name, t.indexFields[i].join(QStringLiteral(", "))));
        }
        create.commit();
        return true;
    } catch (const EAbort &) {
        return false;
    } catch (const std::exception &e) {
        MessageDlg(errorText(e), MsgDlgType::Error, mbOK);
        return false;
    }
}

// ---- close and reopen ---------------------------------------------------------

QList<DataSet *> TDatMod::otherDataSets() const
{
    QList<DataSet *> sets;
    for (const auto &q : m_queries)
        sets << q.get();
    if (DatModSql && &DatModSql->database() == &MainDatabase)
        for (Query *q : {DatModSql->ListSql, DatModSql->TaxSql, DatModSql->HimokuSql, DatModSql->SimebiSql})
            if (q)
                sets << q;
    sets << m_external;
    return sets;
}

void TDatMod::CloseDataSets()
{
    QList<DataSet *> sets;
    for (const auto &t : m_tables)
        sets << t.get();
    sets << otherDataSets();
    for (DataSet *ds : sets) {
        ds->disableControls();
        if (ds->isEditing())
            ds->post();
        ds->tag = ds->isActive() ? 1 : 0;
        ds->close();
    }
}

void TDatMod::CloseData(bool removePasswords)
{
    DataOpen = false;
    if (MainDatabase.isOpen()) {
        CloseDataSets();
        MainDatabase.close();
    }
    if (removePasswords)
        m_sessionKey.clear();
    if (DataIni) {
        std::unique_ptr<TMyMemIniFile> store(DataIni);
        DataIni = nullptr;
        store->UpdateFile();
    }
}

void TDatMod::abandonBook(bool removePasswords)
{
    QList<DataSet *> sets;
    for (const auto &t : m_tables)
        sets << t.get();
    sets << otherDataSets();
    for (DataSet *ds : sets) {
        try {
            if (ds->isEditing())
                ds->cancel();
            if (ds->isActive()) {
                ds->tag = 1;
                ds->close();
            }
        } catch (const std::exception &) {
        }
    }
    MainDatabase.close();
    if (removePasswords)
        m_sessionKey.clear();
    if (DataIni) {
        std::unique_ptr<TMyMemIniFile> store(DataIni);
        DataIni = nullptr;
        try {
            store->UpdateFile();
        } catch (const std::exception &) {
        }
    }
    DataOpen = false;
}

void TDatMod::OpenData(bool exclusive)
{
    Q_UNUSED(exclusive);
    openDatabase();
    const QList<DataSet *> others = otherDataSets();
    for (const auto &t : m_tables) {
        if (!t->isActive())
            t->open();
        while (t->controlsDisabled())
            t->enableControls();
    }
    for (DataSet *ds : others) {
        if (ds->tag == 1 && !ds->isActive())
            ds->open();
        while (ds->controlsDisabled())
            ds->enableControls();
    }
    if (!DataIni)
        DataIni = new TMyMemIniFile(TMyMemIniFile::fileIn(DataFolder));
    DataOpen = true;
}

void TDatMod::RefreshTables()
{
    for (const auto &t : m_tables)
        if (t->isActive())
            t->refresh();
}

void TDatMod::FlushTables()
{
    try {
        CloseData(false);
        OpenData(false);
    } catch (const std::exception &e) {
        // Leave a usable book: reopen what can be reopened, so the per-book store
        // exists again, and let the error go on to the caller with the flag
        // still set. When even that fails, the book counts as closed.
        const QString why = errorText(e);
        bool reopened = false;
        // Another process's commit holds the book for a moment: a busy answer
        // after the engine's own wait is worth a few more waits before the
        // book is given up as lost.
        for (int attempt = 0; attempt < 3 && !reopened; ++attempt) {
            try {
                OpenData(false);
                reopened = true;
            } catch (const EDatabaseError &again) {
                if (!again.isBusy())
                    break;
            } catch (const std::exception &) {
                break;
            }
        }
        if (reopened)
            throw;
        abandonBook(false);
        FolderReady = false;
        m_lock.release();
        MessageDlg(QStringLiteral("家計簿を開き直せませんでした。家計簿を閉じます。\r") + why, MsgDlgType::Error, mbOK);
        if (OnBookLost)
            OnBookLost();
        throw EAbort();
    }
    DataChanged = false;
}

void CommitDataChanges()
{
    // A closed book has nothing to flush; its flag is settled by the next
    // opening, which flushes in place of the plain reopen.
    if (!DatMod || !DatMod->DataChanged || !DatMod->DataOpen)
        return;
    WaitCursor wait;
    DatMod->FlushTables();
}

// ---- settings of the open book ------------------------------------------------

void TDatMod::ApplyBookSettings()
{
    // Each write reaches the disk: the book of the last session is written only
    // when another one opens.
    if (RegIni->readString(QStringLiteral("CurrentFolders"), QStringLiteral("Current"), QString()) != BookName)
        RegIni->WriteStringAndUpdate(QStringLiteral("CurrentFolders"), QStringLiteral("Current"), BookName);
    TaxCalcMode = uint8_t(DataIni->ReadOrWriteInteger(QStringLiteral("State"), QStringLiteral("TaxCalc"), 0));
    IncludeReservedFlag = DataIni->ReadOrWriteBool(QStringLiteral("State"), QStringLiteral("IncludeReseved"), false);
    TokubetuShowFlag = DataIni->ReadOrWriteBool(QStringLiteral("State"), QStringLiteral("TokubetuShow"), false);
    KouzaUseFlag = DataIni->ReadOrWriteBool(QStringLiteral("State"), QStringLiteral("KouzaUse"), true);
    if (OnShowBook)
        OnShowBook();
    CurSimeTuki = uint16_t(DataIni->ReadOrWriteInteger(QStringLiteral("Sime"), QStringLiteral("SimeTuki"), 12));
    CurShiftNendo = DataIni->ReadOrWriteInteger(QStringLiteral("Sime"), QStringLiteral("ShiftNendo"), 0);
    CurLockDate = DayNumberToDate(DataIni->ReadOrWriteInteger(QStringLiteral("Sime"), QStringLiteral("LockDate"), 0));
    CopyLockDate(*this, CurLockDate);
    LoadHimokuCaches(MainDatabase);
    if (OnCheckHolidays)
        OnCheckHolidays();
    else if (DatModSql && &DatModSql->database() == &MainDatabase)
        DatModSql->CheckBookHolidays(QDate::currentDate().year());
    LoadHolidayList(MainDatabase);
}

// ---- closing ------------------------------------------------------------------

QString TDatMod::GetDataPlace()
{
    const QString place =
        RegIni->ReadOrWriteString(QStringLiteral("CurrentFolders"), QStringLiteral("DataPlace"), QString());
    if (!place.isEmpty())
        return place;
    return JoinPath(Folders::documentsFolder(), QStringLiteral("PomuZenitDir"));
}

bool TDatMod::WriteAutoBackUp()
{
    if (BookName.isEmpty() || DataFolder.isEmpty())
        return true;
    QString folder = RegIni->ReadOrWriteString(QStringLiteral("BackUp"), QStringLiteral("BackUpPlace"), QString());
    if (folder.isEmpty())
        folder = JoinPath(GetDataPlace(), QStringLiteral("AutoBackUp"));
    const int count = RegIni->ReadOrWriteInteger(QStringLiteral("BackUp"), QStringLiteral("AutoBackUpCount"), 10);
    const QString bookFolder = DataFolder;
    const QString name = BookName;
    QString error;
    const TArchiveWriter writer = [&](const QString &file, QString *why) {
        return WriteBookArchive(file, bookFolder, name, why, QStringLiteral("自動バックアップ中"));
    };
    // A damaged book's archive may still save a day's work, but it must never
    // cost the generations that can bring the book back.
    const bool ok = BookDamaged ? WriteDamagedBackUp(folder, name, writer, &error)
                                : WriteBackUpGeneration(folder, name, count, writer, &error);
    if (!ok)
        MessageDlg(QStringLiteral("自動バックアップを作成できませんでした。\r") + error, MsgDlgType::Warning, mbOK);
    return ok;
}

void TDatMod::CloseAndBackUp(bool writeBackUp)
{
    // The book is closed whatever the backup does; a failed backup is said by
    // WriteAutoBackUp and changes nothing here.
    std::exception_ptr closeError;
    if (MainDatabase.damageSeen())
        BookDamaged = true;
    try {
        CloseData(true);
    } catch (...) {
        closeError = std::current_exception();
        abandonBook(true);
    }
    if (writeBackUp) {
        setCaption(QStringLiteral("自動バックアップ中"));
        WriteAutoBackUp();
    }
    // Marked closed only when the book really closed and no other process
    // still has it open.
    // A book that met damage keeps saying so, and is checked at its next opening.
    if (m_lock.isHeld() && m_lock.tryExclusive()) {
        if (BookDamaged)
            m_lock.markDamaged();
        else if (!closeError)
            m_lock.markClosed();
    }
    m_lock.release();
    setCaption(QStringLiteral("オフライン"));
    if (closeError)
        std::rethrow_exception(closeError);
}
