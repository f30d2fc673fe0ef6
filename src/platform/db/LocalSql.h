#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// The account book's SQL texts are written in the older local-SQL dialect of the
// desktop engine: tables named by file ("Master.DB", Himoku.db M), True/False,
// EXTRACT(YEAR FROM x), month-first date literals ("12/31/2026"), strings in double
// quotes, the BLOB(240,1) memo type, + on strings and UPDATE with a table alias.
// translate() rewrites such a text into the SQLite dialect the book database
// speaks; a text already in SQLite's dialect passes through unchanged, except that
// double quotes name only a table (as in the dialect): write other names bare.
//
// What the rewrite cannot do, because it is not a text rewrite on SQLite 3.15:
// ALTER TABLE ... DROP (a table rebuild). Such a statement keeps its form and the
// engine's refusal reaches the caller.
class LocalSql
{
public:
    // The rewritten text. An ALTER TABLE with several ADD actions becomes one
    // statement per action, separated by ";" (SQLite adds one column at a time);
    // use statements() to run them one by one.
    static QString translate(const QString &sql);

    // translate(), split into single statements (never empty pieces).
    static QStringList statements(const QString &sql);

    // "Master.DB", master.db, "Himoku" -> Master, Himoku: the name of the table in
    // the book database that the table file names. A file name that is not one of
    // the book's tables gives its base name (Memo2.db -> Memo2).
    static QString tableName(const QString &fileName);

    // The book's tables by their stored names (Master, Himoku, ...).
    static const QStringList &bookTables();

    // The declared SQLite type of a column of the field type letter (S, I, N, $, D,
    // L, A, M) and, for A, its size in characters. The declared type keeps the
    // storage class the book uses (S, I, L: integer; N, $: real; D, A, M: text) and
    // still tells the letter back (typeLetter), so a query can type its columns.
    static QString columnType(QChar letter, int size = 0);
    // The field type letter of a declared column type; size receives the width of
    // an A column. A null QChar when the declared type is none of the book's.
    static QChar typeLetter(const QString &declaredType, int *size = nullptr);

    // 12/31/2026 (month first, as the dialect writes dates) -> 2026-12-31; an empty
    // string when the text is not such a date.
    static QString isoDateFromMonthFirst(const QString &text);
};
