#include <random>

#include <QRegularExpression>
#include <QtTest>

#include "main/AWKStr.h"
#include "main/REParser.h"
#include "main/REPreProcessor.h"
#include "main/RE_DFA.h"
#include "main/RE_NFA.h"

using namespace Qt::StringLiterals;

// The pattern engine and its matching component: syntax, errors with their
// message and position, anchors, leftmost-longest results (also against
// QRegularExpression over many generated cases), the fuzzy-character
// dictionary and the cache of compiled patterns.
class TestPatternEngine : public QObject
{
    Q_OBJECT

    // 0-based start and length of MatchText, or (-1, 0) without a match.
    static QPair<int, int> match(TAWKStr &awk, const QString &text)
    {
        int start = 0, length = 0;
        if (awk.MatchText(text, start, length) == 0)
            return {-1, 0};
        return {start - 1, length};
    }

private slots:
    void matches_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");   // 0-based, -1 none
        QTest::addColumn<int>("length");

        QTest::newRow("literal") << u"abc"_s << u"xxabcx"_s << 2 << 3;
        QTest::newRow("no match") << u"abd"_s << u"xxabcx"_s << -1 << 0;
        QTest::newRow("case sensitive") << u"ABC"_s << u"abc"_s << -1 << 0;
        QTest::newRow("leftmost then longest") << u"a|ab|abc"_s << u"xabcd"_s << 1 << 3;
        QTest::newRow("longest alternative later") << u"b|abc"_s << u"abc"_s << 0 << 3;
        QTest::newRow("star is greedy to the longest") << u"a*b"_s << u"caaab"_s << 1 << 4;
        QTest::newRow("plus") << u"ab+"_s << u"abbbc"_s << 0 << 4;
        QTest::newRow("question") << u"colou?r"_s << u"color"_s << 0 << 5;
        QTest::newRow("group repeated") << u"(ab)*c"_s << u"xababc"_s << 1 << 5;
        QTest::newRow("empty pattern matches empty at 1") << QString() << u"abc"_s << 0 << 0;
        QTest::newRow("empty text, empty-able pattern") << u"a*"_s << QString() << 0 << 0;
        QTest::newRow("empty text, no match") << u"a"_s << QString() << -1 << 0;
        QTest::newRow("a| matches empty") << u"a|"_s << u"bbb"_s << 0 << 0;
        QTest::newRow("() matches empty") << u"()"_s << u"x"_s << 0 << 0;
        // Escapes.
        QTest::newRow("\\x41") << u"\\x41"_s << u"zA"_s << 1 << 1;
        QTest::newRow("\\101 octal") << u"\\101"_s << u"zA"_s << 1 << 1;
        QTest::newRow("\\x ends at a non-digit") << u"\\x41g"_s << u"Ag"_s << 0 << 2;
        QTest::newRow("\\n \\t") << u"a\\tb\\n"_s << u"a\tb\n"_s << 0 << 4;
        QTest::newRow("\\x3042 is あ") << u"\\x3042"_s << u"いあ"_s << 1 << 1;
        QTest::newRow("escaped meta") << u"\\(\\.\\*\\)"_s << u"x(.*)"_s << 1 << 4;
        QTest::newRow("braces are literals") << u"a{2}"_s << u"a{2}"_s << 0 << 4;
        QTest::newRow("\\x0 matches nothing") << u"\\x0"_s << QString(QChar(0)) << -1 << 0;
        // Classes.
        QTest::newRow("[a-] a") << u"[a-]"_s << u"a"_s << 0 << 1;
        QTest::newRow("[a-] dash") << u"[a-]"_s << u"-"_s << 0 << 1;
        QTest::newRow("[a\\]] bracket") << u"[a\\]]"_s << u"]"_s << 0 << 1;
        QTest::newRow("[^a-z] capital") << u"[^a-z]"_s << u"aA"_s << 1 << 1;
        QTest::newRow("[^a-z] kana") << u"[^a-z]"_s << u"bあ"_s << 1 << 1;
        QTest::newRow("[^a-z] never LF") << u"[^a-z]"_s << u"\n"_s << -1 << 0;
        QTest::newRow("[^a-z] never CR") << u"[^a-z]"_s << u"\r"_s << -1 << 0;
        QTest::newRow("[ぁ-ん] first") << u"[ぁ-ん]+"_s << u"xぁかんx"_s << 1 << 3;
        QTest::newRow("[^^] caret literal") << u"[a^]"_s << u"^"_s << 0 << 1;
        QTest::newRow("overlapping ranges") << u"[a-m][h-z]"_s << u"zhk"_s << 1 << 2;
        QTest::newRow("dot not LF") << u"a.c"_s << u"a\nc abc"_s << 4 << 3;
        QTest::newRow("dot any kanji") << u"a.c"_s << u"a漢c"_s << 0 << 3;
        QTest::newRow("class with \\x range") << u"[\\x30-\\x39]+"_s << u"ab123c"_s << 2 << 3;
        // Surrogate pairs are two code units: positions are the editor's.
        QTest::newRow("after surrogate pair") << u"b"_s << u"a😀b"_s << 3 << 1;
        // Anchors.
        QTest::newRow("^b at start") << u"^b"_s << u"bc"_s << 0 << 1;
        QTest::newRow("^b after LF") << u"^b"_s << u"a\nbc"_s << 2 << 1;
        QTest::newRow("^b not in ab") << u"^b"_s << u"ab"_s << -1 << 0;
        QTest::newRow("^ in alternative") << u"x|^b"_s << u"b"_s << 0 << 1;
        QTest::newRow("a$ at end") << u"a$"_s << u"ba"_s << 1 << 1;
        QTest::newRow("a$ before CR") << u"a$"_s << u"ba\r\nc"_s << 1 << 1;
        QTest::newRow("a$ not in ab") << u"a$"_s << u"ab"_s << -1 << 0;
        QTest::newRow("x^ is literal") << u"x^"_s << u"ax^"_s << 1 << 2;
        QTest::newRow("a$b is literal") << u"a$b"_s << u"a$b"_s << 0 << 3;
        QTest::newRow("^ in star is literal") << u"(^a)*b"_s << u"^a^ab"_s << 0 << 5;
        QTest::newRow("$ alone at the end") << u"$"_s << u"abc"_s << 3 << 0;
        QTest::newRow("^$ empty line") << u"^$"_s << u"a\n\r\n"_s << 2 << 0;
        QTest::newRow("^abc$ whole line") << u"^abc$"_s << u"x\nabc\r\n"_s << 2 << 3;
        // The pseudo codes lie outside the code units: \xFFFE is a character.
        QTest::newRow("\\xFFFE is no line end") << u"a\\xFFFE"_s << u"a"_s << -1 << 0;
        QTest::newRow("\\xFFFD is no line start") << u"\\xFFFDb"_s << u"b"_s << -1 << 0;
        QTest::newRow("full range class with anchor") << u"^[\\x1-\\xFFFF]"_s << u"q"_s << 0 << 1;
        QTest::newRow("full range class is no anchor") << u"[\\x1-\\xFFFF]$"_s << u"q\r"_s << 0 << 1;
        QTest::newRow("\\xFFFE literal") << u"\\xFFFE"_s << QString(QChar(0xFFFE)) << 0 << 1;
    }

    void matches()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        TAWKStr awk;
        awk.SetRegExp(pattern);
        const auto got = match(awk, text);
        QCOMPARE(got.first, start);
        QCOMPARE(got.second, length);
    }

    void lineSeparatorLf()
    {
        TAWKStr awk;
        awk.LineSeparator = mcls_LF;
        awk.SetRegExp(u"a$"_s);
        QCOMPARE(match(awk, u"a\r\nx"_s).first, -1);
        QCOMPARE(match(awk, u"xa\nx"_s), qMakePair(1, 1));
    }

    void errors_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("position");

        QTest::newRow("backslash at end") << u"ab\\"_s << u"\"\\\"の次には文字が必要です。"_s << 4;
        QTest::newRow("\\x alone") << u"\\x"_s << u"不正な１６進数コード表記です。"_s << 3;
        QTest::newRow("\\xg") << u"a\\xg"_s << u"不正な１６進数コード表記です。"_s << 4;
        QTest::newRow("octal too big") << u"\\200000"_s << u"不正な８進数コード表記です。"_s << 8;
        QTest::newRow("[ at end") << u"a["_s << u"右ブラケット\"]\"が必要です"_s << 3;
        QTest::newRow("class not closed") << u"[abc"_s << u"右ブラケット\"]\"が必要です"_s << 5;
        QTest::newRow("reversed range") << u"[z-a]"_s << u"不正なキャラクタ範囲です"_s << 5;
        QTest::newRow("empty class") << u"[]"_s << u"不正なキャラクタクラス指定です。"_s << 3;
        QTest::newRow("empty negated class") << u"x[^]"_s << u"不正なキャラクタクラス指定です。"_s << 5;
        QTest::newRow("( without )") << u"(ab"_s << u"右(閉じ)括弧が必要です"_s << 4;
        QTest::newRow("*a") << u"*a"_s << u"普通の文字、または左括弧\"(\"が必要です"_s << 2;
        QTest::newRow("a**") << u"a**"_s << u"普通の文字、または左括弧\"(\"が必要です"_s << 4;
        QTest::newRow("a+?") << u"a+?"_s << u"普通の文字、または左括弧\"(\"が必要です"_s << 4;
        QTest::newRow("] alone") << u"a]"_s << u"普通の文字、または左括弧\"(\"が必要です"_s << 3;
        QTest::newRow("surplus )") << u"ab)c"_s << u"正規表現に余分な文字があります"_s << 4;
    }

    void errors()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, message);
        QFETCH(int, position);
        TAWKStr awk;
        awk.SetRegExp(u"ok"_s);
        try {
            awk.SetRegExp(pattern);
            QFAIL("no error");
        } catch (const ERegExpParser &e) {
            QCOMPARE(e.message(), message);
            QCOMPARE(e.ErrorPos, position);
        }
        // A failed compile leaves the empty pattern current and RegExp empty.
        QCOMPARE(awk.RegExp(), QString());
        QCOMPARE(awk.currentPattern(), QString());
        QVERIFY(!awk.cachedPatterns().contains(pattern));
        QCOMPARE(match(awk, u"ok"_s), qMakePair(0, 0));
    }

    void rangesAreDisjoint()
    {
        TREParser parser(u"[a-m]|[h-z]|[k-p]x|.[^q]"_s);
        parser.Parse();
        const auto &leaves = parser.tree().leaves();
        for (size_t i = 0; i < leaves.size(); ++i)
            for (size_t j = i + 1; j < leaves.size(); ++j)
                QVERIFY2(leaves[i]->High < leaves[j]->Low || leaves[j]->High < leaves[i]->Low,
                         qPrintable(u"%1-%2 / %3-%4"_s.arg(leaves[i]->Low).arg(leaves[i]->High)
                                        .arg(leaves[j]->Low).arg(leaves[j]->High)));
        TRE_NFA nfa(parser);
        nfa.Build();
        TRE_DFA dfa(nfa);
        dfa.Build();
        // Each state's chain is sorted and does not overlap, and the lookup
        // agrees with the matcher's table.
        for (int s = 0; s < int(dfa.states().size()); ++s) {
            const auto &chain = dfa.states()[size_t(s)].Transitions;
            for (size_t k = 1; k < chain.size(); ++k)
                QVERIFY(chain[k - 1].High < chain[k].Low);
            for (char16_t c : {u'a', u'h', u'k', u'q', u'x', u'z', u'\n', u'あ'})
                QCOMPARE(dfa.Next(s, c), dfa.step(s, dfa.classOf(c)));
        }
    }

    void fuzzy_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fuzzy");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");

        QTest::newRow("ABC ａｂｃ") << u"ABC"_s << u"xａｂｃ"_s << true << 1 << 3;
        QTest::newRow("ABC Ａbｃ") << u"ABC"_s << u"Ａbｃ"_s << true << 0 << 3;
        QTest::newRow("ABC plain") << u"ABC"_s << u"ａｂｃ"_s << false << -1 << 0;
        QTest::newRow("ガッコウ がっこう") << u"ガッコウ"_s << u"今日はがっこうへ"_s << true << 3 << 4;
        QTest::newRow("ガッコウ half width") << u"ガッコウ"_s << u"ｶﾞｯｺｳ"_s << true << 0 << 5;
        QTest::newRow("ガッコウ unrelated") << u"ガッコウ"_s << u"かっこう"_s << true << -1 << 0;
        QTest::newRow("がっこう か゛っこう") << u"がっこう"_s << u"か゛っこう"_s << true << 0 << 5;
        QTest::newRow("コーヒー ｺｰﾋｰ") << u"コーヒー"_s << u"ｺｰﾋｰ"_s << true << 0 << 4;
        QTest::newRow("コーヒー コヒ") << u"コーヒー"_s << u"コヒ"_s << true << 0 << 2;
        QTest::newRow("1 壱") << u"1"_s << u"金壱万"_s << true << 1 << 1;
        QTest::newRow("1 ①") << u"1"_s << u"①"_s << true << 0 << 1;
        QTest::newRow("1 Ⅰ") << u"1"_s << u"Ⅰ"_s << true << 0 << 1;
        QTest::newRow("1 一") << u"1"_s << u"一"_s << true << 0 << 1;
        QTest::newRow("ず す゛") << u"ず"_s << u"す゛"_s << true << 0 << 2;
        QTest::newRow("ず ス゛") << u"ず"_s << u"ス゛"_s << true << 0 << 2;
        QTest::newRow("ヴァ ば") << u"ヴァ"_s << u"ば"_s << true << 0 << 1;
        QTest::newRow("class not rewritten") << u"[A]"_s << u"ａa"_s << true << -1 << 0;
        QTest::newRow("negated class not rewritten") << u"[^A]"_s << u"A"_s << true << -1 << 0;
        QTest::newRow("escaped paren full width") << u"\\(1\\)"_s << u"（１）"_s << true << 0 << 3;
        QTest::newRow("dot literal") << u"\\."_s << u"。"_s << true << 0 << 1;
        // A fit of several characters before a postfix operator is not taken:
        // "カ゛*" keeps its meaning (カ then any number of ゛).
        QTest::newRow("multi-char fit before *") << u"カ゛*"_s << u"xか"_s << true << 1 << 1;
        QTest::newRow("multi-char fit before * repeats") << u"カ゛*"_s << u"ｶﾞﾞ"_s << true << 0 << 3;
        QTest::newRow("one-char fit before *") << u"a*b"_s << u"ＡaＢ"_s << true << 0 << 3;
    }

    void fuzzy()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, fuzzy);
        QFETCH(int, start);
        QFETCH(int, length);
        TAWKStr awk;
        awk.setUseFuzzyCharDic(fuzzy);
        awk.SetRegExp(pattern);
        const auto got = match(awk, text);
        QCOMPARE(got.first, start);
        QCOMPARE(got.second, length);
    }

    // The dictionary's empty alternative makes "ー" optional; a search must
    // still find a real long-vowel mark wherever it stands and report no empty
    // match as a hit.
    void longVowelAlone()
    {
        TAWKStr awk;
        awk.setUseFuzzyCharDic(true);
        awk.SetRegExp(u"ー"_s);
        int start = 0, length = 0;
        QCOMPARE(awk.MatchText(u"abc"_s, start, length), 1);
        QCOMPARE(length, 0);
        QCOMPARE(awk.MatchNonEmpty(u"abc"_s, start, length), 0);
        QCOMPARE(start, 0);
        QCOMPARE(length, 0);
        QCOMPARE(awk.MatchNonEmpty(u"すごいｰ"_s, start, length), 4);
        QCOMPARE(length, 1);
        QCOMPARE(awk.MatchNonEmpty(u"a～b"_s, start, length), 2);
        QCOMPARE(awk.MatchNonEmpty(u"ー"_s, start, length), 1);
    }

    void dictionaryShape()
    {
        const TREDictionary &dic = FuzzyCharDic();
        QCOMPARE(dic.size(), 145);
        QCOMPARE(dic.at(0), QStringList({u"Ａ"_s, u"ａ"_s, u"A"_s, u"a"_s}));
        QCOMPARE(dic.at(36), QStringList({u"\u3000"_s, u" "_s}));
        QCOMPARE(dic.at(38), QStringList({u"\""_s, u"”"_s}));
        QCOMPARE(dic.at(48), QStringList({u"ー"_s, u"～"_s, u"ｰ"_s, QString()}));
        QCOMPARE(dic.at(68), QStringList({u","_s, u"､"_s, u"、"_s, u"，"_s}));
        QCOMPARE(dic.at(144), QStringList({u"ﾟ"_s, u"゜"_s}));
        QCOMPARE(TREPreProcessor::QuoteRegExpChars(u"^(|)+*?.[]$\\aあ"_s),
                 u"\\^\\(\\|\\)\\+\\*\\?\\.\\[\\]\\$\\\\aあ"_s);
    }

    void preprocessorErrorKeepsPattern()
    {
        TAWKStr awk;
        awk.setUseFuzzyCharDic(true);
        awk.SetRegExp(u"abc"_s);
        const int compiled = awk.compileCount();
        QVERIFY_THROWS_EXCEPTION(ERegExpParser, awk.SetRegExp(u"a\\"_s));
        QCOMPARE(awk.RegExp(), u"abc"_s);
        QCOMPARE(awk.compileCount(), compiled);
        QCOMPARE(match(awk, u"xＡＢＣ"_s), qMakePair(1, 3));
    }

    void cache()
    {
        TAWKStr awk;
        const int base = awk.compileCount();
        for (int i = 1; i <= 29; ++i)
            awk.SetRegExp(u"p%1"_s.arg(i));
        QCOMPARE(awk.cachedPatterns().size(), 30);
        QCOMPARE(awk.cachedPatterns().first(), QString());
        QCOMPARE(awk.cachedPatterns().at(1), u"p29"_s);
        // A pattern in the cache is taken without a compile and not moved.
        awk.SetRegExp(u"p1"_s);
        QCOMPARE(awk.compileCount(), base + 29);
        QCOMPARE(awk.cachedPatterns().last(), u"p1"_s);
        QCOMPARE(awk.RegExp(), u"p1"_s);
        QCOMPARE(match(awk, u"xp1"_s), qMakePair(1, 2));
        // A 30th different one pushes out the oldest inserted.
        awk.SetRegExp(u"p30"_s);
        QCOMPARE(awk.compileCount(), base + 30);
        QCOMPARE(awk.cachedPatterns().size(), 30);
        QVERIFY(!awk.cachedPatterns().contains(u"p1"_s));
        QCOMPARE(awk.cachedPatterns().at(1), u"p30"_s);
        QCOMPARE(awk.cachedPatterns().first(), QString());
        // The switch sets the pattern again, preprocessed anew.
        awk.setUseFuzzyCharDic(true);
        QCOMPARE(awk.RegExp(), u"p30"_s);
        QVERIFY(awk.currentPattern().startsWith(u"(ｐ|"_s) || awk.currentPattern().startsWith(u"(Ｐ|"_s));
    }

    // Random patterns over the common syntax against QRegularExpression, whose
    // leftmost-longest result is found by trying every start and end with an
    // anchored whole match.
    void differentialAgainstQRegularExpression()
    {
        std::mt19937 rng(20260402);
        auto below = [&](int n) { return int(rng() % unsigned(n)); };
        const QString alphabet = u"abcあ"_s;
        std::function<QString(int)> gen = [&](int depth) -> QString {
            const int kind = depth <= 0 ? below(3) : below(9);
            QString atom;
            switch (kind) {
            case 0:
            case 1:
                atom = alphabet.at(below(int(alphabet.size())));
                break;
            case 2:
                atom = QStringList{u"[ab]"_s, u"[^a]"_s, u"[a-c]"_s, u"."_s, u"[bあ]"_s}.at(below(5));
                break;
            case 3:
            case 4: {   // concatenation
                atom = gen(depth - 1) + gen(depth - 1);
                break;
            }
            case 5:     // alternation, either side may be empty
                atom = u"("_s + (below(6) ? gen(depth - 1) : QString()) + u"|"_s + gen(depth - 1) + u")"_s;
                break;
            default:    // a group with a postfix operator
                atom = u"("_s + gen(depth - 1) + u")"_s + QString(u"*+?"_s.at(below(3)));
                break;
            }
            if (atom.size() == 1 && below(4) == 0)
                atom += u"*+?"_s.at(below(3));
            return atom;
        };
        auto oracle = [](const QRegularExpression &re, const QString &text, bool nonEmpty) -> QPair<int, int> {
            for (int s = 0; s <= text.size(); ++s)
                for (int e = int(text.size()); e >= s + (nonEmpty ? 1 : 0); --e)
                    if (re.match(text.mid(s, e - s)).hasMatch())
                        return {s, e - s};
            return {-1, 0};
        };
        int cases = 0;
        TAWKStr awk;
        for (int p = 0; p < 1500; ++p) {
            const QString pattern = gen(1 + below(3));
            QRegularExpression re(u"\\A(?:"_s + pattern + u")\\z"_s);
            QVERIFY2(re.isValid(), qPrintable(pattern));
            awk.SetRegExp(pattern);
            for (int t = 0; t < 3; ++t) {
                QString text;
                for (int n = below(9); n > 0; --n)
                    text += alphabet.at(below(int(alphabet.size())));
                for (bool nonEmpty : {false, true}) {
                    int start = 0, length = 0;
                    const int found = nonEmpty ? awk.MatchNonEmpty(text, start, length)
                                               : awk.MatchText(text, start, length);
                    const QPair<int, int> got = found ? qMakePair(start - 1, length) : qMakePair(-1, 0);
                    const QPair<int, int> want = oracle(re, text, nonEmpty);
                    QVERIFY2(got == want, qPrintable(u"/%1/ on \"%2\"%3: %4,%5 want %6,%7"_s.arg(pattern, text)
                                                         .arg(nonEmpty ? u" (non-empty)"_s : QString())
                                                         .arg(got.first).arg(got.second)
                                                         .arg(want.first).arg(want.second)));
                    ++cases;
                }
            }
        }
        QCOMPARE(cases, 9000);
    }
};

QTEST_GUILESS_MAIN(TestPatternEngine)
#include "tst_patternengine.moc"
