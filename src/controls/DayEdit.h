#pragma once

#include <QDateEdit>

// The date box of a page: a date edit that never turns a typed date that does
// not exist into another one. Qt's own editing refuses the keystroke that would
// make a day impossible (the "0" of 2026/02/30) and keeps what it had (02/03),
// which then reads as a valid date. Here a whole typed date that does not exist
// stays on screen until the box is left or Enter is pressed; then the user is
// told "無効な日付です。" and the box shows its date again, unchanged.
//
// The date is taken when typing is finished (Enter, leaving the box), not at
// every keystroke, so a half-typed date is never loaded.
class TDayEdit : public QDateEdit
{
    Q_OBJECT
public:
    explicit TDayEdit(const QDate &date, QWidget *parent = nullptr);

    // The typed text is a whole date (year, month, day in digits) that does not exist.
    static bool IsImpossibleDateText(const QString &text);
    // Refuses such a typed text with the message and shows the date again;
    // false when the text was no impossible date.
    bool RefuseImpossibleDate();

protected:
    QValidator::State validate(QString &text, int &pos) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_refusing = false;
};
