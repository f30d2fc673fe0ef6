#pragma once

#include <stdexcept>

#include <QString>

class Database;

// Raised when no record number could be taken or set; carries the text the user
// sees in the standard error box.
class ERecordNumberError : public std::runtime_error
{
public:
    explicit ERecordNumberError(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The record-number counters of a book: one row of the table AutoInc per numbered
// table (NAME the table's lower-cased file name, such as "master.db") plus the slip
// counter "receiptno"; MAXNO is the last number given. Numbers are never given
// twice, also to two processes on one book, and never reused.
class RecordNumbers
{
public:
    static constexpr int Tries = 20;
    static constexpr int RetryDelayMs = 50;

    // Takes the next number of the counter (the name in any case; a missing counter
    // row is created and gives 1). Each try is one BEGIN IMMEDIATE transaction; a
    // busy book or a failed statement counts as a failed try, and after Tries
    // failed tries, RetryDelayMs apart, ERecordNumberError "データ番号を取得できません"
    // is raised. Inside an open transaction of the caller a try is a savepoint, and
    // the number belongs to the caller's transaction.
    static int GetNewDataNo(Database &db, const QString &tableName);

    // Makes the counter hold value (the next number given is value + 1), creating
    // the row when missing; the same tries, then ERecordNumberError
    // "データ番号を設定できません".
    static void SetDataNo(Database &db, const QString &tableName, int value);
};
