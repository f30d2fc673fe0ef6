#pragma once

#include <QString>

#include "main/MatchCORE.h"

// The matcher a form places: pattern, line separator and the two dictionary
// switches. The fuzzy-character dictionary is installed at construction.
//
//     TAWKStr awk;
//     awk.setUseFuzzyCharDic(true);
//     awk.SetRegExp(u"ガッコウ"_s);
//     int start, length;
//     if (awk.MatchNonEmpty(u"きょうはがっこう"_s, start, length)) ...   // start 5, length 4
class TAWKStr : public TMatchCORE
{
    Q_OBJECT
public:
    explicit TAWKStr(QObject *parent = nullptr);

    bool UseFuzzyCharDic() const { return m_preProcessor.UseFuzzyCharDic; }
    bool UseSynonymDic() const { return m_preProcessor.UseSynonymDic; }
    // Each sets RegExp again, so the pattern is preprocessed anew.
    void setUseFuzzyCharDic(bool on);
    void setUseSynonymDic(bool on);

    // The leftmost-longest match: start is its 1-based index and the result;
    // without one, the result, start and length are 0. An empty match counts.
    int MatchText(const QString &text, int &start, int &length) const;
    // The leftmost match that is not empty (the longest there): what a search
    // for the user means. A pattern that can match nothing does not hide a
    // real match further on. Start is 1-based, as in MatchText.
    int MatchNonEmpty(const QString &text, int &start, int &length) const;
};
