#include "data/RecordNumbers.h"

#include <functional>

#include <QThread>
#include <QVariant>

#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

ERecordNumberError::ERecordNumberError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

namespace {

// Runs step in one try: its own BEGIN IMMEDIATE transaction, or a savepoint inside
// the caller's transaction. Any engine error (a busy book above all) rolls the try
// back, so a failed try leaves no half-done counter row behind, and yields false.
bool runTry(Database &db, const std::function<void()> &step)
{
    const bool nested = db.inTransaction();
    try {
        if (nested)
            db.exec(u"SAVEPOINT record_number"_s);
        else
            db.begin(Database::TransactionMode::Immediate);
    } catch (const EDatabaseError &) {
        return false;
    }
    try {
        step();
        if (nested)
            db.exec(u"RELEASE record_number"_s);
        else
            db.commit();
        return true;
    } catch (const EDatabaseError &e) {
        // Inside the caller's transaction only a busy answer is worth another
        // try. Any other error, and above all one after which the engine
        // rolled the caller's transaction back by itself, ends the caller's
        // work: a further try would run outside its transaction, and the rest
        // of the caller's writes with it.
        if (nested && (!db.inTransaction() || !e.isBusy())) {
            if (db.inTransaction()) {
                try {
                    db.exec(u"ROLLBACK TO record_number"_s);
                    db.exec(u"RELEASE record_number"_s);
                } catch (const EDatabaseError &) {
                    // The caller rolls its transaction back on this error anyway.
                }
            }
            throw;
        }
        try {
            if (nested) {
                db.exec(u"ROLLBACK TO record_number"_s);
                db.exec(u"RELEASE record_number"_s);
            } else if (db.inTransaction()) {
                db.rollback();
            }
        } catch (const EDatabaseError &) {
            // The engine rolls back on its own after some errors; nothing is left.
        }
        return false;
    }
}

// Puts the connection's own busy wait back however the tries end.
class BusyTimeoutOff
{
public:
    explicit BusyTimeoutOff(Database &db) : m_db(db), m_old(db.scalar(u"PRAGMA busy_timeout"_s).toInt())
    {
        m_db.setBusyTimeout(0);
    }
    ~BusyTimeoutOff() { m_db.setBusyTimeout(m_old); }

private:
    Database &m_db;
    int m_old;
};

// Up to Tries tries of step, RetryDelayMs apart, with the engine's own wait off: a
// busy book must answer at once so that the tries, not the engine, pace the wait.
bool retry(Database &db, const std::function<void()> &step)
{
    BusyTimeoutOff noWait(db);
    const bool nested = db.inTransaction();
    bool probed = false;
    bool done = false;
    for (int attempt = 0; attempt < RecordNumbers::Tries && !done; ++attempt) {
        if (!probed) {
            // A missing counter table is not a busy counter: that error reaches
            // the caller with the engine's text. Busy while reading the schema is
            // one failed try like any other.
            try {
                Statement probe(db, u"SELECT NAME, MAXNO FROM AutoInc WHERE 0"_s);
                probed = true;
            } catch (const EDatabaseError &e) {
                if (!e.isBusy())
                    throw;
            }
        }
        // The caller's transaction must still be there for each try.
        if (nested && !db.inTransaction())
            throw EDatabaseError(u"cannot commit - no transaction is active"_s);
        if (probed)
            done = runTry(db, step);
        if (!done && attempt + 1 < RecordNumbers::Tries)
            QThread::msleep(RecordNumbers::RetryDelayMs);
    }
    return done;
}

// The counter row (exact, case-sensitive name); rowid 0 when there is none.
qlonglong findCounter(Database &db, const QString &name, qlonglong *maxNo)
{
    Statement st(db, u"SELECT rowid, MAXNO FROM AutoInc WHERE NAME = ? ORDER BY rowid LIMIT 1"_s);
    st.bind(1, name);
    if (!st.next())
        return 0;
    *maxNo = st.isNull(1) ? 0 : st.intValue(1);
    return st.intValue(0);
}

void writeCounter(Database &db, qlonglong rowid, const QString &name, qlonglong value)
{
    if (rowid) {
        Statement st(db, u"UPDATE AutoInc SET MAXNO = ? WHERE rowid = ?"_s);
        st.bind(1, value);
        st.bind(2, rowid);
        st.exec();
    } else {
        Statement st(db, u"INSERT INTO AutoInc (NAME, MAXNO) VALUES (?, ?)"_s);
        st.bind(1, name);
        st.bind(2, value);
        st.exec();
    }
}

} // namespace

int RecordNumbers::GetNewDataNo(Database &db, const QString &tableName)
{
    const QString name = tableName.toLower();
    int result = -1;
    const bool done = retry(db, [&] {
        qlonglong maxNo = 0;
        const qlonglong rowid = findCounter(db, name, &maxNo);
        const qlonglong next = rowid ? maxNo + 1 : 1;
        writeCounter(db, rowid, name, next);
        result = int(next);
    });
    if (!done)
        throw ERecordNumberError(u"データ番号を取得できません"_s);
    return result;
}

void RecordNumbers::SetDataNo(Database &db, const QString &tableName, int value)
{
    const QString name = tableName.toLower();
    const bool done = retry(db, [&] {
        qlonglong maxNo = 0;
        writeCounter(db, findCounter(db, name, &maxNo), name, value);
    });
    if (!done)
        throw ERecordNumberError(u"データ番号を設定できません"_s);
}
