#include "platform/db/Database.h"

#include <sqlcipher/sqlite3.h>

#include <QFileInfo>

#include "platform/db/Currency.h"

namespace {

int busyTimeoutMs = 5000;

} // namespace

QString EDatabaseError::userMessage(int code, const QString &engineText)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("家計簿はほかのプログラムが使用中です。しばらくしてからもう一度実行してください。");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("家計簿のデータベースが壊れています。バックアップから復元してください。");
    case SQLITE_READONLY:
        return QStringLiteral("家計簿のデータベースに書き込めません。ファイルとフォルダの書き込み権限を確認してください。");
    case SQLITE_FULL:
        return QStringLiteral("ディスクの空きが足りないため、家計簿に書き込めませんでした。");
    case SQLITE_IOERR:
        return QStringLiteral("家計簿のデータベースを読み書きできませんでした。");
    case SQLITE_CANTOPEN:
        return QStringLiteral("家計簿のデータベースを開けません。");
    case SQLITE_NOMEM:
        return QStringLiteral("メモリが足りません。");
    default:
        break;
    }
    if (engineText.contains(QLatin1String("no transaction is active")))
        return QStringLiteral("書き込みの途中で変更が取り消されたため、家計簿には何も書き込まれていません。");
    return QString();
}

namespace {

QString composedMessage(const QString &engineText, int code)
{
    const QString own = EDatabaseError::userMessage(code, engineText);
    if (own.isEmpty() || engineText.startsWith(own))
        return engineText;
    return own + QStringLiteral("\r(") + engineText + QLatin1Char(')');
}

} // namespace

EDatabaseError::EDatabaseError(const QString &message, int code)
    : std::runtime_error(composedMessage(message, code).toStdString()),
      m_message(composedMessage(message, code)), m_engineText(message), m_code(code)
{
}

EDatabaseError EDatabaseError::own(const QString &message, int code)
{
    EDatabaseError e(message);
    e.m_code = code;
    return e;
}

bool EDatabaseError::isBusy() const
{
    const int primary = m_code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool EDatabaseError::isDamage() const
{
    const int primary = m_code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool EDatabaseError::endsTransaction() const
{
    switch (m_code & 0xff) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_NOMEM:
    case SQLITE_READONLY:
        return true;
    default:
        return false;
    }
}

Statement::Statement(Database &db, const QString &sql) : m_db(db)
{
    if (!db.isOpen())
        throw EDatabaseError(QStringLiteral("データベースが開かれていません"));
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(db.handle()));
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        db.noteError(rc);
        throw EDatabaseError(msg + QStringLiteral(" [") + sql + QStringLiteral("]"), rc);
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else if (value.userType() == qMetaTypeId<Currency>()) {
        // Money columns are REAL; four decimals are exact in a double of any
        // amount a household book holds.
        rc = sqlite3_bind_double(m_stmt, index, value.value<Currency>().toDouble());
    } else if (value.userType() >= QMetaType::User && !value.canConvert<QString>()) {
        // A value of a type without a text would be stored as '' and lose the data.
        throw EDatabaseError(QStringLiteral("パラメータ %1 の値の型 %2 は保存できません")
                                 .arg(index)
                                 .arg(QString::fromLatin1(value.typeName())));
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(m_stmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::QDate:
            rc = sqlite3_bind_text(m_stmt, index, value.toDate().toString(Qt::ISODate).toUtf8().constData(), -1,
                                   SQLITE_TRANSIENT);
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = value.toByteArray();
            rc = sqlite3_bind_blob(m_stmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray t = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        m_db.raise(rc);
}

void Statement::bind(const QString &name, const QVariant &value)
{
    QByteArray n = name.toUtf8();
    if (!n.startsWith(':') && !n.startsWith('@') && !n.startsWith('$'))
        n.prepend(':');
    const int index = sqlite3_bind_parameter_index(m_stmt, n.constData());
    if (index == 0)
        throw EDatabaseError(QStringLiteral("パラメータ %1 がありません").arg(name));
    bind(index, value);
}

int Statement::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_stmt);
}

QString Statement::parameterName(int index) const
{
    return QString::fromUtf8(sqlite3_bind_parameter_name(m_stmt, index));
}

bool Statement::next()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // Leave the statement reusable and the connection out of an implicit read.
    sqlite3_reset(m_stmt);
    m_db.raise(rc);
}

void Statement::exec()
{
    while (next()) {
    }
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QVariant Statement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT:
        return QVariant(textValue(column));
    case SQLITE_BLOB: {
        const void *p = sqlite3_column_blob(m_stmt, column);
        return QVariant(QByteArray(static_cast<const char *>(p), sqlite3_column_bytes(m_stmt, column)));
    }
    default:
        return QVariant();
    }
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qlonglong Statement::intValue(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

double Statement::doubleValue(int column) const
{
    return sqlite3_column_double(m_stmt, column);
}

QString Statement::textValue(int column) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column));
}

