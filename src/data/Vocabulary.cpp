#include "data/Vocabulary.h"

uint16_t CurYear = 0;
uint16_t CurMonth = 0;
bool IsWin9x = false;
uint8_t TaxCalcMode = 0;
bool IncludeReservedFlag = false;
bool TokubetuShowFlag = false;
bool KouzaUseFlag = false;
uint16_t CurSimeTuki = 12;
int32_t CurShiftNendo = 0;
QDate CurLockDate;

namespace {
// The start values are in place before any code of the program runs.
[[maybe_unused]] const bool Initialised = (ResetProgramValues(), true);

template <std::size_t N>
QString nameAt(const std::array<QStringView, N> &table, int index, bool numberWhenOutside)
{
    if (index >= 0 && std::size_t(index) < N)
        return table[std::size_t(index)].toString();
    return numberWhenOutside ? QString::number(index) : QString();
}

const QDate DayZero(1899, 12, 30);
} // namespace

void ResetProgramValues()
{
    const QDate today = QDate::currentDate();
    CurYear = uint16_t(today.year());
    CurMonth = uint16_t(today.month());
    IsWin9x = false;
    TaxCalcMode = 0;
    IncludeReservedFlag = false;
    TokubetuShowFlag = false;
    KouzaUseFlag = false;
    CurSimeTuki = 12;
    CurShiftNendo = 0;
    CurLockDate = QDate();
}

QString DayKindName(int kind) { return nameAt(DayKindNames, kind, true); }
QString HolidayShiftName(int shift) { return nameAt(HolidayShiftNames, shift, true); }
QString SimeAddDayName(int value) { return value < -1 || value > 1 ? QString::number(value) : nameAt(SimeAddDayNames, value + 1, true); }
QString ZeiAtukaiName(int zei) { return nameAt(ZeiAtukaiNames, zei, true); }
QString ZeiAtukaiMark(int zei) { return nameAt(ZeiAtukaiMarks, zei, false); }

const TBunruiRec &BunruiRecOf(int code)
{
    if (code >= 0 && std::size_t(code) < BunruiTable.size())
        return BunruiTable[std::size_t(code)];
    return BunruiTable[0];
}

int32_t EncodeMonthCode(uint16_t year, uint16_t month)
{
    return int32_t(year % 100) * 10000000 + int32_t(month) * 100000;
}

void DecodeMonthCode(int32_t code, uint16_t &year, uint16_t &month)
{
    month = uint16_t((code % 10000000) / 100000);
    const int yy = code / 10000000;
    year = uint16_t(yy < 80 ? 2000 + yy : 1900 + yy);
}

QDate DayNumberToDate(double dayNumber)
{
    if (dayNumber == 0.0 || !(dayNumber == dayNumber))
        return QDate();
    return DayZero.addDays(qint64(dayNumber));
}

double DateToDayNumber(const QDate &date)
{
    return date.isValid() ? double(DayZero.daysTo(date)) : 0.0;
}
