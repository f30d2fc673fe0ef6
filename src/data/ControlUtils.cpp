#include "data/ControlUtils.h"

#include <QComboBox>
#include <QDate>
#include <QWidget>

namespace {
bool canFocus(QWidget *control)
{
    return control && control->isEnabled() && control->isVisible() && control->focusPolicy() != Qt::NoFocus;
}

// Classes made from QComboBox keep their own selection rules.
bool isPlainCombo(const QComboBox *combo)
{
    return combo->metaObject() == &QComboBox::staticMetaObject;
}
} // namespace

bool TrySetFocus(QWidget *control)
{
    if (!control)
        return false;
    if (canFocus(control))
        control->setFocus(Qt::OtherFocusReason);
    return control->hasFocus();
}

bool SetFocusIfCan(QWidget *control)
{
    if (!canFocus(control))
        return false;
    control->setFocus(Qt::OtherFocusReason);
    return true;
}

void SelectComboNumber(QComboBox *combo, int number)
{
    if (!combo)
        return;
    const int index = combo->findData(number);
    if (index >= 0) {
        combo->setCurrentIndex(index);
        return;
    }
    combo->setCurrentIndex(-1);
    if (combo->isEditable())
        combo->setEditText(QString::number(number));
}

void SelectComboObject(QComboBox *combo, int value)
{
    if (!combo)
        return;
    const int index = combo->findData(value);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

void SelectComboObjectText(QComboBox *combo, int value, const QString &text)
{
    SelectComboObject(combo, value);
    if (combo && combo->currentText() != text && combo->isEditable())
        combo->setEditText(text);
}

void FillYearCombo(QComboBox *combo, int before, int after, int year)
{
    if (!combo)
        return;
    const int thisYear = QDate::currentDate().year();
    combo->clear();
    for (int y = thisYear - before; y <= thisYear + after; ++y)
        combo->addItem(QString::number(y), y);
    if (isPlainCombo(combo))
        SelectComboNumber(combo, year == 0 ? thisYear : year);
}

void FillMonthCombo(QComboBox *combo, int simeTuki, int month)
{
    if (!combo)
        return;
    combo->clear();
    const int start = (simeTuki >= 1 && simeTuki <= 12) ? simeTuki % 12 + 1 : 1;
    for (int i = 0; i < 12; ++i) {
        const int m = (start - 1 + i) % 12 + 1;
        combo->addItem(QString::number(m), m);
    }
    if (isPlainCombo(combo))
        SelectComboObject(combo, month == 0 ? QDate::currentDate().month() : month);
}

void SetControlHelpContext(QWidget *control, int context)
{
    if (control)
        control->setProperty("helpContext", context);
}
