#include "main/MatchCORE.h"

#include "main/RE_DFA.h"

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
