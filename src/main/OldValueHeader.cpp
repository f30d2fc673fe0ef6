#include "main/OldValueHeader.h"

#include <QMouseEvent>
#include <QPainter>

TOldValueHeader::TOldValueHeader(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HdCtrOldValue"));
    setToolTip(QStringLiteral("クリックすると、この値を明細に書きこみます。"));
    setFixedHeight(fontMetrics().height() + 6);
}

QSize TOldValueHeader::sizeHint() const
{
    return QSize(200, height());
}

void TOldValueHeader::clear()
{
    m_sections.clear();
    m_pressed = -1;
    update();
}

int TOldValueHeader::addSection(int width, const QString &text, Qt::Alignment alignment, bool clickable)
{
    Section s;
    s.id = m_nextId++;
    s.width = width;
    s.text = text;
    s.alignment = alignment;
    s.clickable = clickable;
    m_sections << s;
    update();
    return s.id;
}

int TOldValueHeader::indexOfId(int id) const
{
    for (int i = 0; i < m_sections.size(); ++i)
        if (m_sections[i].id == id)
            return i;
    return -1;
}

void TOldValueHeader::setSectionText(int index, const QString &text)
{
    if (index < 0 || index >= m_sections.size() || m_sections[index].text == text)
        return;
    m_sections[index].text = text;
    update();
}

int TOldValueHeader::sectionAt(int x) const
{
    int left = 0;
    for (int i = 0; i < m_sections.size(); ++i) {
        if (x >= left && x < left + m_sections[i].width)
            return i;
        left += m_sections[i].width;
    }
    return -1;
}

int TOldValueHeader::sectionLeft(int index) const
{
    int left = 0;
    for (int i = 0; i < index && i < m_sections.size(); ++i)
        left += m_sections[i].width;
    return left;
}

void TOldValueHeader::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0xF1, 0xF0, 0xEB));
    int left = 0;
    for (int i = 0; i < m_sections.size(); ++i) {
        const Section &s = m_sections[i];
        const QRect r(left, 0, s.width, height());
        left += s.width;
        const bool sunken = i == m_pressed;
        const QColor light(Qt::white), shadow(0xA0, 0xA0, 0xA0);
        p.setPen(sunken ? shadow : light);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(sunken ? light : shadow);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        if (s.text.isEmpty())
            continue;
        p.setPen(palette().color(QPalette::WindowText));
        const QRect textRect = r.adjusted(2, 0, -2, 0);
        p.drawText(textRect, int(s.alignment | Qt::AlignVCenter) | Qt::TextSingleLine,
                   fontMetrics().elidedText(s.text, Qt::ElideRight, textRect.width()));
    }
}

void TOldValueHeader::mousePressEvent(QMouseEvent *event)
{
    const int index = sectionAt(event->position().toPoint().x());
    if (index < 0 || !m_sections[index].clickable)
        return;
    m_pressed = index;
    update();
    if (onSectionPressed)
        onSectionPressed(index, event->button(), event->position().toPoint());
}

void TOldValueHeader::mouseReleaseEvent(QMouseEvent *)
{
    m_pressed = -1;
    update();
}
