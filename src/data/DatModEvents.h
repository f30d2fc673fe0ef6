#pragma once

#include <QDate>

class DataSet;
class TDatMod;
class TMeisaiClientDataSet;

// The row events and field rules of the data module: change flag and numbering
// of every table, the journal line events, the display and parse rules of the
// journal columns, the slip list and the closing-day query.
//
// The data module runs this itself when it is made; a second call does
// nothing. MeisaiClt's reconcile handler is HandleReconcileError.
void InstallTableEvents(TDatMod &dm);

// The module's journal data sets.
TMeisaiClientDataSet *MeisaiClt(TDatMod &dm);
TMeisaiClientDataSet *ReceiptClt(TDatMod &dm);
TMeisaiClientDataSet *CopyClt(TDatMod &dm);

// Copies the lock date into CltLockDate of MeisaiClt and ReceiptClt; called
// when a book opens and when the lock date changes.
void CopyLockDate(TDatMod &dm, const QDate &lockDate);

// The default values of a new Master-shaped row.
void SetMeisaiDefaults(DataSet &dataSet);
// The default values of a new category row; bunrui 0 or a class.
void SetHimokuDefaults(DataSet &dataSet, int bunrui = 0);

// Texts of the rules.
inline constexpr char16_t kLockedDateMessage[] = u"ロックされた日付のデータは入力できません。";

// Whether every line of a slip may take a header change: none of them lies on
// or before the lock date, nor does newDate when one is given. Looked at before
// anything is written, so that a header change reaches all lines or none; the
// current line and the scroll hooks are left as they were.
bool SlipLinesUnlocked(TMeisaiClientDataSet &lines, const QDate &newDate = QDate());
inline constexpr char16_t kInvalidDateMessage[] = u"無効な日付です。";
