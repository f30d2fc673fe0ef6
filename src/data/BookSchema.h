#pragma once

#include <utility>

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class Database;

// One column of a book table or of a data set. type is the field type letter:
// S 16-bit integer, I 32-bit integer, N real, $ money, D date, L logical,
// A text of size characters, M memo.
struct SchemaField
{
    QString name;
    QChar type;
    int size = 0;
    // Calculated (internal) columns live in a data set only and never reach a table.
    bool calculated = false;
};

struct IndexDef
{
    QString name; // <Table>_<FIELD>
    QStringList fields;
};

struct TableDef
{
    QString name;           // the table in the book database: Master
    QString fileName;       // the table's file name as the system refers to it: "Master.DB"
    QString component;      // the data module's table on it: MasterTbl
    QList<SchemaField> fields; // in stored order
    QStringList keyFields;  // empty: the table keeps insertion order
    QList<IndexDef> indexes;

    const SchemaField *field(const QString &fieldName) const;
    int fieldIndex(const QString &fieldName) const;
    // The lower-cased file name, under which the table's record-number counter runs.
    QString counterName() const { return fileName.toLower(); }
};

// A second view on a master table that lists only user rows (table + filter).
struct FilteredView
{
    QString component; // HimokuTbl2
    QString table;     // Himoku
    QString fileName;  // "Himoku.db"
    QString filter;    // "CODE > 99"
};

// The tables of a book at schema level 6, as definitions that the data sets, the
// schema upgrade, the backup's file list and the template tool all read, and the
// routine that writes a new, empty book.
//
// Storage: one SQLite table per table file, named by the file's base name. A
// single-field key is the table's INTEGER PRIMARY KEY, so key order is row order;
// no table of the book has a composite key. A table without key keeps insertion
// (rowid) order. Secondary indexes are named <Table>_<FIELD>. Declared column types
// come from LocalSql::columnType, so a query can tell each column's type letter.
class BookSchema
{
public:
    static constexpr int Level = 6;

    // The database file of a book, in the book folder.
    static QString databaseFileName();

    // The sixteen tables, in the order of the data module's table components (the
    // order the backup lists them in).
    static const QList<TableDef> &tables();
    // By stored name, file name or component, in any case ("MASTER.DB", master,
    // MasterTbl); nullptr for none.
    static const TableDef *table(const QString &name);

    static const QList<FilteredView> &filteredViews();

    // The journal data sets: MeisaiClt (and CopyClt) carry the Master columns and
    // these calculated columns; ReceiptClt lists one row per slip.
    static QList<SchemaField> meisaiFields();
    static const QList<SchemaField> &meisaiCalcFields();
    static const QList<SchemaField> &receiptCalcFields();
    static QString receiptFilter(); // "RECEIPTNO <> 0"

    // Row 0 of the journal, which every book holds (listing queries take it
    // in by "OR (DATANO = 0)"): every Master column by name with its value. The
    // new book's seed and an emptied journal of a copied book both write it
    // from here, so the two can never differ.
    static const QList<std::pair<QString, QVariant>> &journalRowZero();
    // Inserts that row into the journal table of db.
    static void insertJournalRowZero(Database &db);

    // CREATE TABLE and CREATE INDEX statements of one table.
    static QStringList createStatements(const TableDef &table);

    // Writes the tables, indexes and seed rows of a new book into an empty database,
    // in one transaction: the book is whole or untouched. Throws EDatabaseError.
    static void createEmptyBook(Database &db);
};
