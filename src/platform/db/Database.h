#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// An error of the database engine. The engine's own English text never stands
// alone before the user: errors the user can meet (a busy, damaged, read-only or
// full book, a transaction the engine gave up) carry a message of ours, with the
// engine's text as the detail under it.
class EDatabaseError : public std::runtime_error
{
public:
    EDatabaseError(const QString &message, int code = 0);
    // An error of ours carrying an engine code (a book another process
    // holds): its text is shown as it is.
    static EDatabaseError own(const QString &message, int code);
    // The text for the user: our message and the engine's text below it, or
    // the text as given when there is no message of ours for it.
    QString message() const { return m_message; }
    // What the engine said, as it said it.
    QString engineText() const { return m_engineText; }
    int code() const { return m_code; }
    // SQLITE_BUSY or SQLITE_LOCKED: another connection holds the book; the
    // record-number loops count this as one failed try.
    bool isBusy() const;
    // The book file itself is damaged (SQLITE_CORRUPT, SQLITE_NOTADB).
    bool isDamage() const;
    // An error after which the engine may have rolled the whole transaction
    // back by itself (full disk, I/O error, damage, no memory, read-only
    // file): nothing of the transaction may be trusted or written further.
    bool endsTransaction() const;

    // Our message for an engine error, empty when we have none.
    static QString userMessage(int code, const QString &engineText);

private:
    QString m_message;
    QString m_engineText;
    int m_code;
};

class Database;

// One prepared statement. Parameters are bound by position (1-based) or by name
// (":Code"); values come back as QVariant: integers as qlonglong, reals as double,
// text as QString, NULL as an invalid QVariant.
class Statement
{
public:
    Statement(Database &db, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bind(int index, const QVariant &value);
    void bind(const QString &name, const QVariant &value);
    int parameterCount() const;
    QString parameterName(int index) const;

    // Steps once; true while a row is available.
    bool next();
    // Runs to completion (for statements without result rows).
    void exec();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QVariant value(int column) const;
    bool isNull(int column) const;
    qlonglong intValue(int column) const;
    double doubleValue(int column) const;
    QString textValue(int column) const;

    sqlite3_stmt *handle() const { return m_stmt; }

private:
    Database &m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

// One SQLCipher connection on a book's database file. The book keeps the rollback
// journal (never WAL): a book may live on a network folder, where WAL's shared
// memory is unsafe, and the "-journal" file is what lets a crashed save roll back.
class Database
{
public:
    enum class TransactionMode { Deferred, Immediate, Exclusive };

    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens (and with create, makes) the file. A non-empty key is given to the
    // engine before anything is read, so an encrypted book opens with it.
    void open(const QString &path, const QString &key = QString(), bool create = false);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }

    // Tests whether the key opens the file: false for a wrong or missing key.
    bool canRead();
    void rekey(const QString &key);

    void exec(const QString &sql);
    // First column of the first row, or an invalid QVariant when there is none.
    QVariant scalar(const QString &sql, const QVariantList &params = {});

    void begin(TransactionMode mode = TransactionMode::Deferred);
    void commit();
    void rollback();
    bool inTransaction() const;

    qlonglong lastInsertRowId() const;
    int changes() const;

    // Milliseconds the engine itself waits on a locked book before answering busy.
    void setBusyTimeout(int ms);
    // The wait every connection starts with: another process's commit holds the
    // book for a moment, which must not read as an error.
    static int defaultBusyTimeout();
    static void setDefaultBusyTimeout(int ms);

    // Work that may happen only once the outermost transaction has committed
    // (a change log forgetting what was written); rolledBack runs instead when
    // the transaction ends any other way. Outside a transaction committed runs
    // at once.
    void afterCommit(std::function<void()> committed, std::function<void()> rolledBack = {});

    // Whether the engine reported a damaged file on this connection since it
    // was opened.
    bool damageSeen() const { return m_damageSeen; }
    // Records an error's kind (damage) before it is raised.
    void noteError(int code) const;

    bool tableExists(const QString &table);
    QStringList tableNames();

    sqlite3 *handle() const { return m_db; }
    [[noreturn]] void raise(int code) const;

private:
    void finishTransaction(bool committed);

    sqlite3 *m_db = nullptr;
    QString m_path;
    mutable bool m_damageSeen = false;
    std::vector<std::function<void()>> m_onCommit;
    std::vector<std::function<void()>> m_onRollback;
};

// Rolls back unless committed: every multi-row write runs inside one of these so
// that an exception anywhere leaves the book as it was.
class Transaction
{
public:
    explicit Transaction(Database &db,
                         Database::TransactionMode mode = Database::TransactionMode::Deferred);
    ~Transaction();
    void commit();

private:
    Database &m_db;
    bool m_done = false;
};
