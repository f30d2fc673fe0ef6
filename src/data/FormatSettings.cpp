#include "data/FormatSettings.h"

#include <QLocale>

FormatSettings &Formats()
{
    static FormatSettings settings;
    return settings;
}

void FixProgramFormats()
{
    Formats() = FormatSettings();
    // Formatting through QLocale must not pick up the desktop's locale either.
    QLocale locale(QLocale::Japanese, QLocale::Japan);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(locale);
}

int ExpandTwoDigitYear(int twoDigitYear, const QDate &today)
{
    const int windowStart = today.year() - Formats().twoDigitYearWindow;
    int year = windowStart - windowStart % 100 + twoDigitYear;
    if (year < windowStart)
        year += 100;
    return year;
}

QString DateToStr(const QDate &date)
{
    if (!date.isValid())
        return QString();
    QString format = Formats().shortDateFormat;
    format.replace(QLatin1Char('/'), Formats().dateSeparator);
    return QLocale::c().toString(date, format);
}

QDate StrToDate(const QString &text, const QDate &today)
{
    const QStringList parts = text.trimmed().split(Formats().dateSeparator);
    if (parts.size() != 3)
        return QDate();
    int numbers[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const QString part = parts.at(i).trimmed();
        if (part.isEmpty() || part.size() > (i == 0 ? 4 : 2))
            return QDate();
        numbers[i] = part.toInt(&ok);
        if (!ok || numbers[i] < 0)
            return QDate();
    }
    int year = numbers[0];
    if (parts.at(0).trimmed().size() <= 2)
        year = ExpandTwoDigitYear(year, today);
    return QDate(year, numbers[1], numbers[2]);
}
