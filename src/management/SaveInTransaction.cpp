#include "management/SaveInTransaction.h"

#include "data/RecordNumbers.h"
#include "platform/db/Database.h"

bool SaveInTransaction(Database &db, const std::function<void()> &work, QString *why)
{
    try {
        db.begin(Database::TransactionMode::Immediate);
        try {
            work();
            db.commit();
        } catch (...) {
            if (db.inTransaction())
                db.rollback();
            throw;
        }
    } catch (const EDatabaseError &e) {
        if (why)
            *why = QStringLiteral("データの保存に失敗しました。\r") + e.message();
        return false;
    } catch (const ERecordNumberError &e) {
        if (why)
            *why = QStringLiteral("データの保存に失敗しました。\r") + e.message();
        return false;
    }
    return true;
}
