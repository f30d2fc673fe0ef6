#include "main/RE_DFA.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "main/RE_NFA.h"

TRE_DFA::TRE_DFA(const TRE_NFA &nfa)
    : m_nfa(nfa)
{
}

std::vector<int> TRE_DFA::closure(std::vector<int> set) const
{
    const auto &nfa = m_nfa.states();
    std::vector<uint8_t> in(nfa.size(), 0);
    for (int s : set)
        in[size_t(s)] = 1;
    std::vector<int> stack = set;
    while (!stack.empty()) {
        const int s = stack.back();
        stack.pop_back();
        for (const auto &t : nfa[size_t(s)]) {
            if (t.Empty && !in[size_t(t.Target)]) {
                in[size_t(t.Target)] = 1;
                set.push_back(t.Target);
                stack.push_back(t.Target);
            }
        }
    }
    std::sort(set.begin(), set.end());
    return set;
}

void TRE_DFA::Build()
{
    const auto &nfa = m_nfa.states();
    LineHeadAnchored = m_nfa.LineHeadAnchored;
    LineTailAnchored = m_nfa.LineTailAnchored;

    // Labels of different transitions may overlap (a class range and a
    // literal "^" laid where it anchors nothing), so the code space is cut at
    // every label boundary and targets are gathered per elementary interval.
    m_bounds.clear();
    for (const auto &chain : nfa)
        for (const auto &t : chain)
            if (!t.Empty) {
                m_bounds.push_back(t.Low);
                m_bounds.push_back(t.High + 1);
            }
    std::sort(m_bounds.begin(), m_bounds.end());
    m_bounds.erase(std::unique(m_bounds.begin(), m_bounds.end()), m_bounds.end());
    auto intervalOf = [this](int code) {
        return int(std::upper_bound(m_bounds.begin(), m_bounds.end(), code) - m_bounds.begin()) - 1;
    };
    const int intervals = std::max(0, int(m_bounds.size()) - 1);

    m_states.clear();
    std::unordered_map<std::string, int> known;
    auto keyOf = [](const std::vector<int> &set) {
        return std::string(reinterpret_cast<const char *>(set.data()), set.size() * sizeof(int));
    };
    auto stateFor = [&](std::vector<int> set) {
        const std::string key = keyOf(set);
        if (auto it = known.find(key); it != known.end())
            return it->second;
        State state;
        state.Final = std::binary_search(set.begin(), set.end(), 1);
        state.NFAStates = std::move(set);
        m_states.push_back(std::move(state));
        const int index = int(m_states.size()) - 1;
        known.emplace(key, index);
        return index;
    };
    StartState = stateFor(closure({0}));

    std::vector<std::vector<int>> buckets(static_cast<size_t>(intervals));
    std::vector<int> used;
    for (size_t at = 0; at < m_states.size(); ++at) {
        // States are visited in list order; the list grows behind us.
        m_states[at].Visited = true;
        used.clear();
        const std::vector<int> members = m_states[at].NFAStates;
        for (int s : members) {
            for (const auto &t : nfa[size_t(s)]) {
                if (t.Empty)
                    continue;
                for (int k = intervalOf(t.Low), last = intervalOf(t.High); k <= last; ++k) {
                    if (buckets[size_t(k)].empty())
                        used.push_back(k);
                    buckets[size_t(k)].push_back(t.Target);
                }
            }
        }
        std::sort(used.begin(), used.end());
        std::vector<Transition> chain;
        for (int k : used) {
            std::vector<int> targets = std::move(buckets[size_t(k)]);
            buckets[size_t(k)].clear();
            std::sort(targets.begin(), targets.end());
            targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
            const int target = stateFor(closure(std::move(targets)));
            const int low = m_bounds[size_t(k)];
            const int high = m_bounds[size_t(k) + 1] - 1;
            if (!chain.empty() && chain.back().Target == target && chain.back().High + 1 == low)
                chain.back().High = high;
            else
                chain.push_back({low, high, target});
        }
        m_states[at].Transitions = std::move(chain);
    }
    buildTables();
}

int TRE_DFA::Next(int state, int code) const
{
    for (const auto &t : m_states[size_t(state)].Transitions) {
        if (t.Low > code)
            return -1;
        if (t.High >= code)
            return t.Target;
    }
    return -1;
}

void TRE_DFA::buildTables()
{
    // Classes are the elementary intervals that lie in the code unit space;
    // class 0 stays for codes no label covers, and for NUL, which ends a text
    // and matches nothing.
    m_classOf.assign(0x10000, 0);
    m_classCount = 1;
    std::vector<int> classOfInterval(m_bounds.size(), 0);
    for (size_t k = 0; k + 1 < m_bounds.size(); ++k) {
        const int low = std::max(m_bounds[k], 1);
        const int high = std::min(m_bounds[k + 1] - 1, 0xFFFF);
        if (low > high)
            continue;
        classOfInterval[k] = m_classCount;
        for (int c = low; c <= high; ++c)
            m_classOf[size_t(c)] = uint16_t(m_classCount);
        ++m_classCount;
    }
    const size_t n = m_states.size();
    m_table.assign(n * size_t(m_classCount), -1);
    m_final.assign(n, 0);
    m_head.assign(n, -1);
    m_tail.assign(n, -1);
    for (size_t s = 0; s < n; ++s) {
        const State &state = m_states[s];
        m_final[s] = state.Final ? 1 : 0;
        for (const auto &t : state.Transitions) {
            for (size_t k = size_t(std::upper_bound(m_bounds.begin(), m_bounds.end(), t.Low) - m_bounds.begin()) - 1;
                 k + 1 < m_bounds.size() && m_bounds[k] <= t.High; ++k)
                if (classOfInterval[k])
                    m_table[s * size_t(m_classCount) + size_t(classOfInterval[k])] = t.Target;
        }
        m_head[s] = Next(int(s), m_nfa.LineHeadCode);
        m_tail[s] = Next(int(s), m_nfa.LineTailCode);
    }
    m_startClass.assign(size_t(m_classCount), 0);
    for (int c = 1; c < m_classCount; ++c)
        m_startClass[size_t(c)] = m_table[size_t(StartState) * size_t(m_classCount) + size_t(c)] >= 0 ? 1 : 0;
}
