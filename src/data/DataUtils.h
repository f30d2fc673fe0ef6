#pragma once

#include <QDate>

#include "platform/db/Currency.h"

class ClientDataSet;
class DataSet;
class QComboBox;
class Table;

// Small routines of the data layer that several pages share. The name of a
// new book is asked by AskNewBookName (BookFolders.h).

// The sum of KINGAKU over every row of a journal data set; 0 when it is closed
// or empty. The current row is kept.
Currency SumMeisaiKingaku(DataSet &dataSet);

// Before leaving a client data set: with pending changes asks "変更を保存しますか？"
// (Yes applies them and flushes the tables, No drops them); false only for
// キャンセル, when the caller must stay.
bool ConfirmSaveChanges(ClientDataSet &dataSet);

// The payment day of an account for the accounting month (nendo, month): its
// cycle and payment day from the visible-category cache, the book's fiscal
// closing month, moved by its holiday rule; an invalid date when the account
// is not in the cache.
QDate GetFurikomiDate(int code, int nendo, int month);

// The code of the item chosen or typed in a combo box filled by the list
// fillers: the chosen item's code while the text is that item's, else the code
// of the typed name in the master table, which gets a new row for a new name
// (0 for an empty text).
int ComboToCode(QComboBox *combo, Table &masterTable);

// Whether income and expense close alike (same closing day and shift, no
// history), and whether every category and account does.
bool IsSameIriDeruSime();
bool IsUniformSime();
