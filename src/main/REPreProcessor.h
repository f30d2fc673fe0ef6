#pragma once

#include <QList>
#include <QString>

#include "main/FuzzyCharDic.h"
#include "main/REScanner.h"

// Rewrites a pattern through dictionaries of equivalent texts before it is
// compiled: a run of literal characters outside classes is matched against the
// dictionaries' strings, and a fitting string is replaced by the group of all
// strings of its entry ("ガ" becomes "(が|ガ|ｶﾞ|か゛|カ゛)").
class TREPreProcessor
{
public:
    struct Token
    {
        TREToken Kind = TREToken::End;
        int Code = 0;
        int Start = 0;   // the token's source text, 0-based, end exclusive
        int End = 0;
    };

    // Without a switch on the pattern passes unchanged; raises ERegExpParser
    // for a pattern the scanner rejects.
    QString Run(const QString &pattern);

    QList<const TREDictionary *> SynonymDics;
    QList<const TREDictionary *> FuzzyCharDics;
    bool UseSynonymDic = false;
    bool UseFuzzyCharDic = false;

    // A backslash before each of ^ ( | ) + * ? . [ ] $ \.
    static QString QuoteRegExpChars(const QString &text);

private:
    QString substitute(const QString &pattern, const QList<const TREDictionary *> &dics);
};
