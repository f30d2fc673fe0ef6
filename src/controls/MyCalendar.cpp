#include "controls/MyCalendar.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QColor kTitleColor(0x00, 0x00, 0x80);
const QColor kSelected(0xCD, 0xDF, 0xFE);
const QColor kOffSelected(0xDF, 0xFF, 0xEC);

QDate cutDate(int year, int month, int day)
{
    return QDate(year, month, std::min(day, TMyCalendar::DaysPerMonth(year, month)));
}

void prevMonth(int &year, int &month)
{
    if (--month < 1) {
        month = 12;
        --year;
    }
}

} // namespace

TMyCalendar::TMyCalendar(QWidget *parent) : QWidget(parent)
{
    const QDate today = QDate::currentDate();
    m_nendo = today.year();
    m_getudo = today.month();
    SelectedDate = today;
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(140, 120);
    auto button = [this](Qt::ArrowType arrow, bool next) {
        auto *b = new QToolButton(this);
        b->setArrowType(arrow);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(u"QToolButton { background: #EDEEE5; border: 1px solid #808080; }"
                         "QToolButton:pressed { background: #D1FFCE; }"_s);
        connect(b, &QToolButton::clicked, this, [this, next] { StepMonth(next); });
        return b;
    };
    m_prior = button(Qt::LeftArrow, false);
    m_next = button(Qt::RightArrow, true);
    UpdateCalendar();
}

