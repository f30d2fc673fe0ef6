#pragma once

#include <optional>

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include "platform/db/Currency.h"

// The text side of the entry exchange files: reading a file's bytes as lines in
// the encoding it was written in, splitting a line into fields, quoting fields
// for writing, and reading amounts and dates the way statements write them.

// The version line that opens the program's own exchange file (".pep").
inline constexpr char16_t kExchangeVersionLine[] = u"RuzuVizuraStlye_1";

enum class TextEncoding { Auto, ShiftJis, Utf8 };
// The encodings a user may choose, in the order of the choice list (自動判別 first).
inline const QStringList kTextEncodingItems{QStringLiteral("自動判別"), QStringLiteral("Shift-JIS"),
                                            QStringLiteral("UTF-8")};

// A file read as text. error is set (and lines empty) when the file is no text
// the import can read: too large, binary, or not readable.
struct ExchangeFile
{
    QStringList lines;
    TextEncoding encoding = TextEncoding::ShiftJis;
    QString error;
    // Lines (0-based) whose bytes do not fit the encoding they were read in:
    // bytes that are no character of it, or, read as Shift-JIS, Japanese text
    // written in UTF-8. Their text is garbage and must not be taken for names.
    QList<int> badLines;
};

// Files above this size are refused before they are read: a statement of a
// million lines is far smaller, and reading gigabytes into memory would stall
// the program for minutes.
inline constexpr qint64 kMaxExchangeFileSize = 256LL * 1024 * 1024;

// Decodes bytes: a UTF-8 byte-order mark, or bytes that are valid UTF-8 with
// some non-ASCII in them, are UTF-8 (Auto); everything else is Shift-JIS. The
// user may choose either by hand instead. A NUL byte marks a binary file. Lines
// end at CR LF, LF or CR; a last empty line is not counted.
ExchangeFile decodeExchangeText(const QByteArray &bytes, TextEncoding encoding = TextEncoding::Auto);
ExchangeFile readExchangeFile(const QString &fileName, TextEncoding encoding = TextEncoding::Auto);

// Splits one line. With a quote character: fields are separated by delimiter; a
// field that starts with quote runs to its closing quote (a doubled quote is
// one); outside quotes a character of code 32 or below also ends a field and
// runs of them around fields are skipped; a delimiter at the very end adds one
// empty field. With quote 0 the line is cut at every delimiter and nothing else.
// brokenQuote (when given) tells that a quoted field had no closing quote.
QStringList SplitLine(const QString &line, QChar delimiter, QChar quote, bool *brokenQuote = nullptr);

// Writes fields: a field is enclosed in quote (inner quotes doubled) when quote
// is not 0 and quoted is true; fields are joined by delimiter.
class DelimitedLine
{
public:
    DelimitedLine(QChar delimiter, QChar quote) : m_delimiter(delimiter), m_quote(quote) {}
    void append(const QString &text, bool quoted);
    QString text() const { return m_line; }
    void clear()
    {
        m_line.clear();
        m_count = 0;
    }

private:
    QChar m_delimiter;
    QChar m_quote;
    QString m_line;
    int m_count = 0;
};

// How statements write amounts. currencySign: 0 none, '\\' yen, '$' dollar, '*'
// any one leading sign that is not +, - or a digit.
struct AmountFormat
{
    QChar thousands; // 0 none
    QChar currencySign;
};
// The amount of text, to four decimals; nullopt when it is no number.
std::optional<Currency> ParseAmount(QString text, const AmountFormat &format);

// Date formats of the exchange files.
inline const QStringList kExchangeDateFormats{QStringLiteral("yyyy/mm/dd"), QStringLiteral("yy/mm/dd"),
                                              QStringLiteral("mm/dd/yyyy"), QStringLiteral("mm/dd/yy")};
// Three numbers separated by "/" in the order of format ("yyyy/mm/dd" and
// "yy/mm/dd" year first, the others month first); a two-digit year falls in the
// 50-year window around this century. An invalid QDate for anything else.
QDate ParseExchangeDate(const QString &text, const QString &format);
QString FormatExchangeDate(const QDate &date, const QString &format);
// A number in general form with up to 15 significant digits, a decimal point
// only when needed.
QString FormatExchangeNumber(double value);
