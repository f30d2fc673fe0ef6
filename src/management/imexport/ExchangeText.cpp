#include "management/imexport/ExchangeText.h"

#include <QFile>
#include <QRegularExpression>

#include "platform/system/ShiftJis.h"

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        int extra = 0;
        unsigned min = 0;
        unsigned cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            min = 0x80;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            min = 0x800;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            min = 0x10000;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

bool hasNonAscii(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

// Splits bytes into lines by the same rule as the decoded text: CR and LF are
// single bytes in both encodings and never part of a character.
QList<QByteArrayView> byteLines(const QByteArray &bytes)
{
    QList<QByteArrayView> lines;
    const char *p = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == '\r' || p[i] == '\n') {
            lines << QByteArrayView(p + start, i - start);
            if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << QByteArrayView(p + start, n - start);
    return lines;
}

// Japanese text in UTF-8: valid UTF-8 with kana, kanji or full-width forms.
// Read as Shift-JIS such bytes mostly make valid but meaningless characters,
// so they are told apart here; real Shift-JIS text is almost never valid UTF-8
// with such characters in it.
bool looksLikeJapaneseUtf8(QByteArrayView line)
{
    if (!hasNonAscii(line) || !isValidUtf8(line))
        return false;
    for (const QChar c : QString::fromUtf8(line)) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

} // namespace

ExchangeFile decodeExchangeText(const QByteArray &bytes, TextEncoding encoding)
{
    ExchangeFile file;
    if (bytes.contains('\0')) {
        file.error = QStringLiteral("テキストファイルではありません。");
        return file;
    }
    QByteArray body = bytes;
    const bool bom = body.startsWith("\xEF\xBB\xBF");
    if (encoding == TextEncoding::Auto)
        encoding = bom || (hasNonAscii(body) && isValidUtf8(body)) ? TextEncoding::Utf8 : TextEncoding::ShiftJis;
    if (encoding == TextEncoding::Utf8 && bom)
        body.remove(0, 3);
    file.encoding = encoding;
    const QString text = encoding == TextEncoding::Utf8 ? QString::fromUtf8(body) : fromShiftJis(body);
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            file.lines << current;
            current.clear();
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        file.lines << current;
    const QList<QByteArrayView> raw = byteLines(body);
    for (int i = 0; i < file.lines.size(); ++i) {
        if (file.lines.at(i).contains(QChar(0xFFFD)) ||
            (encoding == TextEncoding::ShiftJis && i < raw.size() && looksLikeJapaneseUtf8(raw.at(i))))
            file.badLines << i;
    }
    return file;
}

ExchangeFile readExchangeFile(const QString &fileName, TextEncoding encoding)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        ExchangeFile file;
        file.error = QStringLiteral("ファイルを開けません。") + QLatin1Char('\n') + f.errorString();
        return file;
    }
    if (f.size() > kMaxExchangeFileSize) {
        ExchangeFile file;
        file.error = QStringLiteral("ファイルが大きすぎます。");
        return file;
    }
    return decodeExchangeText(f.readAll(), encoding);
}

QStringList SplitLine(const QString &line, QChar delimiter, QChar quote, bool *brokenQuote)
{
    if (brokenQuote)
        *brokenQuote = false;
    QStringList fields;
    if (line.isEmpty())
        return fields;
    if (quote.isNull())
        return line.split(delimiter);
    const qsizetype n = line.size();
    auto blank = [&](qsizetype i) { return i < n && line.at(i).unicode() <= 32 && line.at(i) != delimiter; };
    qsizetype i = 0;
    while (blank(i))
        ++i;
    while (i < n) {
        QString field;
        if (line.at(i) == quote) {
            ++i;
            bool closed = false;
            while (i < n) {
                if (line.at(i) == quote) {
                    if (i + 1 < n && line.at(i + 1) == quote) {
                        field += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                field += line.at(i++);
            }
            if (!closed && brokenQuote)
                *brokenQuote = true;
        } else {
            while (i < n && line.at(i) != delimiter && !(line.at(i).unicode() <= 32))
                field += line.at(i++);
        }
        fields << field;
        while (blank(i))
            ++i;
        if (i < n && line.at(i) == delimiter) {
            if (i + 1 == n)
                fields << QString();
            ++i;
            while (blank(i))
                ++i;
        }
    }
    return fields;
}

void DelimitedLine::append(const QString &text, bool quoted)
{
    if (!m_delimiter.isNull() && m_count > 0)
        m_line += m_delimiter;
    ++m_count;
    if (!m_quote.isNull() && quoted) {
        QString inner = text;
        inner.replace(m_quote, QString(2, m_quote));
        m_line += m_quote + inner + m_quote;
    } else {
        m_line += text;
    }
}

std::optional<Currency> ParseAmount(QString text, const AmountFormat &format)
{
    if (!format.thousands.isNull())
        text.remove(format.thousands);
    text = text.trimmed();
    if (format.currencySign == u'\\' || format.currencySign == u'$') {
        text.remove(format.currencySign);
        // A statement written in UTF-8 carries the yen sign as its own character.
        if (format.currencySign == u'\\') {
            text.remove(QChar(0x00A5));
            text.remove(QChar(0xFFE5));
        }
    } else if (format.currencySign == u'*' && !text.isEmpty()) {
        const QChar first = text.at(0);
        if (first != u'+' && first != u'-' && !first.isDigit())
            text.remove(0, 1);
    }
    text = text.trimmed();
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    const qsizetype point = text.indexOf(u'.');
    if (point >= 0 && text.size() - point - 1 > 4)
        return std::nullopt; // more than four decimals is no amount of this program
    // Eighteen digits overflow the fixed-point amount.
    if (text.size() > 16)
        return std::nullopt;
    bool ok = false;
    const Currency value = Currency::fromString(text.startsWith(u'+') ? text.mid(1) : text, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QDate ParseExchangeDate(const QString &text, const QString &format)
{
    const QStringList parts = text.trimmed().split(u'/');
    if (parts.size() != 3)
        return {};
    int numbers[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const QString p = parts.at(i).trimmed();
        if (p.isEmpty() || p.size() > 4)
            return {};
        numbers[i] = p.toInt(&ok);
        if (!ok || numbers[i] < 0)
            return {};
    }
    const bool yearFirst = format.startsWith(u'y');
    int year = yearFirst ? numbers[0] : numbers[2];
    const int month = yearFirst ? numbers[1] : numbers[0];
    const int day = yearFirst ? numbers[2] : numbers[1];
    const QString yearText = yearFirst ? parts.at(0).trimmed() : parts.at(2).trimmed();
    if (yearText.size() <= 2) {
        // The two-digit-year window of 50: years within 50 of today's century.
        const int thisYear = QDate::currentDate().year();
        const int century = thisYear - thisYear % 100;
        year += century;
        if (year > thisYear + 50)
            year -= 100;
        else if (year <= thisYear - 50)
            year += 100;
    }
    return QDate(year, month, day);
}

QString FormatExchangeDate(const QDate &date, const QString &format)
{
    if (!date.isValid())
        return QString();
    const QString yyyy = QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
    const QString yy = QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
    const QString mm = QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
    const QString dd = QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
    if (format == u"yy/mm/dd")
        return yy + u'/' + mm + u'/' + dd;
    if (format == u"mm/dd/yyyy")
        return mm + u'/' + dd + u'/' + yyyy;
    if (format == u"mm/dd/yy")
        return mm + u'/' + dd + u'/' + yy;
    return yyyy + u'/' + mm + u'/' + dd;
}

QString FormatExchangeNumber(double value)
{
    return QString::number(value, 'g', 15);
}
