#include "platform/db/Currency.h"

#include <cmath>

#include <QLocale>

Currency Currency::fromDouble(double value)
{
    return fromRaw(int64_t(std::llround(static_cast<long double>(value) * Scale)));
}

Currency Currency::fromString(const QString &text, bool *ok)
{
    QString t = text.trimmed();
    t.remove(QLatin1Char(','));
    bool good = !t.isEmpty();
    bool negative = false;
    if (good && (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+')))) {
        negative = t.startsWith(QLatin1Char('-'));
        t.remove(0, 1);
    }
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? t : t.left(dot);
    QString frac = dot < 0 ? QString() : t.mid(dot + 1);
    if (whole.isEmpty() && frac.isEmpty())
        good = false;
    for (QChar c : whole + frac)
        if (!c.isDigit() || c.unicode() > '9')
            good = false;
    // Beyond about 900 trillion the 64-bit count overflows.
    if (whole.size() > 14)
        good = false;
    int64_t raw = 0;
    if (good) {
        raw = whole.isEmpty() ? 0 : whole.toLongLong() * Scale;
        // Round the fifth decimal and beyond half away from zero.
        const QString four = (frac + QStringLiteral("0000")).left(4);
        raw += four.toLongLong();
        if (frac.size() > 4 && frac.at(4).unicode() >= '5')
            raw += 1;
        if (negative)
            raw = -raw;
    }
    if (ok)
        *ok = good;
    return good ? fromRaw(raw) : Currency();
}

QString Currency::toString(int decimals, bool thousands) const
{
    decimals = qBound(0, decimals, 4);
    const Currency r = rounded(decimals);
    const int64_t absRaw = r.m_raw < 0 ? -r.m_raw : r.m_raw;
    QString whole = QString::number(absRaw / Scale);
    if (thousands) {
        for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
            whole.insert(i, QLatin1Char(','));
    }
    QString out = (r.m_raw < 0 ? QStringLiteral("-") : QString()) + whole;
    if (decimals > 0) {
        const QString frac = QStringLiteral("%1").arg(absRaw % Scale, 4, 10, QLatin1Char('0'));
        out += QLatin1Char('.') + frac.left(decimals);
    }
    return out;
}

Currency Currency::rounded(int decimals, Rounding mode) const
{
    decimals = qBound(0, decimals, 4);
    int64_t unit = 1;
    for (int i = decimals; i < 4; ++i)
        unit *= 10;
    if (unit == 1)
        return *this;
    const int64_t absRaw = m_raw < 0 ? -m_raw : m_raw;
    int64_t q = absRaw / unit;
    const int64_t rest = absRaw % unit;
    switch (mode) {
    case Rounding::HalfAwayFromZero:
        if (rest * 2 >= unit)
            ++q;
        break;
    case Rounding::TowardZero:
        break;
    case Rounding::AwayFromZero:
        if (rest != 0)
            ++q;
        break;
    case Rounding::Up:
        // Toward positive infinity: a positive rest moves away from zero, a
        // negative one toward it (the truncated quotient already is).
        if (rest != 0 && m_raw > 0)
            ++q;
        break;
    }
    return fromRaw((m_raw < 0 ? -q : q) * unit);
}

Currency Currency::operator*(double factor) const
{
    return fromRaw(int64_t(std::llround(static_cast<long double>(m_raw) * factor)));
}

Currency Currency::operator/(double divisor) const
{
    return fromRaw(int64_t(std::llround(static_cast<long double>(m_raw) / divisor)));
}
