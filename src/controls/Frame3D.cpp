#include "controls/Frame3D.h"

#include <QColor>
#include <QPainter>
#include <QRect>

void Frame3D(QPainter &p, QRect &r, const QColor &topLeft, const QColor &bottomRight, int width)
{
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        p.setPen(topLeft);
        p.drawLine(r.left(), r.bottom(), r.left(), r.top());
        p.drawLine(r.left(), r.top(), r.right(), r.top());
        p.setPen(bottomRight);
        p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        r.adjust(1, 1, -1, -1);
    }
}
