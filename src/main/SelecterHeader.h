#pragma once

#include <functional>

#include <QWidget>

// The strip over the selector's tiles: one section as wide as a tile, with a
// plus sign on its left half and a minus sign on its right half. A press on
// the left half makes the tiles taller (one row fewer), on the right half
// lower (one row more); dragging the section's right edge sets the tile width.
class TSelecterHeader : public QWidget
{
    Q_OBJECT
public:
    explicit TSelecterHeader(QWidget *parent = nullptr);

    void setSectionWidth(int width);
    int sectionWidth() const { return m_sectionWidth; }
    QSize sizeHint() const override;

    // -1 for a press on the left half, +1 on the right half, 0 elsewhere.
    int zoneAt(int x) const;

    // A press with its zone (see zoneAt).
    std::function<void(int zone)> OnPress;
    // The section edge dragged to a new width; done is set when the drag ends.
    std::function<void(int width, bool done)> OnTrack;
    // The mouse released over the header.
    std::function<void()> OnRelease;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool onEdge(int x) const;

    int m_sectionWidth = 150;
    bool m_dragging = false;
};
