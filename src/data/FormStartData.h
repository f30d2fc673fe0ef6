#pragma once

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QPushButton;

// "新規家計簿の開始": at the first start, the choice between a new book and
// reading the first version's data. Ends with OK only with a choice made.
class TFormStartData : public QDialog
{
    Q_OBJECT
public:
    explicit TFormStartData(QWidget *parent = nullptr);

    // The caller's answer: true for a new book, false for the first version's data.
    bool *NewBookChosen = nullptr;

    QGroupBox *RGSelect = nullptr;
    QButtonGroup *Choices = nullptr;
    QPushButton *BtnExecute = nullptr;
    QPushButton *BtnCancel = nullptr;

    // 0 new book, 1 first-version data, -1 none.
    int itemIndex() const;
    void setItemIndex(int index);
    void BtnExecuteClick();
};
