#include "main/CalcRegister.h"

#include <cmath>

#include <QLabel>

namespace {

// The significant digits of x (> 0) rounded to sig digits, without trailing
// zeros, and its decimal exponent (the number of digits before the point).
void splitDigits(double x, int sig, QString &digits, int &exponent)
{
    const QString e = QString::number(x, 'e', qMax(0, sig - 1));
    const int at = int(e.indexOf(u'e'));
    digits = e.left(at);
    digits.remove(u'.');
    exponent = e.mid(at + 1).toInt() + 1;
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);
}

} // namespace

TCalcRegister::TCalcRegister(QLabel *display, int maxDigits) : MaxDigits(maxDigits), m_display(display)
{
    SetDisplay(QStringLiteral("0"));
}

QString TCalcRegister::FormatValue(double value, int maxDigits)
{
    if (value == 0.0 || !std::isfinite(value))
        return value == 0.0 ? QStringLiteral("0") : QStringLiteral("Over");
    const bool negative = value < 0;
    const int room = maxDigits - (negative ? 1 : 0);
    const double x = std::fabs(value);
    QString digits;
    int e = 0;
    splitDigits(x, 18, digits, e);
    if (e > room)
        return QStringLiteral("Over");
    if (e < 3 - room)
        return QStringLiteral("0");
    QString text;
    if (e <= 0) {
        const int sig = room + e - 2;
        if (sig <= 0)
            return QStringLiteral("0");
        splitDigits(x, sig, digits, e);
    }
    if (e > 0) {
        // One place is left for the point, unless the integer part fills the room.
        splitDigits(x, e >= room ? room : room - 1, digits, e);
        if (e > room)
            return QStringLiteral("Over");
        if (digits.size() > e)
            text = digits.left(e) + u'.' + digits.mid(e);
        else
            text = digits + QString(e - digits.size(), u'0');
    } else {
        text = QStringLiteral("0.") + QString(-e, u'0') + digits;
    }
    if (digits == u"0")
        return QStringLiteral("0");
    return negative ? u'-' + text : text;
}

void TCalcRegister::SetDisplay(const QString &text)
{
    DisplayText = text;
    if (m_display)
        m_display->setText(text);
}

void TCalcRegister::InputChar(QChar c)
{
    if (InputText.size() >= MaxDigits)
        return;
    const bool point = InputText.contains(u'.');
    if (c == u'.') {
        if (!point)
            InputText = InputText.isEmpty() ? QStringLiteral("0.") : InputText + u'.';
        SetDisplay(InputText);
        return;
    }
    if (!c.isDigit())
        return;
    if (c == u'0') {
        if (InputText != u"0")
            InputText += c;
        // While zeros are typed after a point they stay visible.
        if (Value == 0.0 || point)
            SetDisplay(InputText);
        else
            UpdateValue();
        return;
    }
    if (Value != 0.0 || point)
        InputText += c;
    else
        InputText = c;
    UpdateValue();
}

void TCalcRegister::Backspace()
{
    InputText.chop(1);
    UpdateValue();
}

void TCalcRegister::UpdateValue()
{
    bool ok = true;
    Value = InputText.isEmpty() ? 0.0 : InputText.toDouble(&ok);
    if (!ok) {
        Value = 0.0;
        InputText.clear();
    }
    SetDisplay(FormatValue(Value, MaxDigits));
}

void TCalcRegister::SetValue(double value)
{
    Value = value;
    SetDisplay(FormatValue(Value, MaxDigits));
}

void TCalcRegister::Clear()
{
    InputText.clear();
    SetValue(0.0);
}
