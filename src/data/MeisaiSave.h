#pragma once

#include <QDate>
#include <QString>

class DataSet;

// The header of the current slip as the save reads it, handed over by the slip
// list from its current row before a save. The page's kind, entry style,
// slip number and month code, the busy state and the page's events are the
// entry state of DatMod->MeisaiClt (TMeisaiClientDataSet), which the save
// reads and writes.
struct TMeisaiSaveState
{
    QDate ReceiptCltRecDate;
    int ReceiptCltCreditCode = 0;
    int ReceiptCltPayKouza = 0;
    QDate ReceiptCltPayDate;
    int ReceiptCltShopCode = 0;  // -1: typed shop name, made a master row at save
    QString ReceiptCltShopName;
};

extern TMeisaiSaveState MeisaiSaveState;

// Changes from this count on are written row by row instead of through the provider.
constexpr int MeisaiDirectWriteCount = 256;

// Saves DatMod->MeisaiClt with its entry state: a new slip's number goes to
// CltReceiptNo, the bill question's answer to CltNeedBillPay, and the page's
// OnApplyUpdate, OnAfterApplied, OnAfterNoTransaction and OnAfterScrolled run
// as their names say. True when the lines were saved or there was nothing
// to save; false when a check refused the save (the user saw why) or the save
// failed and was rolled back. The numbering, new item, shop and person rows,
// the counters and the journal rows are written in one transaction: when any
// of it fails the book is left as it was and the change log as the user made
// it. A counter failure propagates (ERecordNumberError) after that roll-back.
bool ApplyMeisaiUpdates();
// Whether the current line of dataSet (a journal data set) is blank.
bool IsBlankMeisaiLine(DataSet &dataSet);
// Gives the first line LOOKUPNO -2 so that the slip's month code is given again at the next save.
void TouchMeisaiFirstLine();

// The steps of the save, for the pages that need one alone.
bool ValidateMeisaiLines();
// Needs an open transaction on the book (its numbers and master rows belong to it).
bool NumberMeisaiLines();
// Writes every line and deletion of MeisaiClt straight into the journal table;
// raises on an engine error. Needs an open transaction.
void WriteMeisaiDirect();
