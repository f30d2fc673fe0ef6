#pragma once

#include "controls/NumberEdit.h"

// An edit box for one whole number. Typing accepts digits only, so a negative
// number can only be set in code.
class TIntegerEdit : public TNumberEdit
{
    Q_OBJECT
public:
    explicit TIntegerEdit(QWidget *parent = nullptr);

    void SetValue(int value);
    int GetValue();
    int storedValue() const { return m_value; }

    bool isAcceptedChar(QChar c) const override;

protected:
    bool storeText(const QString &text) override;
    void storeZero() override { m_value = 0; }
    void rewriteStored() override { SetValue(m_value); }

private:
    int m_value = 0;
};
