#pragma once

#include <functional>

#include <QDate>
#include <QString>

class DataSet;

// Entry state of the page whose lines DatMod->MeisaiClt holds, as the save reads
// it: the page's kind and style, the slip it edits and the slip's header. The
// page fills it when it attaches to the journal data set.
struct TMeisaiSaveState
{
    int CltDataStyle = 1;      // 1 table, 2 receipt, 3 bill, 4 scheduled, 5 automatic, 6 bill payment, 7 free, 8 voucher
    int CltSyuSiIdo = 2;       // 1 income, 2 expense, 3 transfer
    int CltReceiptNo = 0;      // -1: a new slip, numbered at save
    int CltLookupNo = 0;       // month code of the slip
    bool CltNeedBillPay = false;
    int CltBusyState = 0;      // 2 while a save runs
    // The current slip row.
    QDate ReceiptCltRecDate;
    int ReceiptCltCreditCode = 0;
    int ReceiptCltPayKouza = 0;
    QDate ReceiptCltPayDate;
    int ReceiptCltShopCode = 0;  // -1: typed shop name, made a master row at save
    QString ReceiptCltShopName;

    std::function<void()> OnApplyUpdate;        // the page completes its slip header
    std::function<void()> OnAfterApplied;       // saved through the provider without errors
    std::function<void()> OnAfterNoTransaction; // saved on the direct path
    std::function<void()> OnAfterScrolled;      // after a completed save
};

extern TMeisaiSaveState MeisaiSaveState;

// Changes from this count on are written row by row instead of through the provider.
constexpr int MeisaiDirectWriteCount = 256;

// Saves DatMod->MeisaiClt. True when the lines were saved or there was nothing
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
