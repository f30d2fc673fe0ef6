#pragma once

#include <QWidget>

#include "controls/ColorTabBar.h"

// A row of tabs over one body, tabs and body in one colour. The owner switches the
// body's content itself on currentChanged; a layout set on this widget places that
// content inside the body.
class TColorTabControl : public QWidget
{
    Q_OBJECT
public:
    explicit TColorTabControl(QWidget *parent = nullptr);

    QColor tabColor() const { return m_tabColor; }
    void setTabColor(const QColor &value);
    QColor color() const { return m_color; }
    void setColor(const QColor &value);
    TTabStyle tabStyle() const { return m_bar->tabStyle(); }
    void setTabStyle(TTabStyle value);

    int addTab(const QString &text) { return m_bar->addTab(text); }
    int count() const { return m_bar->count(); }
    int currentIndex() const { return m_bar->currentIndex(); }
    void setCurrentIndex(int index) { m_bar->setCurrentIndex(index); }
    TColorTabBar *tabBar() const { return m_bar; }
    // The body below the tabs.
    QRect bodyRect() const;

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeTabs();

    TColorTabBar *m_bar;
    QColor m_tabColor;
    QColor m_color;
};
