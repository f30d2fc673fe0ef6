#pragma once

#include "controls/NumberEdit.h"
#include "platform/db/Currency.h"

// An edit box for one amount. Typing accepts digits, '-' and '.'.
class TFloatEdit : public TNumberEdit
{
    Q_OBJECT
public:
    explicit TFloatEdit(QWidget *parent = nullptr);

    // Stores the value, writes it as text and fires valueSet.
    void SetValue(Currency value);
    // The typed number when there is one (it becomes the stored value); otherwise
    // the stored value is written back (firing valueSet) and returned.
    Currency GetValue();
    Currency storedValue() const { return m_value; }

    bool isAcceptedChar(QChar c) const override;
    // Shortest text of an amount: "12.5", "-3", "0".
    static QString format(Currency value);

protected:
    bool storeText(const QString &text) override;
    void storeZero() override { m_value = Currency(); }
    void rewriteStored() override { SetValue(m_value); }

private:
    Currency m_value;
};
