#pragma once

class QColor;
class QPainter;
class QRect;

// Draws `width` nested 3-D frame lines inside r (the top and left edges in
// topLeft, the others in bottomRight) and shrinks r past them; stops early when
// r has no room left.
void Frame3D(QPainter &p, QRect &r, const QColor &topLeft, const QColor &bottomRight, int width);
