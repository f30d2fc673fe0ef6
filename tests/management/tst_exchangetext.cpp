#include <QRandomGenerator>
#include <QtTest>

#include "TestEnv.h"
#include "management/imexport/ExchangeText.h"
#include "platform/system/ShiftJis.h"

using namespace Qt::StringLiterals;

// Reading exchange files as text: encodings, line ends, the splitting rule,
// amounts and dates as statements write them.
class TestExchangeText : public QObject
{
    Q_OBJECT

private slots:
    void splitLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<QString>("quote");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("broken");
        QTest::newRow("plain") << u"a,b,c"_s << u","_s << u"\""_s << QStringList{u"a"_s, u"b"_s, u"c"_s} << false;
        QTest::newRow("quoted comma and doubled quote")
            << u"\"1,234\",\"say \"\"hi\"\"\",x"_s << u","_s << u"\""_s
            << QStringList{u"1,234"_s, u"say \"hi\""_s, u"x"_s} << false;
        QTest::newRow("empty fields") << u"a,,c"_s << u","_s << u"\""_s << QStringList{u"a"_s, u""_s, u"c"_s} << false;
        QTest::newRow("trailing delimiter") << u"a,b,"_s << u","_s << u"\""_s
                                            << QStringList{u"a"_s, u"b"_s, u""_s} << false;
        QTest::newRow("blanks around fields skipped") << u"  a ,  b"_s << u","_s << u"\""_s
                                                      << QStringList{u"a"_s, u"b"_s} << false;
        QTest::newRow("tab, quote none keeps blank") << u"a b\tc"_s << u"\t"_s << QString()
                                                     << QStringList{u"a b"_s, u"c"_s} << false;
        QTest::newRow("tab with quote splits at blank")
            << u"a b\tc"_s << u"\t"_s << u"\""_s << QStringList{u"a"_s, u"b"_s, u"c"_s} << false;
        QTest::newRow("unclosed quote") << u"a,\"bc"_s << u","_s << u"\""_s << QStringList{u"a"_s, u"bc"_s} << true;
        QTest::newRow("apostrophe") << u"'x,y',z"_s << u","_s << u"'"_s << QStringList{u"x,y"_s, u"z"_s} << false;
        QTest::newRow("japanese") << u"\"食費\",\"現金\",500"_s << u","_s << u"\""_s
                                  << QStringList{u"食費"_s, u"現金"_s, u"500"_s} << false;
    }
    void splitLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, delimiter);
        QFETCH(QString, quote);
        QFETCH(QStringList, fields);
        QFETCH(bool, broken);
        bool wasBroken = false;
        QCOMPARE(SplitLine(line, delimiter.at(0), quote.isEmpty() ? QChar() : quote.at(0), &wasBroken), fields);
        QCOMPARE(wasBroken, broken);
    }

    void writtenLinesSplitBack()
    {
        // What the writer quotes, the reader splits back into the same fields.
        const QStringList fields{u"a,b"_s, u"say \"x\""_s, u""_s, u"普通預金"_s};
        DelimitedLine line(u',', u'"');
        for (const auto &f : fields)
            line.append(f, true);
        QCOMPARE(line.text(), u"\"a,b\",\"say \"\"x\"\"\",\"\",\"普通預金\""_s);
        QCOMPARE(SplitLine(line.text(), u',', u'"'), fields);
    }

    void amounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("thousands");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qlonglong>("raw");
        QTest::newRow("plain") << u"1500"_s << QString() << QString() << true << 15000000LL;
        QTest::newRow("negative") << u"-300"_s << QString() << QString() << true << -3000000LL;
        QTest::newRow("decimals") << u"1.5"_s << QString() << QString() << true << 15000LL;
        QTest::newRow("four decimals kept") << u"0.1234"_s << QString() << QString() << true << 1234LL;
        QTest::newRow("five decimals refused") << u"0.12345"_s << QString() << QString() << false << 0LL;
        QTest::newRow("yen and comma") << u"\\1,234"_s << u","_s << u"\\"_s << true << 12340000LL;
        QTest::newRow("full-width yen") << u"￥1,234"_s << u","_s << u"\\"_s << true << 12340000LL;
        QTest::newRow("dollar") << u"$12"_s << QString() << u"$"_s << true << 120000LL;
        QTest::newRow("other sign letter") << u"X1234"_s << QString() << u"*"_s << true << 12340000LL;
        QTest::newRow("other sign keeps minus") << u"-1234"_s << QString() << u"*"_s << true << -12340000LL;
        QTest::newRow("period thousands") << u"1.234.567"_s << u"."_s << QString() << true << 12345670000LL;
        QTest::newRow("comma without setting") << u"1,234"_s << QString() << QString() << false << 0LL;
        QTest::newRow("letters") << u"12a"_s << QString() << QString() << false << 0LL;
        QTest::newRow("empty") << u""_s << QString() << QString() << false << 0LL;
        QTest::newRow("huge") << u"99999999999999999999"_s << QString() << QString() << false << 0LL;
    }
    void amounts()
    {
        QFETCH(QString, text);
        QFETCH(QString, thousands);
        QFETCH(QString, sign);
        QFETCH(bool, ok);
        QFETCH(qlonglong, raw);
        AmountFormat f{thousands.isEmpty() ? QChar() : thousands.at(0), sign.isEmpty() ? QChar() : sign.at(0)};
        const auto value = ParseAmount(text, f);
        QCOMPARE(value.has_value(), ok);
        if (ok)
            QCOMPARE(value->raw(), raw);
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QDate>("date");
        QTest::newRow("ymd") << u"2014/01/05"_s << u"yyyy/mm/dd"_s << QDate(2014, 1, 5);
        QTest::newRow("ymd one digit") << u"2014/1/5"_s << u"yyyy/mm/dd"_s << QDate(2014, 1, 5);
        QTest::newRow("yy") << u"14/01/05"_s << u"yy/mm/dd"_s << QDate(2014, 1, 5);
        QTest::newRow("mdy") << u"01/05/2014"_s << u"mm/dd/yyyy"_s << QDate(2014, 1, 5);
        QTest::newRow("mdyy") << u"01/05/14"_s << u"mm/dd/yy"_s << QDate(2014, 1, 5);
        QTest::newRow("impossible") << u"2014/02/30"_s << u"yyyy/mm/dd"_s << QDate();
        QTest::newRow("dashes") << u"2014-01-05"_s << u"yyyy/mm/dd"_s << QDate();
        QTest::newRow("letters") << u"abc"_s << u"yyyy/mm/dd"_s << QDate();
    }
    void dates()
    {
        QFETCH(QString, text);
        QFETCH(QString, format);
        QFETCH(QDate, date);
        QCOMPARE(ParseExchangeDate(text, format), date);
        if (date.isValid() && format.size() == 10)
            QCOMPARE(ParseExchangeDate(FormatExchangeDate(date, format), format), date);
    }
    void dateWrittenShortForm() { QCOMPARE(FormatExchangeDate(QDate(2014, 1, 5), u"mm/dd/yy"_s), u"01/05/14"_s); }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        const QString text = u"日付,費目\r\n2014/01/05,食費\n2014/01/06,日用品\r"_s;
        QTest::newRow("shift-jis") << toShiftJis(text) << int(TextEncoding::ShiftJis);
        QTest::newRow("utf-8") << text.toUtf8() << int(TextEncoding::Utf8);
        QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << int(TextEncoding::Utf8);
    }
    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        const ExchangeFile file = decodeExchangeText(bytes);
        QVERIFY(file.error.isEmpty());
        QCOMPARE(int(file.encoding), encoding);
        QCOMPARE(file.lines, (QStringList{u"日付,費目"_s, u"2014/01/05,食費"_s, u"2014/01/06,日用品"_s}));
    }

    void linesThatDoNotFitTheEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("readAs");
        QTest::addColumn<QList<int>>("bad");
        const QString text = u"date,name\r\n2014/01/05,食費\r\n2014/01/06,abc\r\n"_s;
        const QByteArray utf8Broken = u"date,name\r\n2014/01/05,食費\r\n"_s.toUtf8() + "2014/01/06,\xE9\xA3\xFF\r\n";
        const int autoDetect = int(TextEncoding::Auto), sjis = int(TextEncoding::ShiftJis),
                  utf8 = int(TextEncoding::Utf8);
        QTest::newRow("shift-jis chosen as utf-8") << toShiftJis(text) << utf8 << utf8 << QList<int>{1};
        QTest::newRow("utf-8 chosen as shift-jis") << text.toUtf8() << sjis << sjis << QList<int>{1};
        QTest::newRow("utf-8 detected") << text.toUtf8() << autoDetect << utf8 << QList<int>{};
        QTest::newRow("shift-jis detected") << toShiftJis(text) << autoDetect << sjis << QList<int>{};
        // Half-width kana that happen to be valid UTF-8 (here "ý") are no
        // Japanese text in UTF-8: a bank's Shift-JIS line is not refused.
        QTest::newRow("half-width kana") << toShiftJis(u"2014/01/05,ﾃｽ,1\r\n"_s) << sjis << sjis << QList<int>{};
        // One broken line makes the whole file fail as UTF-8, so detection
        // reads it as Shift-JIS: every Japanese line shows up as a problem.
        QTest::newRow("utf-8 broken, detected") << utf8Broken << autoDetect << sjis << QList<int>{1, 2};
        QTest::newRow("utf-8 broken, chosen") << utf8Broken << utf8 << utf8 << QList<int>{2};
    }
    void linesThatDoNotFitTheEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, chosen);
        QFETCH(int, readAs);
        QFETCH(QList<int>, bad);
        const ExchangeFile file = decodeExchangeText(bytes, TextEncoding(chosen));
        QVERIFY(file.error.isEmpty());
        QCOMPARE(int(file.encoding), readAs);
        QCOMPARE(file.badLines, bad);
        if (bad.isEmpty()) {
            const QString all = file.lines.join(u'|');
            QVERIFY(all.contains(u"食費"_s) || all.contains(u"ﾃｽ"_s));
        }
    }

    void junkIsRefused()
    {
        QVERIFY(!decodeExchangeText(QByteArray("PK\x03\x04\0\0binary", 14)).error.isEmpty());
        // Bytes that are no Shift-JIS come through as replacement characters,
        // which the reader lists as bad data.
        const ExchangeFile bad = decodeExchangeText(QByteArray("a,\x81\x20,b"), TextEncoding::ShiftJis);
        QVERIFY(bad.error.isEmpty());
        QVERIFY(bad.lines.first().contains(QChar(0xFFFD)));
        TestEnv env;
        const ExchangeFile missing = readExchangeFile(env.path(u"none.csv"_s));
        QVERIFY(!missing.error.isEmpty());
    }
};

QTEST_MAIN(TestExchangeText)
#include "tst_exchangetext.moc"