bool TMyCalendar::IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int TMyCalendar::DaysPerMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 31;
    return days[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

void TMyCalendar::setNendo(int year)
{
    if (year != m_nendo && year > 0) {
        m_nendo = year;
        UpdateCalendar();
    }
}

void TMyCalendar::setGetudo(int month)
{
    if (month != m_getudo && month >= 1 && month <= 12) {
        m_getudo = month;
        UpdateCalendar();
    }
}

void TMyCalendar::setCalendarMode(Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    if (mode == cmNormal)
        m_simeBi = 0;
    UpdateCalendar();
}

void TMyCalendar::setSimeBi(int day)
{
    if (day != m_simeBi) {
        m_simeBi = std::clamp(day, 0, 31);
        UpdateCalendar();
    }
}

void TMyCalendar::setSimeTuki(int month)
{
    if (month != m_simeTuki && month >= 1 && month <= 12) {
        m_simeTuki = month;
        UpdateCalendar();
    }
}

void TMyCalendar::setNendoShift(int shift)
{
    if (shift != m_nendoShift) {
        m_nendoShift = shift;
        UpdateCalendar();
    }
}

void TMyCalendar::setGetudoShift(int shift)
{
    if (shift != m_getudoShift) {
        m_getudoShift = shift;
        UpdateCalendar();
    }
}

void TMyCalendar::setExtLimit(bool on)
{
    if (on != m_extLimit) {
        m_extLimit = on;
        UpdateCalendar();
    }
}

void TMyCalendar::setWarnOutRange(bool on)
{
    m_warnOutRange = on;
    UpdateCalendar();
}

void TMyCalendar::setShowButtom(bool on)
{
    m_prior->setVisible(on);
    m_next->setVisible(on);
}

void TMyCalendar::AddHoliday(const QDate &date)
{
    if (date.isValid() && !m_holidays.contains(date)) {
        m_holidays << date;
        update();
    }
}

void TMyCalendar::UpdateCalendar()
{
    int y = m_nendo;
    int c = 0;
    if (m_mode == cmGetudo) {
        if (m_getudo > m_simeTuki)
            --y;
        y -= m_nendoShift;
        c = m_simeBi;
    }
    const int month = m_getudo;
    if (c == 0 || c == 31 || c >= DaysPerMonth(y, month)) {
        m_start = QDate(y, month, 1);
        m_end = QDate(y, month, DaysPerMonth(y, month));
    } else {
        m_end = QDate(y, month, c);
        int py = y, pm = month;
        prevMonth(py, pm);
        m_start = cutDate(py, pm, c).addDays(1);
    }
    if (OnCalcDateRange) {
        int simeBi = m_simeBi;
        OnCalcDateRange(m_nendo, m_getudo, simeBi, m_start, m_end);
        m_simeBi = simeBi;
    }
    if (m_start.isValid()) {
        const int weekday = m_start.dayOfWeek() % 7 + 1; // 1 Sunday .. 7 Saturday
        m_first = m_start.addDays(-(((weekday - StartOfWeek) % 7 + 7) % 7));
    }
    update();
}

QDate TMyCalendar::cellDate(int column, int weekRow) const
{
    return m_first.addDays(weekRow * 7 + column);
}

bool TMyCalendar::withinLimit(const QDate &date) const
{
    if (m_extLimit)
        return SimeStartDate.isValid() && SimeEndDate.isValid() && date >= SimeStartDate && date <= SimeEndDate;
    return date >= m_start && date <= m_end;
}

void TMyCalendar::SetDate(const QDate &date)
{
    if (!date.isValid())
        return;
    if (date >= m_start && date <= m_end) {
        SelectedDate = date;
        update();
        return;
    }
    SelectedDate = date;
    const int c = m_mode == cmGetudo ? m_simeBi : 0;
    int ey = date.year(), em = date.month();
    if (c != 0 && c != 31 && c < date.day()) {
        if (++em > 12) {
            em = 1;
            ++ey;
        }
    }
    QDate end, start;
    if (c == 0 || c == 31) {
        start = QDate(ey, em, 1);
        end = QDate(ey, em, DaysPerMonth(ey, em));
    } else {
        end = cutDate(ey, em, c);
        int py = ey, pm = em;
        prevMonth(py, pm);
        start = cutDate(py, pm, c).addDays(1);
    }
    int year = end.year(), month = end.month(), simeBi = m_simeBi;
    if (OnCalcDateGetudo)
        OnCalcDateGetudo(date, year, month, simeBi, start, end);
    m_nendo = year;
    m_getudo = std::clamp(month, 1, 12);
    m_simeBi = simeBi;
    UpdateCalendar();
    if (OnDateChange)
        OnDateChange();
}

void TMyCalendar::StepMonth(bool next)
{
    if (m_mode == cmGetudo) {
        if (next) {
            if (m_getudo == m_simeTuki)
                ++m_nendo;
            m_getudo = m_getudo % 12 + 1;
        } else {
            m_getudo = m_getudo == 1 ? 12 : m_getudo - 1;
            if (m_getudo == m_simeTuki)
                --m_nendo;
        }
    } else if (next) {
        if (++m_getudo > 12) {
            m_getudo = 1;
            ++m_nendo;
        }
    } else {
        prevMonth(m_nendo, m_getudo);
    }
    UpdateCalendar();
}

void TMyCalendar::selectDate(const QDate &date, bool todayCell)
{
    if (!AllowSelect || !date.isValid())
        return;
    const QDate before = SelectedDate;
    const bool inPeriod = date >= m_start && date <= m_end;
    if (inPeriod) {
        if (!withinLimit(date) && !AlowOutRange)
            return;
        if (todayCell) {
            SetDate(QDate::currentDate());
            return;
        }
        SelectedDate = date;
    } else if (withinLimit(date)) {
        SelectedDate = date;
    } else if (AlowOutRange) {
        SetDate(date); // fires OnDateChange itself
        return;
    } else {
        return;
    }
    update();
    if (SelectedDate != before && OnDateChange)
        OnDateChange();
}

// Rows: 0 title, 1 weekday names, 2..7 weeks, 8 today.
int TMyCalendar::rowHeight(int row) const
{
    const int h = height();
    if (row == 0)
        return h / 6;
    if (row == 1)
        return h / 12;
    if (row == 8)
        return h - rowTop(8);
    return std::max(1, (h - h / 6 - h / 10 - h / 12) / 6);
}

int TMyCalendar::rowTop(int row) const
{
    const int h = height();
    if (row <= 0)
        return 0;
    if (row == 1)
        return h / 6;
    const int weekH = std::max(1, (h - h / 6 - h / 10 - h / 12) / 6);
    return h / 6 + h / 12 + (std::min(row, 8) - 2) * weekH;
}

int TMyCalendar::colWidth(int column) const
{
    const int w = width() / 7;
    const int rest = width() % 7;
    if (column == 0)
        return w + rest / 2;
    if (column == 6)
        return w + rest - rest / 2;
    return w;
}

int TMyCalendar::colLeft(int column) const
{
    int x = 0;
    for (int i = 0; i < column; ++i)
        x += colWidth(i);
    return x;
}

QRect TMyCalendar::cellRect(int column, int row) const
{
    return QRect(colLeft(column), rowTop(row), colWidth(column), rowHeight(row));
}

bool TMyCalendar::cellAt(const QPoint &pos, int &column, int &row) const
{
    for (row = 0; row < 9; ++row)
        if (pos.y() >= rowTop(row) && pos.y() < rowTop(row) + rowHeight(row))
            break;
    for (column = 0; column < 7; ++column)
        if (pos.x() >= colLeft(column) && pos.x() < colLeft(column) + colWidth(column))
            break;
    return row < 9 && column < 7;
}

void TMyCalendar::layoutButtons()
{
    const int h = rowHeight(0);
    for (auto [b, col] : {std::pair{m_prior, 0}, std::pair{m_next, 6}}) {
        const QRect r = cellRect(col, 0);
        b->setGeometry(r.adjusted(r.width() / 4, h / 4, -r.width() / 4, -h / 4));
    }
}

void TMyCalendar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

QString TMyCalendar::titleText() const
{
    if (m_mode == cmNormal)
        return u"%1年 %2月"_s.arg(m_nendo).arg(m_getudo);
    return u"%1年度 %2月"_s.arg(m_nendo).arg(m_getudo);
}

void TMyCalendar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QDate today = QDate::currentDate();
    const int weekH = rowHeight(2);
    int base = std::max(9, int(std::lround(weekH * 0.8)));
    QFont font = this->font();
    font.setPixelSize(base);
    {
        const QFontMetrics fm(font);
        const int w = fm.horizontalAdvance(u"12/1"_s);
        if (w > colWidth(1) - 1)
            base = std::max(8, int(base * double(colWidth(1) - 1) / w));
    }
    auto fontOf = [&](double scale, bool bold) {
        QFont f = this->font();
        f.setPixelSize(std::max(6, int(std::lround(base * scale))));
        f.setBold(bold);
        return f;
    };
    p.fillRect(QRect(0, 0, width(), rowHeight(0)), kTitleColor);

    // Weekday names.
    const QLocale ja(QLocale::Japanese, QLocale::Japan);
    p.setFont(fontOf(0.8, true));
    auto weekdayColor = [this](int column) {
        const int k = (StartOfWeek + column) % 7;
        return k == 1 ? QColor(Qt::red) : k == 0 ? QColor(0x00, 0x00, 0x80) : QColor(Qt::black);
    };
    for (int col = 0; col < 7; ++col) {
        const QRect r = cellRect(col, 1);
        const int weekday = (StartOfWeek + col - 1) % 7 + 1; // 1 Sunday
        p.setPen(weekdayColor(col));
        p.drawText(r, Qt::AlignCenter, ja.dayName(weekday == 1 ? 7 : weekday - 1, QLocale::ShortFormat));
    }
    p.setPen(Qt::black);
    p.drawLine(0, rowTop(2) - 1, width(), rowTop(2) - 1);

    // Six weeks.
    for (int week = 0; week < 6; ++week)
        for (int col = 0; col < 7; ++col) {
            const QDate d = cellDate(col, week);
            const QRect r = cellRect(col, week + 2);
            if (d == SelectedDate) {
                p.setPen(Qt::NoPen);
                p.setBrush(hasFocus() ? kSelected : kOffSelected);
                p.drawEllipse(QRect(QPoint(r.left() + 2, r.top() + 2), QPoint(r.right() - 3, r.bottom() - 3)));
                p.setBrush(Qt::NoBrush);
            }
            const bool inside = withinLimit(d);
            p.setFont(inside ? fontOf(1.0, true) : fontOf(0.8, false));
            QColor color = m_holidays.contains(d) ? QColor(Qt::red) : weekdayColor(col);
            if (!inside)
                color = QColor(0x80, 0x80, 0x80);
            p.setPen(color);
            const QString text = m_mode == cmGetudo && d.day() == 1 ? u"%1/%2"_s.arg(d.month()).arg(d.day())
                                                                   : QString::number(d.day());
            p.drawText(r, Qt::AlignCenter, text);
            if (d == today) {
                QPen pen(Qt::red);
                pen.setWidth(weekH / 4 > 3 ? 3 : 2);
                p.setPen(pen);
                p.drawEllipse(QRect(QPoint(r.left() + 1, r.top() + 1), QPoint(r.right() - 2, r.bottom() - 2)));
            }
        }

    // Title.
    p.setPen(Qt::white);
    const QRect title(0, 0, width(), rowHeight(0));
    if (m_mode == cmNormal) {
        p.setFont(fontOf(1.0, true));
        p.drawText(title, Qt::AlignCenter, titleText());
    } else {
        const bool three = m_simeTuki != 12 || m_nendoShift != 0 || m_getudoShift != 0;
        const int lines = three ? 3 : 2;
        const int lineH = std::max(1, title.height() / lines);
        QFont f = fontOf(1.0, true);
        f.setPixelSize(std::min(f.pixelSize(), lineH));
        p.setFont(f);
        p.drawText(QRect(0, 0, width(), lineH), Qt::AlignCenter, titleText());
        if (three) {
            int y = m_nendo - (m_getudo > m_simeTuki ? 1 : 0) - m_nendoShift;
            int m = m_getudo - m_getudoShift;
            while (m < 1) {
                m += 12;
                --y;
            }
            while (m > 12) {
                m -= 12;
                ++y;
            }
            QFont f2 = fontOf(0.7, false);
            f2.setPixelSize(std::min(f2.pixelSize(), lineH));
            p.setFont(f2);
            p.drawText(QRect(0, lineH, width(), lineH), Qt::AlignCenter, u"(%1年 %2月)"_s.arg(y).arg(m));
        }
        QFont f3 = fontOf(0.9, false);
        f3.setPixelSize(std::min(f3.pixelSize(), lineH));
        p.setFont(f3);
        const bool warn = !AlowOutRange || m_warnOutRange || m_start != SimeStartDate || m_end != SimeEndDate;
        p.setPen(warn ? QColor(0xFF, 0x60, 0x60) : QColor(0x00, 0x80, 0xFF));
        const QString span = SimeStartDate.isValid() && SimeEndDate.isValid()
                                 ? SimeStartDate.toString(u"yy.MM.dd"_s) + u" ～ "_s + SimeEndDate.toString(u"yy.MM.dd"_s)
                                 : m_start.toString(u"yy.MM.dd"_s) + u" ～ "_s + m_end.toString(u"yy.MM.dd"_s);
        p.drawText(QRect(0, (lines - 1) * lineH, width(), title.height() - (lines - 1) * lineH), Qt::AlignCenter,
                   span);
    }

    // Today.
    const QRect todayCell = cellRect(0, 8);
    {
        QPen pen(Qt::red);
        pen.setWidth(std::min(rowHeight(8), colWidth(0)) / 6 > 2 ? 2 : 1);
        p.setPen(pen);
        p.setBrush(Qt::white);
        const int dx = todayCell.width() / 5, dy = todayCell.height() / 5;
        p.drawEllipse(todayCell.adjusted(dx, dy, -dx, -dy));
        p.setBrush(Qt::NoBrush);
    }
    QString todayText = u"今日： "_s + today.toString(u"yy/MM/dd"_s);
    if (m_mode == cmGetudo)
        todayText += m_simeBi >= 1 && m_simeBi <= 30 ? u"    %1日〆"_s.arg(m_simeBi) : u"     月末〆"_s;
    p.setPen(Qt::black);
    p.setFont(fontOf(1.0, true));
    p.drawText(QRect(colLeft(1), todayCell.top(), width() - colLeft(1), todayCell.height()),
               Qt::AlignLeft | Qt::AlignVCenter, todayText);
}

