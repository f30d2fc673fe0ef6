#pragma once

#include <array>
#include <cstdint>

#include <QDate>
#include <QString>
#include <QStringView>

#include "platform/db/Currency.h"

// The constant tables that name the book's coded fields, the month code that
// groups slips by accounting month, and the program-wide values of the open book.
// Index = stored value unless said otherwise. Stored values come from the book and
// may be anything (bulk edits and free SQL write what they like), so the *Name()
// lookups never index outside a table.

// Major class of a BUNRUI (Bu1).
struct TBunruiData1
{
    int32_t code;
    QStringView name;
    uint8_t group; // 1 expense or liability, 2 income or asset
};

// Account kind (Bu2).
struct TBunruiData2
{
    int32_t code;
    QStringView name;
    uint8_t group;
};

// Class of a BUNRUI code.
struct TBunruiRec
{
    int32_t code;
    QStringView name;
    uint8_t side; // normal side: 1 debit, 2 credit
    uint8_t bu1;  // a Bunrui1Table code
    uint8_t bu2;  // a Bunrui2Table code
};

struct TSystemHimoku
{
    int16_t code;
    QStringView name;
};

struct THinmeiRec
{
    int32_t code;
    QStringView name;
    double quantity;
    Currency amount;
    int16_t zeiAtukai;
};

// Day kinds of DateList.db and DateMast.DB TYPE (kind 1 is the national holiday).
inline constexpr std::array<QStringView, 8> DayKindNames{
    u"平日", u"国民の祝日", u"会社の休日", u"学校の休日", u"個人の休日", u"記念日", u"誕生日", u"その他"};

// HOLIDAYSHIFT and SIMEHOLIDAYSHIFT: how a date that falls on a holiday moves.
inline constexpr std::array<QStringView, 5> HolidayShiftNames{
    u"指定日どおり", u"日曜祝日の前", u"日曜祝日の後", u"土日曜祝日の前", u"土日曜祝日の後"};

// SIMEADDDAY -1, 0, 1; indexed with value + 1.
inline constexpr std::array<QStringView, 3> SimeAddDayNames{u"さらにその前日", u"そのまま", u"さらにその翌日"};

// ZEIATUKAI: tax treatments and their marks in lists.
inline constexpr std::array<QStringView, 4> ZeiAtukaiNames{u"対象外", u"内税", u"外税", u"無指定"};
inline constexpr std::array<QStringView, 4> ZeiAtukaiMarks{u"", u"内税", u"外税", u""};

inline constexpr std::array<TBunruiData1, 5> Bunrui1Table{{
    {0, u"未使用", 0},
    {1, u"収入", 2},
    {2, u"支出", 1},
    {3, u"資産", 2},
    {4, u"負債", 1},
}};

inline constexpr std::array<TBunruiData2, 17> Bunrui2Table{{
    {0, u"未使用", 0},
    {1, u"収入", 2},
    {2, u"支出", 1},
    {3, u"現金", 2},
    {4, u"預貯金", 2},
    {5, u"金券", 2},
    {6, u"クレジット", 1},
    {7, u"小切手", 2},
    {8, u"投資", 2},
    {9, u"借入れ", 1},
    {10, u"貸付け", 2},
    {11, u"仮払い", 2},
    {12, u"仮受け", 1},
    {13, u"収入引当", 2},
    {14, u"支出引当", 1},
    {15, u"その他資産", 2},
    {16, u"その他負債", 1},
}};

