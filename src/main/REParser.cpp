#include "main/REParser.h"

#include <utility>
#include <vector>

using namespace RegExpMessages;

TREParser::TREParser(const QString &pattern)
    : m_scanner(pattern)
{
}

void TREParser::fail(const char16_t *message) const
{
    throw ERegExpParser(QString::fromUtf16(message), m_scanner.position());
}

void TREParser::Parse()
{
    next();
    m_tree.Root = pattern();
    if (m_scanner.Token != TREToken::End)
        fail(kSurplus);
    m_tree.SplitRanges();
}

TRENode *TREParser::pattern()
{
    TRENode *node = term();
    while (m_scanner.Token == TREToken::Union) {
        next();
        node = m_tree.MakeNode(TRENodeKind::Union, node, term());
    }
    return node;
}

TRENode *TREParser::term()
{
    auto ends = [this] {
        const TREToken t = m_scanner.Token;
        return t == TREToken::Union || t == TREToken::RPar || t == TREToken::End;
    };
    if (ends())
        return m_tree.MakeNode(TRENodeKind::Empty);
    TRENode *node = factor();
    while (!ends())
        node = m_tree.MakeNode(TRENodeKind::Concat, node, factor());
    return node;
}

TRENode *TREParser::factor()
{
    TRENode *node = primary();
    switch (m_scanner.Token) {
    case TREToken::Star:
        next();
        return m_tree.MakeNode(TRENodeKind::Closure, node);
    case TREToken::Plus:
        next();
        return m_tree.MakeNode(TRENodeKind::Concat, node, m_tree.MakeNode(TRENodeKind::Closure, node));
    case TREToken::QMark:
        next();
        return m_tree.MakeNode(TRENodeKind::Union, node, m_tree.MakeNode(TRENodeKind::Empty));
    default:
        return node;
    }
}

TRENode *TREParser::primary()
{
    TRENode *node = nullptr;
    switch (m_scanner.Token) {
    case TREToken::Char:
        node = m_tree.MakeLeaf(m_scanner.Code, m_scanner.Code);
        next();
        return node;
    case TREToken::LPar:
        next();
        node = pattern();
        if (m_scanner.Token != TREToken::RPar)
            fail(kNeedRightParen);
        next();
        return node;
    case TREToken::LBra:
        next();
        node = charClass(m_tree);
        next();
        return node;
    case TREToken::LBraNeg:
        next();
        node = negatedClass();
        next();
        return node;
    case TREToken::Dot:
        next();
        return m_tree.MakeAnyChar();
    case TREToken::LHead:
        next();
        return m_tree.MakeAnchor(TRENodeKind::LHead, '^');
    case TREToken::LTail:
        next();
        return m_tree.MakeAnchor(TRENodeKind::LTail, '$');
    default:
        fail(kNeedOperand);
    }
}

// Ends with the scanner on the closing "]".
TRENode *TREParser::charClass(TREParseTree &tree)
{
    TRENode *node = nullptr;
    for (;;) {
        TRENode *item = nullptr;
        switch (m_scanner.Token) {
        case TREToken::Char:
            item = tree.MakeLeaf(m_scanner.Code, m_scanner.Code);
            break;
        case TREToken::CharRange:
            item = tree.MakeLeaf(m_scanner.Code, m_scanner.RangeEnd);
            break;
        case TREToken::RBra:
            if (!node)
                fail(kBadClass);
            return node;
        default:
            fail(kNeedRightBracket);
        }
        node = node ? tree.MakeNode(TRENodeKind::Union, node, item) : item;
        next();
    }
}

// What "." matches less the items: the class's ranges are cut out of the
// ranges of "." one by one.
TRENode *TREParser::negatedClass()
{
    TREParseTree scratch;
    charClass(scratch);
    scratch.SplitRanges();
    std::vector<std::pair<int, int>> ranges;
    for (const auto &r : TREParseTree::AnyRanges)
        ranges.emplace_back(r[0], r[1]);
    for (const TRENode *leaf : scratch.leaves()) {
        std::vector<std::pair<int, int>> rest;
        for (const auto &[low, high] : ranges) {
            if (high < leaf->Low || leaf->High < low) {
                rest.emplace_back(low, high);
                continue;
            }
            if (low < leaf->Low)
                rest.emplace_back(low, leaf->Low - 1);
            if (leaf->High < high)
                rest.emplace_back(leaf->High + 1, high);
        }
        ranges = std::move(rest);
    }
    // Everything cut away: a leaf on NUL, which never matches.
    if (ranges.empty())
        return m_tree.MakeLeaf(0, 0);
    TRENode *node = nullptr;
    for (const auto &[low, high] : ranges) {
        TRENode *leaf = m_tree.MakeLeaf(low, high);
        node = node ? m_tree.MakeNode(TRENodeKind::Union, node, leaf) : leaf;
    }
    return node;
}
