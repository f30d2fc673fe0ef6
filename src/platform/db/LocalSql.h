#pragma once

#include <QString>

// The account book's SQL texts are written in the older local-SQL dialect of the
// desktop engine: tables named by file ("Master.DB", Himoku.db M), True/False,
// EXTRACT(YEAR FROM x), month-first date literals, the BLOB(240,1) memo type and
// + on strings. translate() rewrites such a text into the SQLite dialect the book
// database speaks; a text already in SQLite's dialect passes through unchanged.
class LocalSql
{
public:
    static QString translate(const QString &sql);

    // "Master.DB", master.db, "Himoku" -> Master, Himoku (the base name of a table
    // file, as the book database names its tables). Empty when the text names no
    // table file of a book.
    static QString tableName(const QString &fileName);
};
