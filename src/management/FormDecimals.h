#pragma once

#include <QDialog>

class QGroupBox;
class QRadioButton;
class TFrameBtn;

// "小数点以下の表示": how many decimals the open book's amounts show (0, or 2
// for foreign currencies such as the dollar).
class TFormDecimals : public QDialog
{
    Q_OBJECT
public:
    explicit TFormDecimals(QWidget *parent = nullptr);
    ~TFormDecimals() override;

    QGroupBox *RdGrpDecimals = nullptr;
    QRadioButton *RbZero = nullptr;
    QRadioButton *RbTwo = nullptr;
    TFrameBtn *FrBtnOK = nullptr;
    TFrameBtn *FrameBtn1 = nullptr; // キャンセル

    // Stores the choice and makes it the program's at once; closes with OK.
    void FrBtnOKClick();
};

extern TFormDecimals *FormDecimals;
