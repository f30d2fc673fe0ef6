#pragma once

#include <QDialog>

class QButtonGroup;
class QLabel;

// "税扱いの設定": what a tax word read from a file stands for.
class TFormZeiSelect : public QDialog
{
    Q_OBJECT
public:
    explicit TFormZeiSelect(const QString &text, QWidget *parent = nullptr);
    // True with the treatment (0 対象外, 1 税込, 2 税抜) on OK.
    static bool Ask(const QString &text, int &treatment);

    QLabel *LbText = nullptr;
    QButtonGroup *RdGrpZei = nullptr;
    bool BtnOKClick();
};
