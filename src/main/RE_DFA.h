#pragma once

#include <cstdint>
#include <vector>

class TRE_NFA;

// The deterministic automaton of a pattern, built completely by subset
// construction from its NFA. Each state keeps its transitions as a chain sorted
// by low code; the matcher reads them through a dense table (one class per code
// unit, one row per state), so that a character costs two array reads.
class TRE_DFA
{
public:
    struct Transition
    {
        int Low = 0;
        int High = 0;
        int Target = 0;
    };
    struct State
    {
        std::vector<int> NFAStates;   // sorted
        std::vector<Transition> Transitions;   // sorted by Low
        bool Final = false;
        bool Visited = false;
    };

    explicit TRE_DFA(const TRE_NFA &nfa);
    void Build();

    const std::vector<State> &states() const { return m_states; }
    int StartState = 0;
    bool LineHeadAnchored = false;
    bool LineTailAnchored = false;

    // The state reached from state on code, or -1: walks the sorted chain.
    int Next(int state, int code) const;

    // ---- the matcher's view -------------------------------------------------

    // The class of a code unit; 0 is the class no state has a transition on
    // (NUL among others).
    int classOf(char16_t c) const { return m_classOf[c]; }
    int step(int state, int cls) const { return m_table[size_t(state) * size_t(m_classCount) + size_t(cls)]; }
    bool isFinal(int state) const { return m_final[size_t(state)] != 0; }
    // Where the line-head and line-tail pseudo codes lead (-1: nowhere).
    int headTarget(int state) const { return m_head[size_t(state)]; }
    int tailTarget(int state) const { return m_tail[size_t(state)]; }
    // Whether a match can start with a code unit of this class.
    bool startsWith(int cls) const { return m_startClass[size_t(cls)] != 0; }

private:
    std::vector<int> closure(std::vector<int> set) const;
    void buildTables();

    const TRE_NFA &m_nfa;
    std::vector<State> m_states;
    std::vector<int> m_bounds;   // starts of the elementary code intervals, ascending
    std::vector<uint16_t> m_classOf;
    std::vector<int> m_table;
    std::vector<uint8_t> m_final;
    std::vector<uint8_t> m_startClass;
    std::vector<int> m_head;
    std::vector<int> m_tail;
    int m_classCount = 1;
};
