#include "main/REPreProcessor.h"

#include <vector>

using namespace Qt::StringLiterals;

QString TREPreProcessor::QuoteRegExpChars(const QString &text)
{
    static const QString special = u"^(|)+*?.[]$\\"_s;
    QString out;
    out.reserve(text.size() * 2);
    for (QChar c : text) {
        if (special.contains(c))
            out += u'\\';
        out += c;
    }
    return out;
}

QString TREPreProcessor::Run(const QString &pattern)
{
    QString text = pattern;
    if (UseSynonymDic)
        text = substitute(text, SynonymDics);
    if (UseFuzzyCharDic)
        text = substitute(text, FuzzyCharDics);
    return text;
}

QString TREPreProcessor::substitute(const QString &pattern, const QList<const TREDictionary *> &dics)
{
    std::vector<Token> tokens;
    TREScanner scanner(pattern);
    do {
        scanner.GetToken();
        tokens.push_back({scanner.Token, scanner.Code, scanner.tokenStart(), scanner.tokenEnd()});
    } while (scanner.Token != TREToken::End);

    auto source = [&](const Token &t) { return pattern.mid(t.Start, t.End - t.Start); };
    auto isPostfix = [](TREToken kind) {
        return kind == TREToken::Star || kind == TREToken::Plus || kind == TREToken::QMark;
    };

    QString result;
    bool inClass = false;
    size_t i = 0;
    while (i < tokens.size()) {
        const Token &t = tokens[i];
        if (t.Kind == TREToken::LBra || t.Kind == TREToken::LBraNeg)
            inClass = true;
        else if (t.Kind == TREToken::RBra)
            inClass = false;
        if (t.Kind != TREToken::Char || inClass) {
            result += source(t);
            ++i;
            continue;
        }
        size_t runEnd = i;
        while (runEnd < tokens.size() && tokens[runEnd].Kind == TREToken::Char)
            ++runEnd;
        // Rewrite the run from its first token on.
        while (i < runEnd) {
            const QStringList *entryFound = nullptr;
            size_t fitted = 0;
            for (const TREDictionary *dic : dics) {
                for (const QStringList &entry : *dic) {
                    for (const QString &s : entry) {
                        const size_t n = size_t(s.size());
                        if (n == 0 || i + n > runEnd)
                            continue;
                        bool fits = true;
                        for (size_t k = 0; k < n && fits; ++k)
                            fits = tokens[i + k].Code == s.at(qsizetype(k)).unicode();
                        // A postfix operator after a fit of several characters
                        // would repeat the whole group; only a one-character fit
                        // keeps the pattern's meaning there.
                        if (fits && n > 1 && isPostfix(tokens[i + n].Kind))
                            fits = false;
                        if (fits) {
                            entryFound = &entry;
                            fitted = n;
                            break;
                        }
                    }
                    if (entryFound)
                        break;
                }
                if (entryFound)
                    break;
            }
            if (!entryFound) {
                result += source(tokens[i]);
                ++i;
                continue;
            }
            QStringList quoted;
            for (const QString &s : *entryFound)
                quoted << QuoteRegExpChars(s);
            result += u'(' + quoted.join(u'|') + u')';
            i += fitted;
        }
    }
    return result;
}
