#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

class Database;

// What the data module needs of the book's table definitions, in plain form.
// Kept in its own unit because the definitions' column type and the data sets'
// column type share a name and cannot meet in one source file.
namespace DatModSchema {

struct Column
{
    QString name;
    QChar type;        // S I N $ D L A M
    int size = 0;
    bool calculated = false;
};

struct TableInfo
{
    QString name;      // the SQL table: Master
    QString fileName;  // "Master.DB"
    QString component; // MasterTbl
    QStringList indexNames;
    QList<QStringList> indexFields;
};

struct ViewInfo
{
    QString component; // HimokuTbl2
    QString fileName;  // "Himoku.db"
    QString filter;    // "CODE > 99"
};

// The sixteen tables in the data module's component order.
QList<TableInfo> tables();
QList<ViewInfo> filteredViews();
// The journal data sets' columns (Master's columns, then the calculated ones).
QList<Column> meisaiColumns();
// The calculated columns of the slip list.
QList<Column> receiptCalcColumns();
QString receiptFilter();
int currentLevel();
QString databaseFileName();
// Writes the tables, indexes and seed rows of a new, empty book into db.
void createEmptyBook(Database &db);

} // namespace DatModSchema
