#include "main/MemoPanelGrid.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>

#include "data/HimokuCache.h"

using namespace Qt::StringLiterals;

namespace {

const QColor kGridBack(0xFD, 0xFA, 0xF2);     // $F2FAFD
const QColor kSundayBack(0xFF, 0xE6, 0xE6);   // $E6E6FF
const QColor kSaturdayBack(0xE6, 0xEE, 0xFF); // $FFEEE6
const QColor kWeekdayBack(0xF5, 0xF5, 0xF5);
const QColor kSilver(0xC0, 0xC0, 0xC0);

QFont sized(const QFont &base, int points)
{
    QFont f(base);
    f.setPointSize(points);
    return f;
}

QString shortWeekday(const QDate &date)
{
    return QLocale(QLocale::Japanese).dayName(date.dayOfWeek(), QLocale::ShortFormat);
}

} // namespace

TMemoPanelGrid::TMemoPanelGrid(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kGridBack);
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(u"DBMemo1"_s);
    m_memo->setFrameShape(QFrame::NoFrame);
    m_memo->hide();
}

void TMemoPanelGrid::setDays(const QList<QDate> &dates, const QStringList &texts, int colCount, int rowCount,
                             View view, int shownMonth)
{
    m_dates = dates;
    m_texts = texts;
    m_cols = std::max(1, colCount);
    m_rows = std::max(1, rowCount);
    m_view = view;
    m_shownMonth = shownMonth;
    m_current = -1;
    // Month panels are small: the memo shows no scroll bars there.
    m_memo->setVerticalScrollBarPolicy(view == vMonth ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    m_memo->setHorizontalScrollBarPolicy(view == vDay ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    m_memo->setLineWrapMode(view == vDay ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    update();
}

void TMemoPanelGrid::setText(int index, const QString &text)
{
    if (index >= 0 && index < m_texts.size()) {
        m_texts[index] = text;
        update(panelRect(index));
    }
}

void TMemoPanelGrid::setCurrent(int index)
{
    m_current = index;
    ArrangeMemo();
    update();
}

QRect TMemoPanelGrid::panelRect(int index) const
{
    if (index < 0 || index >= m_dates.size())
        return {};
    const int col = index % m_cols;
    const int row = index / m_cols;
    const int x0 = width() * col / m_cols;
    const int x1 = width() * (col + 1) / m_cols;
    const int y0 = height() * row / m_rows;
    const int y1 = height() * (row + 1) / m_rows;
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

int TMemoPanelGrid::indexAt(const QPoint &pos) const
{
    for (int i = 0; i < m_dates.size(); ++i)
        if (panelRect(i).contains(pos))
            return i;
    return -1;
}

QRect TMemoPanelGrid::memoRect(const QRect &panel) const
{
    if (m_view == vMonth)
        return QRect(panel.left() + Margin, panel.top() + DateHeaderHeight + Margin,
                     panel.width() - 2 * Margin, panel.height() - DateHeaderHeight - 2 * Margin);
    const int left = panel.left() + DateColWidth + Margin;
    return QRect(left, panel.top() + Margin, panel.right() - 2 * Margin - left, panel.height() - 2 * Margin);
}

void TMemoPanelGrid::ArrangeMemo()
{
    const QFontMetrics fm(font());
    Margin = fm.height() / 10 + 1;
    DateColWidth = fm.horizontalAdvance(u"01.12.20 (金)"_s) + Margin;
    DateHeaderHeight = fm.height() + 2 * Margin;
    if (m_current < 0) {
        m_memo->hide();
        return;
    }
    m_memo->setGeometry(memoRect(panelRect(m_current)));
    m_memo->show();
}

void TMemoPanelGrid::DayColors(const QDate &date, View view, int shownMonth, QColor &text, QColor &back)
{
    switch (date.dayOfWeek()) {
    case 7:
        text = Qt::red;
        back = kSundayBack;
        break;
    case 6:
        text = Qt::blue;
        back = kSaturdayBack;
        break;
    default:
        text = Qt::black;
        back = kWeekdayBack;
        break;
    }
    if (text != QColor(Qt::red) && IsHoliday(date))
        text = Qt::red;
    if (view == vMonth && date.month() != shownMonth)
        text = kSilver;
}

void TMemoPanelGrid::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    for (int i = 0; i < m_dates.size(); ++i)
        paintPanel(p, i);
}

void TMemoPanelGrid::paintPanel(QPainter &p, int index)
{
    const QRect panel = panelRect(index);
    const QDate date = m_dates.at(index);
    QColor text, back;
    DayColors(date, m_view, m_shownMonth, text, back);
    p.fillRect(panel, index == m_current ? QColor(Qt::white) : kGridBack);
    const QFont base = font();
    const QString holiday = GetHolidayName(date);
    if (m_view == vMonth) {
        const QRect header(panel.left(), panel.top(), panel.width(), DateHeaderHeight);
        p.fillRect(header, back);
        p.setPen(text);
        const QFont f9 = sized(base, 9);
        p.setFont(f9);
        const int ascent = QFontMetrics(f9).ascent();
        p.drawText(panel.left() + Margin, panel.top() + Margin + ascent,
                   u"%1日(%2)"_s.arg(date.day()).arg(shortWeekday(date)));
        if (!holiday.isEmpty()) {
            const QFont f8 = sized(base, 8);
            p.setFont(f8);
            p.drawText(panel.left() + 2 * Margin + QFontMetrics(f9).horizontalAdvance(u"88日(木)"_s),
                       panel.top() + Margin + QFontMetrics(f8).ascent(), holiday);
        }
        p.setPen(kSilver);
        p.drawLine(panel.left(), panel.top() + DateHeaderHeight, panel.right(), panel.top() + DateHeaderHeight);
    } else {
        const QRect column(panel.left(), panel.top(), DateColWidth, panel.height());
        p.fillRect(column, back);
        p.setPen(text);
        const QFont f10 = sized(base, 10);
        const QFontMetrics fm10(f10);
        const int dayRight = panel.left() + Margin + fm10.horizontalAdvance(u"88日"_s);
        const QString dayText = u"%1日"_s.arg(date.day());
        p.setFont(f10);
        p.drawText(dayRight - fm10.horizontalAdvance(dayText), panel.top() + Margin / 2 + fm10.ascent(), dayText);
        const QFont f9 = sized(base, 9);
        p.setFont(f9);
        p.drawText(dayRight, panel.top() + Margin / 2 + fm10.ascent(), u"(%1) "_s.arg(shortWeekday(date)));
        if (!holiday.isEmpty()) {
            const QFont f8 = sized(base, 8);
            const QFontMetrics fm8(f8);
            p.setFont(f8);
            const int x = panel.left() + std::max(0, (DateColWidth - fm8.horizontalAdvance(holiday)) / 2);
            p.drawText(x, panel.top() + Margin + 2 * fm10.height() + fm8.ascent() - fm8.height(), holiday);
        }
        p.setPen(kSilver);
        p.drawLine(panel.left() + DateColWidth, panel.top(), panel.left() + DateColWidth, panel.bottom());
    }
    // The text of the days other than the current one (the memo shows that).
    if (index != m_current && index < m_texts.size() && !m_texts.at(index).isEmpty()) {
        p.setPen(m_memo->palette().color(QPalette::Text));
        p.setFont(m_memo->font());
        p.drawText(memoRect(panel).adjusted(4, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   m_texts.at(index));
    }
    p.setPen(kSilver);
    p.setBrush(Qt::NoBrush);
    p.drawRect(panel.adjusted(0, 0, -1, -1));
    p.setPen(Qt::white);
    p.drawLine(panel.left() + 1, panel.top() + 1, panel.left() + 1, panel.bottom() - 1);
    p.drawLine(panel.left() + 1, panel.top() + 1, panel.right() - 1, panel.top() + 1);
}

void TMemoPanelGrid::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ArrangeMemo();
}

void TMemoPanelGrid::mousePressEvent(QMouseEvent *event)
{
    const int index = indexAt(event->position().toPoint());
    if (index >= 0)
        emit panelClicked(index);
}

void TMemoPanelGrid::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return;
    case Qt::Key_PageUp:
        emit pageRequested(-1);
        return;
    case Qt::Key_PageDown:
        emit pageRequested(1);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
