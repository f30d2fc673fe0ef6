#include "main/RE_NFA.h"

#include <QString>

#include "main/REParser.h"
#include "platform/system/Exception.h"

TRE_NFA::TRE_NFA(TREParser &parser, int lineTailCode, int lineHeadCode)
    : LineTailCode(lineTailCode), LineHeadCode(lineHeadCode), m_parser(parser)
{
}

void TRE_NFA::Build()
{
    m_states.clear();
    newState();
    newState();
    lay(m_parser.tree().Root, 0, 1);
}

int TRE_NFA::newState()
{
    m_states.emplace_back();
    return int(m_states.size()) - 1;
}

void TRE_NFA::add(int from, int low, int high, int to, bool empty)
{
    m_states[size_t(from)].push_back({low, high, to, empty});
}

void TRE_NFA::lay(const TRENode *node, int from, int to)
{
    switch (node->Kind) {
    case TRENodeKind::CharRange:
        add(from, node->Low, node->High, to);
        return;
    case TRENodeKind::LHead:
        if (from == 0) {
            LineHeadAnchored = true;
            add(from, LineHeadCode, LineHeadCode, to);
        } else {
            add(from, node->Char, node->Char, to);
        }
        return;
    case TRENodeKind::LTail:
        if (to == 1) {
            LineTailAnchored = true;
            add(from, LineTailCode, LineTailCode, to);
        } else {
            add(from, node->Char, node->Char, to);
        }
        return;
    case TRENodeKind::Concat: {
        const int mid = newState();
        lay(node->Left, from, mid);
        lay(node->Right, mid, to);
        return;
    }
    case TRENodeKind::Union:
        lay(node->Left, from, to);
        lay(node->Right, from, to);
        return;
    case TRENodeKind::Closure: {
        const int loop = newState();
        const int back = newState();
        add(from, 0, 0, loop, true);
        lay(node->Left, loop, back);
        add(back, 0, 0, loop, true);
        add(loop, 0, 0, to, true);
        return;
    }
    case TRENodeKind::Empty:
        add(from, 0, 0, to, true);
        return;
    }
    throw Exception(QStringLiteral("This cannot happen in TRE_NFA.GenerateStateList"));
}