Database::Database() = default;

Database::~Database()
{
    close();
}

void Database::open(const QString &path, const QString &key, bool create)
{
    close();
    if (!create && !QFileInfo::exists(path))
        throw EDatabaseError(QStringLiteral("データベースファイルがありません: %1").arg(path));
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_FULLMUTEX;
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("open failed");
        sqlite3_close(db);
        throw EDatabaseError(msg, rc);
    }
    m_db = db;
    m_path = path;
    try {
        if (!key.isEmpty()) {
            QString quoted = key;
            quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
            exec(QStringLiteral("PRAGMA key = '%1'").arg(quoted));
        }
        setBusyTimeout(busyTimeoutMs);
        // Only when the key is right can the journal mode be set; a wrong key is
        // reported by canRead() rather than here.
        if (canRead()) {
            exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
            exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
        }
    } catch (...) {
        close();
        throw;
    }
}

void Database::close()
{
    if (m_db) {
        // Whatever was waiting on a transaction of this connection ends with it.
        finishTransaction(false);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_damageSeen = false;
}

bool Database::canRead()
{
    if (!m_db)
        return false;
    const int rc = sqlite3_exec(m_db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    // Only a file the key does not open is "cannot read": a busy book is
    // another process at work, and it is said as that, never taken for a
    // protected or missing one.
    if (rc == SQLITE_OK)
        return true;
    const int primary = rc & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        raise(rc);
    return false;
}

void Database::rekey(const QString &key)
{
    QString quoted = key;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    exec(QStringLiteral("PRAGMA rekey = '%1'").arg(quoted));
}

void Database::exec(const QString &sql)
{
    if (!m_db)
        throw EDatabaseError(QStringLiteral("データベースが開かれていません"));
    char *err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString msg = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(err);
        noteError(rc);
        throw EDatabaseError(msg, rc);
    }
}

QVariant Database::scalar(const QString &sql, const QVariantList &params)
{
    Statement st(*this, sql);
    for (int i = 0; i < params.size(); ++i)
        st.bind(i + 1, params.at(i));
    if (st.next())
        return st.value(0);
    return QVariant();
}

void Database::begin(TransactionMode mode)
{
    // Work left waiting by a transaction the engine ended on its own.
    if (!inTransaction())
        finishTransaction(false);
    switch (mode) {
    case TransactionMode::Deferred:
        exec(QStringLiteral("BEGIN DEFERRED"));
        break;
    case TransactionMode::Immediate:
        exec(QStringLiteral("BEGIN IMMEDIATE"));
        break;
    case TransactionMode::Exclusive:
        exec(QStringLiteral("BEGIN EXCLUSIVE"));
        break;
    }
}

void Database::commit()
{
    try {
        exec(QStringLiteral("COMMIT"));
    } catch (const EDatabaseError &) {
        // A busy commit leaves the transaction open for the caller to roll
        // back; one the engine ended itself is over now.
        if (!inTransaction())
            finishTransaction(false);
        throw;
    }
    finishTransaction(true);
}

void Database::rollback()
{
    if (inTransaction())
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    finishTransaction(false);
}

void Database::afterCommit(std::function<void()> committed, std::function<void()> rolledBack)
{
    if (!inTransaction()) {
        if (committed)
            committed();
        return;
    }
    if (committed)
        m_onCommit.push_back(std::move(committed));
    if (rolledBack)
        m_onRollback.push_back(std::move(rolledBack));
}

void Database::finishTransaction(bool committed)
{
    auto run = std::move(committed ? m_onCommit : m_onRollback);
    m_onCommit.clear();
    m_onRollback.clear();
    for (auto &f : run)
        f();
}

void Database::noteError(int code) const
{
    const int primary = code & 0xff;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        m_damageSeen = true;
}

int Database::defaultBusyTimeout()
{
    return busyTimeoutMs;
}

void Database::setDefaultBusyTimeout(int ms)
{
    busyTimeoutMs = ms;
}

bool Database::inTransaction() const
{
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

qlonglong Database::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int Database::changes() const
{
    return sqlite3_changes(m_db);
}

void Database::setBusyTimeout(int ms)
{
    sqlite3_busy_timeout(m_db, ms);
}

bool Database::tableExists(const QString &table)
{
    return scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name = ?1 COLLATE NOCASE"),
                  {table})
        .isValid();
}

QStringList Database::tableNames()
{
    QStringList names;
    Statement st(*this, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"));
    while (st.next())
        names << st.textValue(0);
    return names;
}

void Database::raise(int code) const
{
    noteError(code);
    throw EDatabaseError(m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(code)),
                         code);
}

Transaction::Transaction(Database &db, Database::TransactionMode mode) : m_db(db)
{
    m_db.begin(mode);
}

Transaction::~Transaction()
{
    if (!m_done)
        m_db.rollback();
}

void Transaction::commit()
{
    m_db.commit();
    m_done = true;
}
