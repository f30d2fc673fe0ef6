#include "main/FuzzyCharDic.h"

#include <QString>

using namespace Qt::StringLiterals;

QStringList SplitCommaText(const QString &text)
{
    QStringList items;
    QString item;
    int i = 0;
    const int n = int(text.size());
    bool any = false;
    while (i < n) {
        any = true;
        item.clear();
        if (text.at(i) == u'"') {
            ++i;
            while (i < n) {
                if (text.at(i) == u'"') {
                    if (i + 1 < n && text.at(i + 1) == u'"') {
                        item += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text.at(i++);
            }
            while (i < n && text.at(i) != u',')
                item += text.at(i++);
        } else {
            while (i < n && text.at(i) != u',')
                item += text.at(i++);
        }
        items << item;
        if (i < n && text.at(i) == u',') {
            ++i;
            if (i == n)
                items << QString();
        }
    }
    if (!any)
        return {};
    return items;
}

const TREDictionary &FuzzyCharDic()
{
    static const TREDictionary dic = [] {
        TREDictionary d;
        for (int i = 0; i < 26; ++i) {
            const char16_t capital = char16_t('A' + i);
            const char16_t small = char16_t('a' + i);
            d << QStringList{QString(QChar(char16_t(0xFF21 + i))), QString(QChar(char16_t(0xFF41 + i))),
                             QString(QChar(capital)), QString(QChar(small))};
        }
        static const char16_t *const texts[] = {
            u"0,０,零", u"1,１,一,①,Ⅰ,壱", u"2,２,二,②,Ⅱ,弐", u"3,３,三,③,Ⅲ,参", u"4,４,四,④,Ⅳ",
            u"5,５,五,⑤,Ⅴ,伍", u"6,６,六,⑥,Ⅵ", u"7,７,七,⑦,Ⅶ", u"8,８,八,⑧,Ⅷ", u"9,９,九,⑨,Ⅸ",
            u"\"\u3000\",\" \"", u"!,！", u"\"\"\"\",”", u"#,＃", u"$,＄", u"%,％", u"&,＆", u"',’", u"(,（",
            u"),）", u"*,＊", u"+,＋", u"ー,～,ｰ,", u"-,ー,－,～,ｰ", u"･,・", u"/,／", u":,：", u";,；",
            u"<,＜", u"=,＝", u">,＞", u"?,？", u"@,＠", u"[,［,〔", u"\\,￥", u"],］,〕", u"^,＾", u"_,＿",
            u"{,｛", u"|,｜", u"},｝", u"~,￣", u"\",\",､,、,，", u"｡,.,。,．", u"「,『,｢", u"」,』,｣",
            u"ん,ン,ﾝ", u"が,ガ,ｶﾞ,か゛,カ゛", u"ぎ,ギ,ｷﾞ,き゛,キ゛", u"ぐ,グ,ｸﾞ,く゛,ク゛",
            u"げ,ゲ,ｹﾞ,け゛,ケ゛", u"ご,ゴ,ｺﾞ,こ゛,コ゛", u"ざ,ザ,ｻﾞ,さ゛,サ゛",
            u"じ,ジ,ｼﾞ,し゛,シ゛,ぢ,ヂ,ﾁﾞ,ち゛,チ゛", u"ず,ズ,ｽﾞ,す゛,ス゛,づ,ヅ,ﾂﾞ,つ゛,ツ゛",
            u"ぜ,ゼ,ｾﾞ,せ゛,セ゛", u"ぞ,ゾ,ｿﾞ,そ゛,ソ゛", u"だ,ダ,ﾀﾞ,た゛,タ゛", u"で,デ,ﾃﾞ,て゛,テ゛",
            u"ど,ド,ﾄﾞ,と゛,ト゛", u"ば,バ,ﾊﾞ,は゛,ハ゛,ヴァ,う゛ぁ,ウ゛ァ,ｳﾞｧ",
            u"び,ビ,ﾋﾞ,ひ゛,ヒ゛,ヴィ,う゛ぃ,ウ゛ィ,ｳﾞｨ", u"ぶ,ブ,ﾌﾞ,ふ゛,フ゛,ヴ,ウ゛,う゛,ｳﾞ",
            u"べ,ベ,ﾍﾞ,へ゛,ヘ゛,ヴェ,う゛ぇ,ウ゛ェ,ｳﾞｪ", u"ぼ,ボ,ﾎﾞ,ほ゛,ホ゛,ヴォ,う゛ぉ,ウ゛ォ,ｳﾞｫ",
            u"ぱ,パ,ﾊﾟ,は゜,ハ゜", u"ぴ,ピ,ﾋﾟ,ひ゜,ヒ゜", u"ぷ,プ,ﾌﾟ,ふ゜,フ゜", u"ぺ,ペ,ﾍﾟ,へ゜,ヘ゜",
            u"ぽ,ポ,ﾎﾟ,ほ゜,ホ゜", u"あ,ア,ｱ,ぁ,ァ,ｧ", u"い,イ,ｲ,ぃ,ィ,ｨ", u"う,ウ,ｳ,ぅ,ゥ,ｩ",
            u"え,エ,ｴ,ぇ,ェ,ｪ", u"お,オ,ｵ,ぉ,ォ,ｫ", u"か,カ,ｶ", u"き,キ,ｷ", u"く,ク,ｸ", u"け,ケ,ｹ",
            u"こ,コ,ｺ", u"さ,サ,ｻ", u"し,シ,ｼ", u"す,ス,ｽ", u"せ,セ,ｾ", u"そ,ソ,ｿ", u"た,タ,ﾀ", u"ち,チ,ﾁ",
            u"つ,ツ,ﾂ,っ,ッ,ｯ", u"て,テ,ﾃ", u"と,ト,ﾄ", u"な,ナ,ﾅ", u"に,ニ,ﾆ", u"ぬ,ヌ,ﾇ", u"ね,ネ,ﾈ",
            u"の,ノ,ﾉ", u"は,ハ,ﾊ", u"ひ,ヒ,ﾋ", u"ふ,フ,ﾌ", u"へ,ヘ,ﾍ", u"ほ,ホ,ﾎ", u"ま,マ,ﾏ", u"み,ミ,ﾐ",
            u"む,ム,ﾑ", u"め,メ,ﾒ", u"も,モ,ﾓ", u"や,ヤ,ﾔ,ゃ,ャ,ｬ", u"ゆ,ユ,ﾕ,ゅ,ュ,ｭ", u"よ,ヨ,ﾖ,ょ,ョ,ｮ",
            u"ら,ラ,ﾗ", u"り,リ,ﾘ", u"る,ル,ﾙ", u"れ,レ,ﾚ", u"ろ,ロ,ﾛ", u"わ,ワ,ﾜ,うぁ,ウァ,ｳｧ",
            u"ヰ,ゐ,うぃ,ウィ,ｳｨ", u"ヱ,ゑ,うぇ,ウェ,ｳｪ", u"を,ヲ,ｦ,うぉ,ウォ,ｳｫ", u"ﾞ,゛", u"ﾟ,゜"};
        for (const char16_t *text : texts)
            d << SplitCommaText(QString::fromUtf16(text));
        return d;
    }();
    return dic;
}
