#pragma once

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QTableWidget;
class TImportRun;

// "消費税設定": the tax treatment of each expense category of an import, and
// the item words that make a line 対象外.
class TFormZei : public QDialog
{
    Q_OBJECT
public:
    TFormZei(TImportRun &run, QWidget *parent = nullptr);
    // Shows the dialog; on OK the entries and the run's keywords take its values.
    static bool Ask(TImportRun &run);

    QTableWidget *VlLstZei = nullptr;
    QCheckBox *ChkBoxSyohizei = nullptr;
    QCheckBox *ChkBoxZei = nullptr;
    QPlainTextEdit *MemoKeyWord = nullptr;
    void BtnOKClick();

private:
    TImportRun &m_run;
    QList<int> m_entries;
};
