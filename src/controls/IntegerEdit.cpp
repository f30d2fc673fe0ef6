#include "controls/IntegerEdit.h"

#include <QRegularExpression>

TIntegerEdit::TIntegerEdit(QWidget *parent)
    : TNumberEdit(parent)
{
}

void TIntegerEdit::SetValue(int value)
{
    m_value = value;
    setText(QString::number(value));
    emit valueSet();
}

int TIntegerEdit::GetValue()
{
    if (!storeText(text()))
        SetValue(m_value);
    return m_value;
}

bool TIntegerEdit::isAcceptedChar(QChar c) const
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool TIntegerEdit::storeText(const QString &text)
{
    // Only plain ASCII digits with an optional sign count; toInt also refuses
    // anything beyond the 32-bit range.
    static const QRegularExpression plain(QStringLiteral("^\\s*[-+]?[0-9]+\\s*$"));
    if (!plain.match(text).hasMatch())
        return false;
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (ok)
        m_value = v;
    return ok;
}
