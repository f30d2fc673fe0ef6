#include "controls/FloatEdit.h"

TFloatEdit::TFloatEdit(QWidget *parent)
    : TNumberEdit(parent)
{
}

QString TFloatEdit::format(Currency value)
{
    QString t = value.toString(4);
    if (t.contains(QLatin1Char('.'))) {
        while (t.endsWith(QLatin1Char('0')))
            t.chop(1);
        if (t.endsWith(QLatin1Char('.')))
            t.chop(1);
    }
    return t;
}

void TFloatEdit::SetValue(Currency value)
{
    m_value = value;
    setText(format(value));
    emit valueSet();
}

Currency TFloatEdit::GetValue()
{
    bool ok = false;
    const Currency typed = Currency::fromString(text(), &ok);
    if (ok)
        m_value = typed;
    else
        SetValue(m_value);
    return m_value;
}

bool TFloatEdit::isAcceptedChar(QChar c) const
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('.');
}

bool TFloatEdit::storeText(const QString &text)
{
    bool ok = false;
    const Currency v = Currency::fromString(text, &ok);
    if (ok)
        m_value = v;
    return ok;
}
