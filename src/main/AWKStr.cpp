#include "main/AWKStr.h"

TAWKStr::TAWKStr(QObject *parent)
    : TMatchCORE(parent)
{
    m_preProcessor.FuzzyCharDics << &FuzzyCharDic();
}

void TAWKStr::setUseFuzzyCharDic(bool on)
{
    m_preProcessor.UseFuzzyCharDic = on;
    SetRegExp(RegExp());
}

void TAWKStr::setUseSynonymDic(bool on)
{
    m_preProcessor.UseSynonymDic = on;
    SetRegExp(RegExp());
}

int TAWKStr::MatchText(const QString &text, int &start, int &length) const
{
    int at = 0, len = 0;
    if (!find(text, 0, false, at, len)) {
        start = length = 0;
        return 0;
    }
    start = at + 1;
    length = len;
    return start;
}

int TAWKStr::MatchNonEmpty(const QString &text, int &start, int &length) const
{
    int at = 0, len = 0;
    if (!find(text, 0, true, at, len)) {
        start = length = 0;
        return 0;
    }
    start = at + 1;
    length = len;
    return start;
}
