#pragma once

#include <QDate>
#include <QWidget>

class QCheckBox;
class QDateEdit;

// A date picker with a tick box: ticked, its date is a condition; unticked,
// the date stays shown (greyed) and counts for nothing. Only real dates can
// be picked or typed.
class TMyDateTimePicker : public QWidget
{
    Q_OBJECT
public:
    explicit TMyDateTimePicker(const QString &caption, QWidget *parent = nullptr);

    bool checked() const;
    void setChecked(bool checked);
    QDate date() const;
    void setDate(const QDate &date);

    QCheckBox *checkBox() const { return m_check; }
    QDateEdit *dateEdit() const { return m_edit; }

signals:
    // The date or the tick changed (also the picker's calendar closing).
    void changed();

private:
    QCheckBox *m_check;
    QDateEdit *m_edit;
};
