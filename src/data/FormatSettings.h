#pragma once

#include <QDate>
#include <QString>

// The number and date formats of the whole run. They are fixed at start-up and
// do not follow the desktop's regional settings, so a date typed today reads the
// same tomorrow whatever the user changes in between.
struct FormatSettings
{
    QString shortDateFormat = QStringLiteral("yy/MM/dd");
    QChar dateSeparator = QLatin1Char('/');
    // A two-digit year is placed within the 100 years that begin this many years
    // before the current year.
    int twoDigitYearWindow = 50;
    QString currencyString;     // empty: amounts carry no currency symbol
    int currencyDecimals = 0;   // 0 until a book says 2 ("State"/"CurrencyDecimals")
};

// The program's one set of formats.
FormatSettings &Formats();
// Puts the start-up formats in place ("yy/MM/dd", "/", window 50, no symbol,
// 0 decimals) and fixes the default locale so nothing follows the desktop's.
void FixProgramFormats();

// The four-digit year of a two-digit year by the window, seen from `today`.
int ExpandTwoDigitYear(int twoDigitYear, const QDate &today = QDate::currentDate());
// A date in the short format ("yy/MM/dd").
QString DateToStr(const QDate &date);
// Reads "yy/MM/dd", "yyyy/MM/dd", "yy/M/d" (the separator "/"); a two-digit year
// goes through the window. A null QDate when the text is no date.
QDate StrToDate(const QString &text, const QDate &today = QDate::currentDate());