// The classes a Himoku.db row may have in BUNRUI; row index = code.
inline constexpr std::array<TBunruiRec, 24> BunruiTable{{
    {0, u"未使用", 0, 0, 0},
    {1, u"収入", 2, 1, 1},
    {2, u"支出", 1, 2, 2},
    {3, u"現金", 1, 3, 3},
    {4, u"おこづかい", 1, 3, 3},
    {5, u"銀行", 1, 3, 4},
    {6, u"郵貯", 1, 3, 4},
    {7, u"証券", 1, 3, 8},
    {8, u"金券", 1, 3, 5},
    {9, u"クレジット", 2, 4, 6},
    {10, u"小切手", 1, 3, 7},
    {11, u"ローン", 2, 4, 9},
    {12, u"貸付け", 1, 3, 10},
    {13, u"借入れ", 2, 4, 9},
    {14, u"仮払金", 1, 3, 11},
    {15, u"仮受金", 2, 4, 12},
    {16, u"前払金", 1, 3, 11},
    {17, u"未払金", 2, 4, 12},
    {18, u"預り金", 2, 4, 12},
    {19, u"預け金", 1, 3, 11},
    {20, u"収入引当", 1, 3, 13},
    {21, u"支出引当", 2, 4, 14},
    {22, u"その他資産", 1, 3, 15},
    {23, u"その他負債", 2, 4, 16},
}};

// The system categories every book has.
inline constexpr std::array<TSystemHimoku, 8> SystemHimokuTable{{
    {1, u"収入"},
    {2, u"支出"},
    {3, u"口座"},
    {11, u"口座フリー入力用"},
    {12, u"金券入力用"},
    {13, u"レシート入力用"},
    {99, u"諸口"},
    {100, u"現金"},
}};

// The input-only system categories, in this order.
inline constexpr std::array<int, 3> SystemInputCodes{11, 12, 13};

// The system items (item codes 1 to 5 of HinmeiMast.db).
inline constexpr std::array<THinmeiRec, 5> SystemHinmeiTable{{
    {1, u"消費税計算", 1.0, Currency(), 0},
    {2, u"消費税", 1.0, Currency(), 0},
    {3, u"自動引落", 1.0, Currency(), 0},
    {4, u"繰越残高", 1.0, Currency(), 0},
    {5, u"残高調整", 1.0, Currency(), 0},
}};

// Range-safe names: a value outside its table gives the number as text (a
// mark gives an empty text), never a read outside the table.
QString DayKindName(int kind);
QString HolidayShiftName(int shift);
QString SimeAddDayName(int value); // value -1, 0, 1
QString ZeiAtukaiName(int zei);
QString ZeiAtukaiMark(int zei);
// The class of a BUNRUI code; an unknown code is row 0 (未使用, no class).
const TBunruiRec &BunruiRecOf(int code);

// Month code of an accounting month: (year mod 100) x 10,000,000 + month x 100,000.
int32_t EncodeMonthCode(uint16_t year, uint16_t month);
// Year and month of a month code; a two-digit year below 80 is 20yy, else 19yy, so
// years 1980 to 2079 come back unchanged.
void DecodeMonthCode(int32_t code, uint16_t &year, uint16_t &month);

// Day numbers as the per-book store keeps dates: days since 1899-12-30. 0 is
// "no date" and gives a null QDate, and a null QDate gives 0.
QDate DayNumberToDate(double dayNumber);
double DateToDayNumber(const QDate &date);

// Program-wide values of the open book: start values at start-up, book values
// at every opening of a book (kept after it closes).
extern uint16_t CurYear;
extern uint16_t CurMonth;
extern bool IsWin9x;              // always false here; kept for the frame-release rule
extern uint8_t TaxCalcMode;       // "State"/"TaxCalc": 0 half away, 1 toward zero, 2 up
extern bool IncludeReservedFlag;  // "State"/"IncludeReseved"
extern bool TokubetuShowFlag;     // "State"/"TokubetuShow"
extern bool KouzaUseFlag;         // "State"/"KouzaUse"
extern uint16_t CurSimeTuki;      // "Sime"/"SimeTuki", 12
extern int32_t CurShiftNendo;     // "Sime"/"ShiftNendo", 0
extern QDate CurLockDate;         // "Sime"/"LockDate"; null = no lock date

// Puts every program-wide value back to its start value (today's year and month).
void ResetProgramValues();
