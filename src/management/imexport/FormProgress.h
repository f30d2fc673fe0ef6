#pragma once

#include <QDialog>

#include "management/imexport/ImportRun.h"

class QLabel;
class QProgressBar;
class QPushButton;

// "お持ちください！！": the progress of reading and checking an import, with
// its キャンセル. The cancel flag belongs to one step: every Start clears it, so
// a cancelled reading does not cancel the next try at once.
class TFormProgress : public QDialog, public IImportProgress
{
    Q_OBJECT
public:
    explicit TFormProgress(QWidget *parent = nullptr);

    void Start(const QString &caption, int maximum) override;
    bool Step(int i) override;
    void Finish() override;

    bool Canceled() const { return m_canceled; }
    void BtnCancelClick();

    QLabel *LbCaption = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *BtnCancel = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    int m_maximum = 100;
    int m_percent = 0;
    bool m_canceled = false;
};
