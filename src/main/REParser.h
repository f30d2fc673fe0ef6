#pragma once

#include <QString>

#include "main/REParseTree.h"
#include "main/REScanner.h"

// Recursive-descent parser of a pattern into its parse tree:
//     pattern := term { "|" term }
//     term    := { factor }            (empty before "|", ")" or the end)
//     factor  := primary [ "*" | "+" | "?" ]
//     primary := char | "(" pattern ")" | "[" class "]" | "[^" class "]" | "." | "^" | "$"
//
//     TREParser parser(u"a(b|c)*"_s);
//     parser.Parse();            // raises ERegExpParser
//     parser.tree().Root ...
class TREParser
{
public:
    explicit TREParser(const QString &pattern);

    void Parse();
    TREParseTree &tree() { return m_tree; }

private:
    TRENode *pattern();
    TRENode *term();
    TRENode *factor();
    TRENode *primary();
    // The items up to "]" joined by unions, in the given tree.
    TRENode *charClass(TREParseTree &tree);
    TRENode *negatedClass();
    void next() { m_scanner.GetToken(); }
    [[noreturn]] void fail(const char16_t *message) const;

    TREScanner m_scanner;
    TREParseTree m_tree;
};
