#pragma once

#include <vector>

class TREParser;
struct TRENode;

// The pseudo codes of a line start and a line end. They lie above every UTF-16
// code unit, so no pattern text (escape or class range) can stand for them.
inline constexpr int kRELineHeadCode = 0x10001;
inline constexpr int kRELineTailCode = 0x10002;

// A nondeterministic automaton laid over a parse tree: state 0 is the start,
// state 1 the final state; a transition is labelled with a code range or is an
// empty transition.
class TRE_NFA
{
public:
    struct Transition
    {
        int Low = 0;
        int High = 0;
        int Target = 0;
        bool Empty = false;
    };

    TRE_NFA(TREParser &parser, int lineTailCode = kRELineTailCode, int lineHeadCode = kRELineHeadCode);
    void Build();

    const std::vector<std::vector<Transition>> &states() const { return m_states; }
    bool LineHeadAnchored = false;   // a line-start anchor leaves the start state
    bool LineTailAnchored = false;   // a line-end anchor enters the final state
    int LineTailCode;
    int LineHeadCode;

private:
    int newState();
    void lay(const TRENode *node, int from, int to);
    void add(int from, int low, int high, int to, bool empty = false);

    TREParser &m_parser;
    std::vector<std::vector<Transition>> m_states;
};
