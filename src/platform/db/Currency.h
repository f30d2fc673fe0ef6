#pragma once

#include <cstdint>

#include <QMetaType>
#include <QString>

// Money as the book keeps it: a 64-bit integer count of ten-thousandths. Sums are
// exact; binary floating point never carries an amount past the parsing edge.
class Currency
{
public:
    static constexpr int64_t Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromRaw(int64_t raw) { Currency c; c.m_raw = raw; return c; }
    static constexpr Currency fromInt(int64_t yen) { return fromRaw(yen * Scale); }
    // Values read from REAL columns: rounded half away from zero to four decimals.
    static Currency fromDouble(double value);
    // Plain decimal text ("-1200", "12.5", "1,200"); ok is false for anything else.
    static Currency fromString(const QString &text, bool *ok = nullptr);

    constexpr int64_t raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / double(Scale); }
    // Whole units, truncated toward zero.
    constexpr int64_t toInt() const { return m_raw / Scale; }
    // Decimal text with exactly `decimals` places (rounded half away from zero),
    // optionally with thousands separators.
    QString toString(int decimals = 0, bool thousands = false) const;

    enum class Rounding { HalfAwayFromZero = 0, TowardZero = 1, AwayFromZero = 2, Up = 3 };
    // Up goes toward positive infinity: -2.5 becomes -2.
    // Rounds to `decimals` places (0 to 4).
    Currency rounded(int decimals, Rounding mode = Rounding::HalfAwayFromZero) const;

    constexpr bool isZero() const { return m_raw == 0; }
    constexpr Currency operator-() const { return fromRaw(-m_raw); }
    constexpr Currency operator+(Currency o) const { return fromRaw(m_raw + o.m_raw); }
    constexpr Currency operator-(Currency o) const { return fromRaw(m_raw - o.m_raw); }
    Currency &operator+=(Currency o) { m_raw += o.m_raw; return *this; }
    Currency &operator-=(Currency o) { m_raw -= o.m_raw; return *this; }
    // Multiplying by a quantity or a rate goes through long double and is rounded
    // half away from zero to four decimals, as the engine's currency type does.
    Currency operator*(double factor) const;
    Currency operator/(double divisor) const;
    constexpr auto operator<=>(const Currency &) const = default;

private:
    int64_t m_raw = 0;
};

Q_DECLARE_METATYPE(Currency)
