#pragma once

#include <QDialog>

class QCheckBox;
class QDateEdit;
class TColorBtn;

// "データロック設定": the book's lock date. Journal lines dated on or before it
// can no longer be edited in the entry pages.
class TFormLockDate : public QDialog
{
    Q_OBJECT
public:
    explicit TFormLockDate(QWidget *parent = nullptr);
    ~TFormLockDate() override;

    QCheckBox *CBLockDate = nullptr;
    QDateEdit *DTPLockDate = nullptr;
    TColorBtn *ShapeBtnOK = nullptr;
    TColorBtn *ShapeBtnCancel = nullptr;

    void CBLockDateClick();
    // Stores the lock date (settings file first, then the program's copies)
    // and closes with OK; a failed write keeps the dialog and the old lock.
    void ShapeBtnOKClick();
};

extern TFormLockDate *FormLockDate;
