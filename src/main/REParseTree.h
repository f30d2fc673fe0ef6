#pragma once

#include <memory>
#include <vector>

// Kinds of parse tree nodes.
enum class TRENodeKind { CharRange, LHead, LTail, Concat, Union, Closure, Empty };

struct TRENode
{
    TRENodeKind Kind = TRENodeKind::Empty;
    TRENode *Left = nullptr;
    TRENode *Right = nullptr;
    int Low = 0;    // a leaf's range
    int High = 0;
    int Char = 0;   // an anchor's own character, laid as a literal where it anchors nothing
};

// The parse tree of one pattern. It owns every node it makes; leaves are
// shared, one per distinct range, so that cutting a range (SplitRanges) reaches
// every place that uses it.
class TREParseTree
{
public:
    TREParseTree() = default;
    TREParseTree(const TREParseTree &) = delete;
    TREParseTree &operator=(const TREParseTree &) = delete;

    TRENode *MakeNode(TRENodeKind kind, TRENode *left = nullptr, TRENode *right = nullptr);
    // The leaf of the range, made when there is none yet.
    TRENode *MakeLeaf(int low, int high);
    TRENode *MakeAnchor(TRENodeKind kind, int ch);
    // Any character but NUL, LF and CR.
    virtual TRENode *MakeAnyChar();
    virtual ~TREParseTree() = default;

    // Cuts overlapping leaf ranges until any code lies in at most one leaf.
    void SplitRanges();

    const std::vector<TRENode *> &leaves() const { return m_leaves; }
    TRENode *Root = nullptr;

    // The ranges of ".": 1..9, 11..12, 14..$FFFF.
    static const int AnyRanges[3][2];

private:
    // Turns a leaf in place into the union of the given pieces.
    void convertToUnion(TRENode *leaf, const std::vector<TRENode *> &pieces);

    std::vector<std::unique_ptr<TRENode>> m_nodes;
    std::vector<TRENode *> m_leaves;
};
