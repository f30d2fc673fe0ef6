#include "views/MyDateTimePicker.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>

#include "controls/DayEdit.h"

TMyDateTimePicker::TMyDateTimePicker(const QString &caption, QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_check = new QCheckBox(caption, this);
    m_check->setChecked(true);
    // A typed day that does not exist is refused with a message, never turned
    // into another day.
    m_edit = new TDayEdit(QDate::currentDate(), this);
    m_edit->setCalendarPopup(true);
    m_edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    m_edit->setDateRange(QDate(1900, 1, 1), QDate(2100, 12, 31));
    // Digits only: the date is typed, never composed.
    m_edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    layout->addWidget(m_check);
    layout->addWidget(m_edit);
    connect(m_check, &QCheckBox::toggled, this, [this](bool on) {
        m_edit->setEnabled(on);
        emit changed();
    });
    connect(m_edit, &QDateEdit::dateChanged, this, &TMyDateTimePicker::changed);
}

bool TMyDateTimePicker::checked() const
{
    return m_check->isChecked();
}

void TMyDateTimePicker::setChecked(bool checked)
{
    m_check->setChecked(checked);
    m_edit->setEnabled(checked);
}

QDate TMyDateTimePicker::date() const
{
    return m_edit->date();
}

void TMyDateTimePicker::setDate(const QDate &date)
{
    m_edit->setDate(date);
}
