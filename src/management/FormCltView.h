#pragma once

#include <QWidget>

class QTableView;
class QTableWidget;
class QStatusBar;
class TMeisaiClientDataSet;

// "デバッグ": a diagnostic window behind an access code on the management page.
// It shows the page state of the two journal data sets (refreshed each time the
// window is activated) and their rows live.
class TFormCltView : public QWidget
{
    Q_OBJECT
public:
    explicit TFormCltView(QWidget *parent = nullptr);
    ~TFormCltView() override;

    QTableWidget *ValueListEditor1 = nullptr; // MeisaiClt
    QTableWidget *ValueListEditor2 = nullptr; // ReceiptClt
    QTableView *DBGrid1 = nullptr;
    QTableView *DBGrid2 = nullptr;
    QStatusBar *StatusBar1 = nullptr;

    // Fills both value lists from the data sets' page state.
    void RefreshValues();

protected:
    bool event(QEvent *event) override;

private:
    static void fill(QTableWidget *list, const TMeisaiClientDataSet *ds);
};

extern TFormCltView *FormCltView;