void TMyCalendar::mousePressEvent(QMouseEvent *event)
{
    int col = 0, row = 0;
    if (!cellAt(event->position().toPoint(), col, row))
        return;
    setFocus(Qt::MouseFocusReason);
    const bool todayCell = row == 8 && col == 0;
    if (!todayCell && (row < 2 || row > 7))
        return;
    const QDate d = todayCell ? QDate::currentDate() : cellDate(col, row - 2);
    selectDate(d, todayCell);
    if ((AlowOutRange || withinLimit(d)) && OnDateMouseDown)
        OnDateMouseDown(event->button());
}

void TMyCalendar::mouseMoveEvent(QMouseEvent *event)
{
    int col = 0, row = 0;
    bool hand = false;
    if (cellAt(event->position().toPoint(), col, row)) {
        if (row == 8 && col == 0)
            hand = withinLimit(QDate::currentDate());
        else if (row >= 2 && row <= 7)
            hand = withinLimit(cellDate(col, row - 2));
    }
    setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TMyCalendar::keyPressEvent(QKeyEvent *event)
{
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Left:
        step = -1;
        break;
    case Qt::Key_Right:
        step = 1;
        break;
    case Qt::Key_Up:
        step = -7;
        break;
    case Qt::Key_Down:
        step = 7;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    selectDate(SelectedDate.addDays(step), false);
    event->accept();
}
