#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;
class QRadioButton;

// "Ver1データのインポート": the first step of reading the first version's
// data. The user names the folder that holds it; "次へ" accepts the folder
// only when it holds the eleven first-version tables.
//
// The first version's own install places were looked up in the system's
// program registry, which has no counterpart here: the folder is always
// given by the user ("その他の場所").
class TFormOldDataInport : public QDialog
{
    Q_OBJECT
public:
    explicit TFormOldDataInport(QWidget *parent = nullptr);

    QRadioButton *RdBtnOther = nullptr;
    QLineEdit *LbEditOther = nullptr;
    QPushButton *FrBtnDir = nullptr;
    QPushButton *FrBtnNext = nullptr;
    QPushButton *FrBtnCancel = nullptr;

    // The folder accepted by "次へ".
    QString Folder() const { return m_folder; }

    // "次へ": checks the folder and its eleven files, telling the user what
    // is missing; closes with OK when all are there.
    void FrBtnNextClick();
    void FrBtnDirClick();
    void updateNext();

private:
    QString m_folder;
};
