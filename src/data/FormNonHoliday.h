#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

// Tells the user that the holiday calendar of one or more years is not set up,
// and lets them set it up (mrYes), go on with weekends only (mrIgnore) or cancel
// (mrCancel). Shown by TDatModSql::CheckHolidayYears, which fills the list.
class TFormNonHoliday : public QDialog
{
    Q_OBJECT
public:
    explicit TFormNonHoliday(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QListWidget *ListBox1 = nullptr; // "2024年" items, the year as item data
    QPushButton *FrCalender = nullptr;
    QPushButton *FrBtnOnly = nullptr;
    QPushButton *FrCancel = nullptr;

    // With one year the text speaks of this year and the weekends-only choice
    // is hidden.
    void setOneYear(bool oneYear);
    void addYear(int year);
    // The year the user picked: the selected (or first) listed year once shown.
    int chosenYear() const { return m_year; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    int m_year = 2002;
};
