#include "main/AWKStr.h"

#include "main/REParser.h"
#include "main/RE_DFA.h"
#include "main/RE_NFA.h"

// ---- TRegularExpression ----------------------------------------------------------------------

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

// ---- TMatchCORE ---------------------------------------------------------------------------

TMatchCORE::TMatchCORE(QObject *parent)
    : TRegularExpression(parent)
{
}

// The end of the longest match that starts at pos in the given state, or -1.
// A line-end anchor counts before a line separator or at the end of the text.
int TMatchCORE::run(const char16_t *text, int len, int pos, int state) const
{
    const TRE_DFA &dfa = currentDFA();
    const char16_t separator = LineSeparator == mcls_CRLF ? u'\r' : u'\n';
    const bool tail = dfa.LineTailAnchored;
    int best = -1;
    for (;;) {
        if (dfa.isFinal(state))
            best = pos;
        else if (tail && (pos == len || text[pos] == separator)) {
            const int t = dfa.tailTarget(state);
            if (t >= 0 && dfa.isFinal(t))
                best = pos;
        }
        if (pos == len)
            return best;
        const int next = dfa.step(state, dfa.classOf(text[pos]));
        if (next < 0)
            return best;
        state = next;
        ++pos;
    }
}

bool TMatchCORE::find(const QString &text, int from, bool nonEmpty, int &start, int &length) const
{
    const TRE_DFA &dfa = currentDFA();
    const char16_t *s = reinterpret_cast<const char16_t *>(text.utf16());
    const int len = int(text.size());
    const int startState = dfa.StartState;
    const int head = dfa.LineHeadAnchored ? dfa.headTarget(startState) : -1;
    // Where a match must begin with a character the start state takes (it
    // cannot be empty, or an empty one does not count), positions with other
    // characters are passed over at once. Line starts need every position.
    const bool canSkip = head < 0 && (nonEmpty || (!dfa.isFinal(startState) && !dfa.LineTailAnchored));
    for (int pos = from; pos <= len; ++pos) {
        if (canSkip) {
            while (pos < len && !dfa.startsWith(dfa.classOf(s[pos])))
                ++pos;
            if (pos == len)
                return false;
        }
        int end = run(s, len, pos, startState);
        if (head >= 0 && (pos == 0 || s[pos - 1] == u'\n')) {
            const int anchored = run(s, len, pos, head);
            if (anchored > end)
                end = anchored;
        }
        if (end > pos || (end == pos && !nonEmpty)) {
            start = pos;
            length = end - pos;
            return true;
        }
    }
    return false;
}

// ---- TAWKStr ----------------------------------------------------------------------------------

TAWKStr::TAWKStr(QObject *parent)
    : TMatchCORE(parent)
{
    m_preProcessor.FuzzyCharDics << &FuzzyCharDic();
}

void TAWKStr::setUseFuzzyCharDic(bool on)
{
    m_preProcessor.UseFuzzyCharDic = on;
    SetRegExp(RegExp());
}

void TAWKStr::setUseSynonymDic(bool on)
{
    m_preProcessor.UseSynonymDic = on;
    SetRegExp(RegExp());
}

int TAWKStr::MatchText(const QString &text, int &start, int &length) const
{
    int at = 0, len = 0;
    if (!find(text, 0, false, at, len)) {
        start = length = 0;
        return 0;
    }
    start = at + 1;
    length = len;
    return start;
}

int TAWKStr::MatchNonEmpty(const QString &text, int &start, int &length) const
{
    int at = 0, len = 0;
    if (!find(text, 0, true, at, len)) {
        start = length = 0;
        return 0;
    }
    start = at + 1;
    length = len;
    return start;
}
