#pragma once

#include <QDate>

#include "platform/db/Currency.h"

class Database;
class TMeisaiClientDataSet;
struct TMeisaiSaveState;

// The automatic withdrawal line of a credit-card bill: one journal row
// (STYLE 6, item 自動引落) per bill that moves the bill's total from the paying
// account to the card on the payment day. A save of the bill decides before
// its transaction what happens to the row (asking the user where needed) and
// writes the row inside that transaction, so the bill and its withdrawal are
// saved together or not at all.
class TAutoWithdrawal
{
public:
    enum class Action { None, Write, Delete };

    // Before the save's transaction: the existing row, the lock date and the
    // user's answer about removing a row the bill no longer uses.
    void Prepare(Database &db, const TMeisaiClientDataSet &lines, const TMeisaiSaveState &slip, const QDate &lockDate);
    // Inside the save's transaction, after the lines were numbered and written
    // (a new bill has its number now). Raises on an engine error.
    void Write(Database &db, const TMeisaiClientDataSet &lines);

    Action action() const { return m_action; }

    // The DATANO of the bill's withdrawal row, 0 when it has none.
    static int FindRow(Database &db, int receiptNo);

private:
    Action m_action = Action::None;
    int m_dataNo = 0;
    QDate m_payDate;
    int m_payKouza = 0;
    int m_credit = 0;
};
