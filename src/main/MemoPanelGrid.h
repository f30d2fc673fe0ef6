#pragma once

#include <QDate>
#include <QList>
#include <QStringList>
#include <QWidget>

class QPlainTextEdit;

// The diary's grid of day panels: one panel per day with its date (weekend
// and holiday colours, the holiday's name) and its text; the day memo, the
// editor of the current day, sits inside the current panel. The grid holds no
// data of its own: the page gives it the days and texts it shows.
class TMemoPanelGrid : public QWidget
{
    Q_OBJECT
public:
    enum View { vMonth, vWeek, vDay };

    explicit TMemoPanelGrid(QWidget *parent = nullptr);

    QPlainTextEdit *memo() const { return m_memo; }

    // The shown days and their texts; month view paints the days outside
    // shownMonth in silver.
    void setDays(const QList<QDate> &dates, const QStringList &texts, int colCount, int rowCount, View view,
                 int shownMonth);
    void setText(int index, const QString &text);
    void setCurrent(int index);
    int current() const { return m_current; }
    int colCount() const { return m_cols; }
    int rowCount() const { return m_rows; }
    View view() const { return m_view; }
    QRect panelRect(int index) const;
    int indexAt(const QPoint &pos) const;
    // Takes the layout measures again from the font and places the memo in
    // the current panel.
    void ArrangeMemo();

    // Colours of a day's panel: text and background.
    static void DayColors(const QDate &date, View view, int shownMonth, QColor &text, QColor &back);

    // Layout measures (see ArrangeMemo).
    int Margin = 1;
    int DateColWidth = 100;
    int DateHeaderHeight = 20;

signals:
    void panelClicked(int index);
    // Page Up / Page Down in the grid.
    void pageRequested(int direction);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void paintPanel(QPainter &p, int index);
    QRect memoRect(const QRect &panel) const;

    QPlainTextEdit *m_memo;
    QList<QDate> m_dates;
    QStringList m_texts;
    int m_cols = 7;
    int m_rows = 5;
    int m_current = -1;
    int m_shownMonth = 0;
    View m_view = vMonth;
};
