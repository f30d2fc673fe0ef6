#pragma once

#include <QString>

#include "data/Vocabulary.h"
#include "platform/db/Currency.h"

class Database;
class Field;
class Table;

// Codes and names of the masters (items "HinmeiMast.db", shops "ShopMast.db",
// persons "Person.DB") and of the categories ("Himoku.db"), and the choice lists
// "HinmeiList.db" and "ShopList.db". The tables are the data module's; a table
// that is closed is opened. Code 0 means "none" everywhere.

// Empty for 0; the NAME of the row with that CODE; "不明なコード:" and the code
// when there is no such row or its NAME is empty.
QString MasterCodeToName(Table &table, int code);
// MasterCodeToName on DatMod's HimokuTbl, HinmeiMstTbl, ShopMstTbl, PersonTbl.
QString HimokuCodeToName(int code);
QString HinmeiCodeToName(int code);
QString ShopCodeToName(int code);
QString PersonCodeToName(int code);
// Empty for an empty field, else MasterCodeToName of its value.
QString FieldCodeToName(Table &table, const Field &field);

// An item as a line needs it; code -1 when not found.
struct THinmeiValues
{
    int code = -1;
    QString name;
    double quantity = 1.0;
    Currency amount;
    int zeiAtukai = 3;
};
// Fills record from the row whose CODE is the field's value (defaults otherwise).
void ReadHinmeiRec(Table &table, const Field &field, THinmeiValues &record);
THinmeiValues ReadHinmeiRec(Table &table, int code);

// 0 for an empty name; the CODE of the row with exactly that NAME; -1 when none.
int MasterNameToCode(Table &table, const QString &name);
// As MasterNameToCode, but an unknown name gets a new row (item: QUANTITY 1,
// GAKU 0, ZEIATUKAI 3; person: VISIBLE False; shop: nothing more), whose new CODE
// is returned.
int GetOrAddMasterCode(Table &table, const QString &name);
// The same on the book's connection, for a caller with an open transaction
// (the journal save): looks name up in the table of tableFileName
// ("HinmeiMast.db", "ShopMast.db", "Person.DB") and adds a missing one with
// SQL on db, numbered by the table's counter inside that transaction, so that
// a roll-back takes back the row and its number together. userRowsOnly matches
// user rows (CODE above 100) only. 0 for an empty name.
int GetOrAddMasterCode(Database &db, const QString &tableFileName, const QString &name, bool userRowsOnly);
// As GetOrAddMasterCode without the per-table values; added tells whether a row was appended.
int GetOrAddCode(Table &table, const QString &name, bool &added);
// Writes an item (new or existing of that name) with its values; its CODE, 0 for an empty name.
int SaveHinmeiMaster(Table &table, const QString &name, int zeiAtukai, Currency amount, double quantity,
                     bool &added);

// Choice lists on DatMod's tables; true only when a row was appended.
bool AddHinmeiListItem(int category, int itemCode, const QString &name, int zeiAtukai, double quantity,
                       Currency amount);
bool AddHinmeiListSubItem(int category, int parentCode, int itemCode, const QString &name, int zeiAtukai,
                          double quantity, Currency amount);
bool AddShopListItem(int category, int shopCode, const QString &name);
bool AddShopListSubItem(int category, int parentCode, int shopCode, const QString &name);
bool AddPerson(const QString &name);
