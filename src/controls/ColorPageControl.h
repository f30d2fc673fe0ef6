#pragma once

#include <QTabWidget>

#include "controls/ColorTabBar.h"

// A page control whose owner chooses the colour of the frame around the sheets and
// of owner-drawn tabs (the main window's page control).
class TColorPageControl : public QTabWidget
{
    Q_OBJECT
public:
    explicit TColorPageControl(QWidget *parent = nullptr);

    // Stored only; it does not change the drawing.
    QColor pageColor() const { return m_pageColor; }
    void setPageColor(const QColor &value) { m_pageColor = value; }
    QColor color() const;
    void setColor(const QColor &value);
    bool parentColor() const { return m_parentColor; }
    void setParentColor(bool value);
    bool ownerDraw() const { return m_bar->ownerDraw(); }
    void setOwnerDraw(bool value) { m_bar->setOwnerDraw(value); }
    TTabStyle tabStyle() const { return m_bar->tabStyle(); }
    void setTabStyle(TTabStyle value);

    TColorTabBar *colorTabBar() const { return m_bar; }
    // A page's own background colour.
    QColor pageBrushColor(int index) const;
    // The colour of an owner-drawn tab: the page's colour as the owner answers it;
    // a selected button is white.
    QColor tabColorFor(int index);
    // The colour of the frame around the sheets as the owner answers it.
    QColor sheetEdgeColorNow();

signals:
    // The owner may change the colour (OnTabColor, OnSheetEdgeColor).
    void tabColor(QWidget *page, QColor &color);
    void sheetEdgeColor(QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TColorTabBar *m_bar;
    QColor m_pageColor;
    QColor m_color;
    bool m_parentColor = true;
};
