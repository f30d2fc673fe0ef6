#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

class DataSet;
class Field;

// Shared routines that change journal lines of DatMod's MeisaiClt between
// loading and saving: new-line defaults, preparation of loaded lines, transfer
// amounts and values picked in a selector.

// Selector write modes.
enum MeisaiWriteMode { wmView = 0, wmAuto = 1, wmAdd = 2, wmChange = 3, wmNewLine = 4 };

// The new-record work of the journal data set (row defaults, then the entry state).
void SetNewMeisaiDefaults(DataSet &dataSet);
// Goes to the last line and appends one unless the last line is blank.
void AppendMeisaiLine(DataSet &dataSet);
// After lines were loaded into MeisaiClt: names, own and counterpart codes, RecPos.
void PrepareMeisaiLines();
// Change handler of KariGaku and KasiGaku on the transfer page.
void ApplyKariKasiGaku(Field &field);
// Writes a value given for AiteCode or SelfCode into KARICODE or KASICODE.
void SetAiteSelfCode(Field &field, const QVariant &value);
// Writes a picked value into the current line or all lines; monthCode -1 keeps
// LOOKUPNO, a null date stands for no date.
void SetMeisaiFieldValue(Field *field, int writeMode, bool newLine, bool allLines, int code, bool setQuantity,
                         bool setAmount, const QString &name, const QDate &date, int monthCode);

// Puts code (and its name) into field of the line being edited as a picked
// value does: item defaults for HINMEICODE, tax treatment, the name column.
void ApplyPickedValue(DataSet &dataSet, Field &field, int code, const QString &name);

// The lock and style check before a line is changed by a picked value; shows
// the refusal and returns false.
bool CanEditMeisaiLine(DataSet &dataSet, Field *field, const QDate &date);
