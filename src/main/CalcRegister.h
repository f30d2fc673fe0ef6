#pragma once

#include <QString>

class QLabel;

// One display line of the calculator: the number it holds, the digits typed
// so far and the text shown. The label, when given, shows DisplayText.
class TCalcRegister
{
public:
    explicit TCalcRegister(QLabel *display = nullptr, int maxDigits = 10);

    double Value = 0.0;
    QString InputText;
    QString DisplayText;
    int MaxDigits = 10;

    // A digit or "." typed; ignored once the input fills the display.
    void InputChar(QChar c);
    void Backspace();
    // Value from InputText (0 for an empty or unreadable text, which is then
    // dropped), shown.
    void UpdateValue();
    // Value set from outside (a result, the memory, a pasted number), shown.
    void SetValue(double value);
    // Input emptied, value 0, shown as "0".
    void Clear();
    void SetDisplay(const QString &text);
    // The text that fits maxDigits characters: "Over" when the integer part
    // does not fit, "0" when no digit of a tiny value would show.
    static QString FormatValue(double value, int maxDigits);

private:
    QLabel *m_display;
};
