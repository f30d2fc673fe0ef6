#pragma once

#include <functional>

#include <QTabBar>

enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };

// The tab row of the coloured tab and page controls: each tab is filled in the
// colour its owner gives, and the caption under the mouse turns blue.
class TColorTabBar : public QTabBar
{
    Q_OBJECT
public:
    // The tab control and the page control place their tabs slightly differently.
    enum Rules { TabControlRules, PageControlRules };

    explicit TColorTabBar(Rules rules, QWidget *parent = nullptr);

    bool ownerDraw() const { return m_ownerDraw; }
    void setOwnerDraw(bool value);
    TTabStyle tabStyle() const { return m_tabStyle; }
    void setTabStyle(TTabStyle value);
    // The fill colour of a tab; asked at every paint.
    std::function<QColor(int)> tabColorProvider;

    int hoveredTab() const { return m_hovered; }
    // Blue for the tab under the mouse, else the font colour.
    QColor tabTextColor(int index) const;
    // Offsets of a tab's drawing by style and selection.
    QPoint tabOffset(int index) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    Rules m_rules;
    bool m_ownerDraw = true;
    TTabStyle m_tabStyle = tsTabs;
    int m_hovered = -1;
};
