#pragma once

#include <cstdint>

#include <QColor>
#include <QFont>
#include <QString>

#include "platform/db/Currency.h"

// Small stateless routines shared by the data layer, the pages and the dialogs:
// rounding, amount text and one-operator amount expressions, LIKE operands and
// pattern escapes, folders and file operations, colours.

// ---- numbers, amounts, texts ----

// Trunc(x + 0.5) for x >= 0, Trunc(x - 0.5) below.
int64_t RoundHalfAway(double x);
// An amount rounded to the book's currency decimals (Formats().currencyDecimals)
// by its rounding mode TaxCalcMode: 0 half away from zero, 1 toward zero,
// 2 up (away from zero). Every computed amount passes through here.
Currency RoundAmount(Currency amount);
// The amount with thousands separators, the current currency decimals and the
// (empty) currency symbol: "1,234", "-5,000", "12.50".
QString KingakuToStr(Currency amount);

// Position of the operator of an amount expression: the first "*"; else the
// first "/"; else the earlier of the first "+" and the first "-". -1 for none.
int FindFirstOperator(const QString &text);
// An amount typed as a number or as number-operator-number. A leading operator
// works on `current` ("*2" doubles it, "+500" adds 500); a leading sign followed
// by an expression belongs to the first number ("-100+50" is -50). "*" and "/"
// round to four decimals, halves to even. Throws Exception "式が正しくありません。"
// for a text that is no such expression (a second operator, a letter, an empty
// operand, an amount out of range) and "0で除算できません。" for a division by 0.
Currency EvalAmountText(const QString &text, Currency current);

// True when the text is a 32-bit integer other than -1 (-1 is the conversion's
// answer for a bad text, so "-1" itself does not count).
bool IsIntText(const QString &text);
// The longest start of the text that fits in n bytes of Shift-JIS, never cutting
// a double-byte character in half.
QString LeftStrBytes(const QString &text, int n);

// LIKE operands in double quotes (inner double quotes doubled): value + "%" and
// "%" + value + "%". "%", "_" and "^" in the value are escaped with "^" and the
// clause ` ESCAPE "^"` follows, so the value is matched as it stands.
QString MakeLikeStartsWith(const QString &value);
QString MakeLikeContains(const QString &value);
// A backslash before each of $ ( ) * + - . ? [ \ ] ^ | (the pattern engine's
// special characters); other characters, double-byte ones included, unchanged.
QString EscapeRegExp(const QString &text);

// ---- files and folders ----

// Folder ids of GetSpecialFolderPath (the shell's numbers).
enum SpecialFolderId : int {
    CSIDL_DESKTOP = 0x00,
    CSIDL_PERSONAL = 0x05,         // My Documents: the documents folder
    CSIDL_DESKTOPDIRECTORY = 0x10,
    CSIDL_APPDATA = 0x1a,          // the configuration folder
};
// The path of a special folder; empty for an unknown id.
QString GetSpecialFolderPath(int folderId);
// This user's temporary work folder, with a trailing "/".
QString GetTempFolder();
// folder + "/" (when missing) + name.
QString JoinPath(const QString &folder, const QString &name);
QString JoinPath3(const QString &folder, const QString &subFolder, const QString &name);

// Whether the program can write into the folder. A missing folder is created
// with its parents and counts as writable ("指定されたフォルダは作成できません。"
// when that fails). In an existing folder the file "Writetest.Txt" is made and
// deleted; any failure shows "指定されたフォルダは使用できません。…". Both
// messages are error dialogs with OK, and the answer is then false.
bool CheckFolderWritable(const QString &folder);
// Silent copy and delete (see FileOps): no questions, true when all went well.
bool ShellCopyFiles(const QString &from, const QString &to);
bool ShellDeleteFiles(const QString &path, bool noErrorUi = false);
// Deletes "Pdoxusrs.net", "PDOXUSRS.LCK" and "PARADOX.LCK" in the folder when present.
void DeleteParadoxLockFiles(const QString &folder);
// Waits (no events are processed).
void Pause(int milliseconds);

// ---- colours and fonts ----

// The colour with its HLS luminance (0..240 scale) moved by amount; lighter for a
// positive amount. The button face with amount 19 gives the button highlight.
// Remembers its last answer per thread, since grids ask the same many times.
QColor ShiftColorLuminance(const QColor &color, int amount);
// $00BBGGRR values <-> QColor (the top byte is ignored).
QColor ColorFromBgr(uint32_t bgr);
uint32_t ColorToBgr(const QColor &color);
// The colour as text: a standard name ("clBlack", "clRed", ...) when it is one,
// else "$00BBGGRR".
QString ColorToString(const QColor &color);
// Reads names (standard and "clBtnFace", "clWindow", "clWindowText"), "$BBGGRR"
// hexadecimal and decimal numbers; ok false (and black) for anything else.
QColor StringToColor(const QString &text, bool *ok = nullptr);
// Font style as bits: bold 1, italic 2, underline 4, strike-out 8.
int FontStyleToBits(const QFont &font);
void ApplyFontStyleBits(QFont &font, int bits);
