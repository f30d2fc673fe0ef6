#include "main/REParseTree.h"

#include <algorithm>

#include <QString>

#include "platform/system/Exception.h"

const int TREParseTree::AnyRanges[3][2] = {{1, 9}, {11, 12}, {14, 0xFFFF}};

TRENode *TREParseTree::MakeNode(TRENodeKind kind, TRENode *left, TRENode *right)
{
    auto node = std::make_unique<TRENode>();
    node->Kind = kind;
    node->Left = left;
    node->Right = right;
    m_nodes.push_back(std::move(node));
    return m_nodes.back().get();
}

TRENode *TREParseTree::MakeLeaf(int low, int high)
{
    for (TRENode *leaf : m_leaves)
        if (leaf->Low == low && leaf->High == high)
            return leaf;
    TRENode *leaf = MakeNode(TRENodeKind::CharRange);
    leaf->Low = low;
    leaf->High = high;
    m_leaves.push_back(leaf);
    return leaf;
}

TRENode *TREParseTree::MakeAnchor(TRENodeKind kind, int ch)
{
    TRENode *node = MakeNode(kind);
    node->Char = ch;
    return node;
}

TRENode *TREParseTree::MakeAnyChar()
{
    TRENode *node = MakeLeaf(AnyRanges[0][0], AnyRanges[0][1]);
    for (int i = 1; i < 3; ++i)
        node = MakeNode(TRENodeKind::Union, node, MakeLeaf(AnyRanges[i][0], AnyRanges[i][1]));
    return node;
}

void TREParseTree::convertToUnion(TRENode *leaf, const std::vector<TRENode *> &pieces)
{
    std::vector<TRENode *> covered;
    for (TRENode *piece : pieces)
        if (piece != leaf && piece->Low >= leaf->Low && piece->High <= leaf->High)
            covered.push_back(piece);
    // Without two pieces the leaf would be one of them: the cut went wrong.
    if (covered.size() < 2)
        throw Exception(QStringLiteral("TREParseTree : 致命的エラー"));
    TRENode *right = covered.back();
    for (size_t i = covered.size() - 1; i-- > 1;)
        right = MakeNode(TRENodeKind::Union, covered[i], right);
    m_leaves.erase(std::find(m_leaves.begin(), m_leaves.end(), leaf));
    leaf->Kind = TRENodeKind::Union;
    leaf->Left = covered.front();
    leaf->Right = right;
}

void TREParseTree::SplitRanges()
{
    for (bool again = true; again;) {
        again = false;
        for (size_t i = 0; i < m_leaves.size() && !again; ++i) {
            for (size_t j = i + 1; j < m_leaves.size() && !again; ++j) {
                TRENode *a = m_leaves[i];
                TRENode *b = m_leaves[j];
                if (a->High < b->Low || b->High < a->Low)
                    continue;
                const int lowA = a->Low, highA = a->High, lowB = b->Low, highB = b->High;
                const int overLow = std::max(lowA, lowB);
                const int overHigh = std::min(highA, highB);
                std::vector<TRENode *> pieces;
                if (std::min(lowA, lowB) < overLow)
                    pieces.push_back(MakeLeaf(std::min(lowA, lowB), overLow - 1));
                pieces.push_back(MakeLeaf(overLow, overHigh));
                if (overHigh < std::max(highA, highB))
                    pieces.push_back(MakeLeaf(overHigh + 1, std::max(highA, highB)));
                for (TRENode *leaf : {a, b})
                    if (std::find(pieces.begin(), pieces.end(), leaf) == pieces.end())
                        convertToUnion(leaf, pieces);
                again = true;
            }
        }
    }
}
