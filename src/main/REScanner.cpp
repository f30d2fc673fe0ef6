#include "main/REScanner.h"

using namespace RegExpMessages;

namespace {

int hexValue(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

TREScanner::TREScanner(const QString &pattern)
    : m_pattern(pattern)
{
}

TREToken TREScanner::GetToken()
{
    m_tokenStart = std::min<int>(m_pos, int(m_pattern.size()));
    Token = m_inClass ? ScanClassToken() : ScanToken();
    return Token;
}

// The position moves on even past the end, so that putting back is always one
// step back whatever was read.
int TREScanner::getChar()
{
    const int at = m_pos++;
    return at < m_pattern.size() ? m_pattern.at(at).unicode() : 0;
}

void TREScanner::unGetChar()
{
    if (m_pos > 0)
        --m_pos;
}

void TREScanner::fail(const char16_t *message) const
{
    throw ERegExpParser(QString::fromUtf16(message), std::min<int>(m_pos + 1, int(m_pattern.size()) + 1));
}

TREToken TREScanner::ScanToken()
{
    const int c = getChar();
    switch (c) {
    case 0:
        unGetChar();
        return TREToken::End;
    case '$': return TREToken::LTail;
    case '(': return TREToken::LPar;
    case ')': return TREToken::RPar;
    case '*': return TREToken::Star;
    case '+': return TREToken::Plus;
    case '.': return TREToken::Dot;
    case '?': return TREToken::QMark;
    case ']': return TREToken::RBra;
    case '^': return TREToken::LHead;
    case '|': return TREToken::Union;
    case '[': {
        m_inClass = true;
        if (getChar() == '^')
            return TREToken::LBraNeg;
        unGetChar();
        return TREToken::LBra;
    }
    case '\\':
        Code = readEscape();
        return TREToken::Char;
    default:
        Code = c;
        return TREToken::Char;
    }
}

TREToken TREScanner::ScanClassToken()
{
    int c = getChar();
    if (c == 0) {
        unGetChar();
        return TREToken::End;
    }
    if (c == ']') {
        m_inClass = false;
        return TREToken::RBra;
    }
    if (c == '\\')
        c = readEscape();
    Code = c;
    if (getChar() != '-') {
        unGetChar();
        return TREToken::Char;
    }
    int last = getChar();
    if (last == ']' || last == 0) {
        // "-" just before "]" (or the end) is the character itself.
        unGetChar();
        unGetChar();
        return TREToken::Char;
    }
    if (last == '\\')
        last = readEscape();
    if (last < c)
        fail(kBadRange);
    RangeEnd = last;
    return TREToken::CharRange;
}

int TREScanner::readEscape()
{
    const int c = getChar();
    switch (c) {
    case 0:
        unGetChar();
        fail(kNeedCharAfterBackslash);
    case 'b': return 8;
    case 'n': return 10;
    case 'r': return 13;
    case 't': return 9;
    case 'x': {
        int value = 0;
        int digits = 0;
        while (digits < 4) {
            const int d = hexValue(getChar());
            if (d < 0) {
                unGetChar();
                break;
            }
            value = value * 16 + d;
            ++digits;
        }
        if (digits == 0)
            fail(kBadHex);
        return value;
    }
    default:
        break;
    }
    if (c >= '0' && c <= '7') {
        int value = c - '0';
        for (int digits = 1; digits < 6; ++digits) {
            const int d = getChar();
            if (d < '0' || d > '7') {
                unGetChar();
                break;
            }
            value = value * 8 + (d - '0');
            if (value > 0xFFFF)
                fail(kBadOctal);
        }
        return value;
    }
    return c;
}
