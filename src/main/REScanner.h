#pragma once

#include <QString>

#include "platform/system/Exception.h"

// A pattern the engine cannot read: the message says why, in the user's
// language, and ErrorPos where scanning stood (1-based, in UTF-16 code units of
// the pattern, so an editor can put its caret there).
class ERegExpParser : public Exception
{
public:
    ERegExpParser(const QString &message, int errorPos)
        : Exception(message), ErrorPos(errorPos) {}
    int ErrorPos;
};

// The engine's messages.
namespace RegExpMessages {
inline constexpr char16_t kNeedCharAfterBackslash[] = u"\"\\\"の次には文字が必要です。";
inline constexpr char16_t kBadHex[] = u"不正な１６進数コード表記です。";
inline constexpr char16_t kBadOctal[] = u"不正な８進数コード表記です。";
inline constexpr char16_t kNeedRightBracket[] = u"右ブラケット\"]\"が必要です";
inline constexpr char16_t kBadRange[] = u"不正なキャラクタ範囲です";
inline constexpr char16_t kBadClass[] = u"不正なキャラクタクラス指定です。";
inline constexpr char16_t kNeedRightParen[] = u"右(閉じ)括弧が必要です";
inline constexpr char16_t kNeedOperand[] = u"普通の文字、または左括弧\"(\"が必要です";
inline constexpr char16_t kSurplus[] = u"正規表現に余分な文字があります";
} // namespace RegExpMessages

enum class TREToken {
    Char,       // a literal character (Code)
    CharRange,  // a class range (Code to RangeEnd)
    Union,      // |
    LPar,       // (
    RPar,       // )
    Star,       // *
    Plus,       // +
    QMark,      // ?
    LBra,       // [
    LBraNeg,    // [^
    RBra,       // ]
    Dot,        // .
    LHead,      // ^
    LTail,      // $
    End
};

// Reads a pattern one token at a time. Characters are UTF-16 code units; a
// code unit of 0 (or the end of the text) ends the pattern.
//
//     TREScanner s(u"a[b-d]*"_s);
//     while (s.GetToken() != TREToken::End) { ... s.Token, s.Code ... }
class TREScanner
{
public:
    explicit TREScanner(const QString &pattern);
    virtual ~TREScanner() = default;

    // Reads the next token into Token (and Code, RangeEnd); raises ERegExpParser.
    TREToken GetToken();

    const QString &pattern() const { return m_pattern; }
    // 1-based index of the next unread code unit.
    int position() const { return m_pos + 1; }
    // Where the current token's source text starts and ends (0-based, end exclusive).
    int tokenStart() const { return m_tokenStart; }
    int tokenEnd() const { return m_pos < m_pattern.size() ? m_pos : int(m_pattern.size()); }
    bool inClass() const { return m_inClass; }

    TREToken Token = TREToken::End;
    int Code = 0;
    int RangeEnd = 0;

protected:
    virtual TREToken ScanToken();
    virtual TREToken ScanClassToken();

private:
    int getChar();
    void unGetChar();
    int readEscape();
    [[noreturn]] void fail(const char16_t *message) const;

    QString m_pattern;
    int m_pos = 0;
    int m_tokenStart = 0;
    bool m_inClass = false;
};
