#pragma once

#include <memory>

#include <QList>
#include <QObject>
#include <QString>

#include "main/REPreProcessor.h"

class TRE_DFA;

// Owns compiled patterns: the pattern set by the caller goes through the
// dictionary preprocessor, and the automaton of the preprocessed text is kept
// in a cache of 30 entries (entry 0 is always the empty pattern), so that
// setting a pattern again costs no compile.
class TRegularExpression : public QObject
{
    Q_OBJECT
public:
    static constexpr int CacheCapacity = 30;

    explicit TRegularExpression(QObject *parent = nullptr);
    ~TRegularExpression() override;

    QString RegExp() const { return m_regExp; }
    // Preprocesses and compiles (or takes from the cache); raises
    // ERegExpParser. A pattern that fails to compile leaves the empty pattern
    // current and RegExp empty; one the preprocessor rejects changes nothing.
    virtual void SetRegExp(const QString &value);
    virtual int LineHeadChar() const;
    virtual int LineTailChar() const;

    // The preprocessed texts in the cache, in order (entry 0 first).
    QStringList cachedPatterns() const;
    QString currentPattern() const;
    // How many patterns were compiled so far (the cache saves the rest).
    int compileCount() const { return m_compileCount; }

protected:
    virtual std::shared_ptr<TRE_DFA> Compile(const QString &pattern);
    const TRE_DFA &currentDFA() const { return *m_cache.at(m_current).dfa; }

    TREPreProcessor m_preProcessor;

private:
    struct Entry
    {
        QString text;
        std::shared_ptr<TRE_DFA> dfa;
    };
    QList<Entry> m_cache;
    int m_current = 0;
    int m_compileCount = 0;
    QString m_regExp;
};

enum TMatchCORE_LineSeparator { mcls_CRLF, mcls_LF };

// Runs the current automaton over texts: leftmost, then longest match, with
// line anchors. Texts and results are in UTF-16 code units.
class TMatchCORE : public TRegularExpression
{
    Q_OBJECT
public:
    explicit TMatchCORE(QObject *parent = nullptr);

    TMatchCORE_LineSeparator LineSeparator = mcls_CRLF;

protected:
    // The leftmost-longest match from position from on (0-based); with
    // nonEmpty, a position whose longest match is empty does not count. False
    // when there is none.
    bool find(const QString &text, int from, bool nonEmpty, int &start, int &length) const;

private:
    int run(const char16_t *text, int len, int pos, int state) const;
};

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
