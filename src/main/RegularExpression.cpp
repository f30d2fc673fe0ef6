#include "main/RegularExpression.h"

#include "main/REParser.h"
#include "main/RE_DFA.h"
#include "main/RE_NFA.h"

TRegularExpression::TRegularExpression(QObject *parent)
    : QObject(parent)
{
    m_cache.reserve(CacheCapacity);
    m_cache.append({QString(), Compile(QString())});
}

TRegularExpression::~TRegularExpression() = default;

int TRegularExpression::LineHeadChar() const { return kRELineHeadCode; }
int TRegularExpression::LineTailChar() const { return kRELineTailCode; }

std::shared_ptr<TRE_DFA> TRegularExpression::Compile(const QString &pattern)
{
    ++m_compileCount;
    // The automaton keeps a reference to its NFA only while it is built.
    TREParser parser(pattern);
    parser.Parse();
    TRE_NFA nfa(parser, LineTailChar(), LineHeadChar());
    nfa.Build();
    auto dfa = std::make_shared<TRE_DFA>(nfa);
    dfa->Build();
    return dfa;
}

void TRegularExpression::SetRegExp(const QString &value)
{
    const QString text = m_preProcessor.Run(value);
    for (int i = 0; i < m_cache.size(); ++i) {
        if (m_cache.at(i).text == text) {
            m_current = i;
            m_regExp = value;
            return;
        }
    }
    if (m_cache.size() >= CacheCapacity)
        m_cache.removeLast();
    m_cache.insert(1, {text, nullptr});
    try {
        m_cache[1].dfa = Compile(text);
    } catch (...) {
        m_cache.removeAt(1);
        m_current = 0;
        m_regExp.clear();
        throw;
    }
    m_current = 1;
    m_regExp = value;
}

QStringList TRegularExpression::cachedPatterns() const
{
    QStringList out;
    for (const Entry &e : m_cache)
        out << e.text;
    return out;
}

QString TRegularExpression::currentPattern() const { return m_cache.at(m_current).text; }
