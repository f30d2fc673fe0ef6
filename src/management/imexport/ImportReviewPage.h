#pragma once

#include <QWidget>

#include "management/imexport/ImportRun.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTableView;
class TImportRowsModel;

// The review step of the import window: the rows read or converted in a grid,
// their problem list beside it, and the buttons that go on or back.
class TImportReviewPage : public QWidget
{
    Q_OBJECT
public:
    TImportReviewPage(TImportRun &run, QWidget *parent = nullptr);

    QLabel *BvLbTitle = nullptr;
    QLabel *LbInfo = nullptr;
    QTableView *DBGrid1 = nullptr;
    QLabel *LbRecCount = nullptr;
    QListWidget *Memo1 = nullptr;
    QPushButton *ClrBtnSaveSettei = nullptr;
    QPushButton *ClrBtnExcangeList = nullptr;
    QPushButton *BtnSave = nullptr;
    QPushButton *BtnCancel = nullptr;
    TImportRowsModel *Model = nullptr;

    // Shows rows with their fields and problem list; errors turn the label red.
    void Show(const QString &title, const QList<TImportRow> *rows, const QList<int> &fields, bool converted,
              const QList<TImportProblem> &problems, const QString &goodText);
    // Moves the grid to the row of the problem line clicked.
    void GoToProblem(int line);

private:
    TImportRun &m_run;
    QList<TImportProblem> m_problems;
};
