#pragma once

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QRadioButton;
class TColorBtn;

// "締め月の設定": the month in which the book's fiscal year closes and which
// calendar year names a fiscal year.
class TFormSimeTukiSet : public QDialog
{
    Q_OBJECT
public:
    explicit TFormSimeTukiSet(QWidget *parent = nullptr);
    ~TFormSimeTukiSet() override;

    QComboBox *ComboBox1 = nullptr;     // item = closing month - 1
    QGroupBox *RadioGroup1 = nullptr;   // "年度の表示方法"
    QRadioButton *RbStartYear = nullptr; // "年初の年を使う。" (shift -1)
    QRadioButton *RbEndYear = nullptr;   // "年度末の年を使う。" (shift 0)
    TColorBtn *ShapeBtnOK = nullptr;
    TColorBtn *ShapeBtnCancel = nullptr;

    void ComboBox1Change();
    // Stores the closing month and the fiscal-year shift, then closes with OK.
    void ShapeBtnOKClick();
};

extern TFormSimeTukiSet *FormSimeTukiSet;
