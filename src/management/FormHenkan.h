#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

// "データ変換": makes a new book from the template and fills it from a first
// version's data folder (see THenkan). The opener sets OldFolder and the name
// in BvlLbNewName; "開始" runs the conversion once and ends the dialog with
// OK (converted, registered, current and open in the data module), No
// (failed or refused) or Cancel ("キャンセル").
//
// A failed or refused conversion leaves nothing behind: the half-made book is
// closed and its folder removed (a book that was in the way is put back), the
// per-user "Current" is as before, and the user is told why.
class TFormHenkan : public QDialog
{
    Q_OBJECT
public:
    explicit TFormHenkan(QWidget *parent = nullptr);

    QString OldFolder;
    // The folder new books go under ("CurrentFolders"/"DataPlace").
    QString DataPlace;

    QLabel *BvlLbOldFolder = nullptr;
    QLabel *BvlLbNewFolder = nullptr;
    QLabel *BvlLbNewName = nullptr;
    QPushButton *FrBtnDir = nullptr;
    QPushButton *FrBtnExec = nullptr;
    QPushButton *FrBtnCancel = nullptr;
    QWidget *PnlState = nullptr;
    QLabel *BvLbName = nullptr;
    QProgressBar *ProgressBar1 = nullptr;

    // The new book's folder: the place followed by the name.
    QString NewFolder() const;

    // Shows the folders (the opener calls it after setting the inputs).
    void FormShow();
    void FrBtnDirClick();
    // "開始": the whole conversion; ends the dialog with its result.
    void FrBtnExecClick();
    // The conversion itself: mrOk or mrNo.
    int Execute();
};
