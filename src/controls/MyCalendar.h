#pragma once

#include <functional>

#include <QDate>
#include <QList>
#include <QWidget>

class QToolButton;

// A month calendar that shows either a calendar month or an accounting month:
// the period that ends on a closing day (SimeBi), titled with its fiscal year
// (Nendo) and accounting month (Getudo). Six weeks of days under a title bar
// with prior and next buttons and a row of weekday names; the bottom row holds
// today. Holidays are red, the selected date is ringed by an ellipse and today
// by a red circle. Which dates may be selected is limited by the shown period
// or, with ExtLimit, by SimeStartDate..SimeEndDate.
//
// The calendar keeps its own small date rules so that it works without a book.
class TMyCalendar : public QWidget
{
    Q_OBJECT
public:
    enum Mode { cmNormal, cmGetudo };

    explicit TMyCalendar(QWidget *parent = nullptr);

    static int DaysPerMonth(int year, int month);
    static bool IsLeapYear(int year);

    // Every setter rebuilds the month shown when its value changes.
    int Nendo() const { return m_nendo; }
    void setNendo(int year);
    int Getudo() const { return m_getudo; }
    void setGetudo(int month);
    Mode CalendarMode() const { return m_mode; }
    void setCalendarMode(Mode mode);
    int SimeBi() const { return m_simeBi; }
    void setSimeBi(int day);
    int SimeTuki() const { return m_simeTuki; }
    void setSimeTuki(int month);
    int NendoShift() const { return m_nendoShift; }
    void setNendoShift(int shift);
    int GetudoShift() const { return m_getudoShift; }
    void setGetudoShift(int shift);
    bool ExtLimit() const { return m_extLimit; }
    void setExtLimit(bool on);
    bool WarnOutRange() const { return m_warnOutRange; }
    void setWarnOutRange(bool on);
    void setShowButtom(bool on);

    QDate SimeStartDate;
    QDate SimeEndDate;
    bool AllowSelect = true;
    bool AlowOutRange = true;
    int StartOfWeek = 1; // 1 Sunday .. 7 Saturday
    QDate SelectedDate;

    // Replaces the computed period of a (year, month).
    std::function<void(int year, int month, int &simeBi, QDate &start, QDate &end)> OnCalcDateRange;
    // Turns the period found for a date into the year and month to show.
    std::function<void(const QDate &date, int &year, int &month, int &simeBi, QDate &start, QDate &end)>
        OnCalcDateGetudo;
    std::function<void()> OnDateChange;
    // A date cell (or the today cell) was pressed.
    std::function<void(Qt::MouseButton button)> OnDateMouseDown;

    void UpdateCalendar();
    // Selects a date; a date outside the shown period moves the calendar to its month.
    void SetDate(const QDate &date);
    void AddHoliday(const QDate &date);
    // The prior and next buttons.
    void StepMonth(bool next);

    QDate periodStart() const { return m_start; }
    QDate periodEnd() const { return m_end; }
    // The date of a cell of the six week rows (row 0..5), or the first cell.
    QDate cellDate(int column, int weekRow) const;
    QRect cellRect(int column, int row) const;
    bool withinLimit(const QDate &date) const;
    QString titleText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool cellAt(const QPoint &pos, int &column, int &row) const;
    // The selection rules of a click or key on a date (or the today cell).
    void selectDate(const QDate &date, bool todayCell);
    void layoutButtons();
    int rowTop(int row) const;
    int rowHeight(int row) const;
    int colLeft(int column) const;
    int colWidth(int column) const;

    int m_nendo;
    int m_getudo;
    Mode m_mode = cmNormal;
    int m_simeBi = 31;
    int m_simeTuki = 12;
    int m_nendoShift = 0;
    int m_getudoShift = 0;
    bool m_extLimit = false;
    bool m_warnOutRange = false;
    QDate m_start;
    QDate m_end;
    QDate m_first;
    QList<QDate> m_holidays;
    QToolButton *m_prior;
    QToolButton *m_next;
};
