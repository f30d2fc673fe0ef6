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
