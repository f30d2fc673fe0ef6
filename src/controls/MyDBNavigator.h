#pragma once

#include <functional>

#include <QPointer>
#include <QWidget>

class DataSource;
class QToolButton;

// The record navigator's moving buttons: first, prior, next and last line of
// the data set behind a data source. The buttons are enabled only where they
// can move: not back at the first line, not on at the last.
class TMyDBNavigator : public QWidget
{
    Q_OBJECT
public:
    explicit TMyDBNavigator(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const { return m_source; }

    QToolButton *BtnFirst = nullptr;
    QToolButton *BtnPrior = nullptr;
    QToolButton *BtnNext = nullptr;
    QToolButton *BtnLast = nullptr;

    // Called before a move; false keeps the line (the page's pending edit was
    // refused). May be empty.
    std::function<bool()> beforeMove;

    void updateButtons();

private:
    void move(int kind);
    QPointer<DataSource> m_source;
};
