#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class TBackUp;

// Backs up the open book into FileName. The book's data is closed first (the
// data password kept) and stays closed: reopening is the caller's. The archive
// carries the name of the book being backed up. Unless noMessage, success says
// "終了しました。" and remembers the file as the last backup. A file error is
// shown and gives false.
bool BackUpBook(const QString &fileName, bool noMessage);

// "バックアップ" / "バックアップファイルの復元": backs up the open book to an
// archive, or restores an archive into a registered or a new book. A restore
// that replaces a book first copies its folder beside it (the safety copy),
// and copies it back when the restore fails. Both modes leave a book open
// afterwards when one can be opened.
class TFormBackUp : public QDialog
{
    Q_OBJECT
public:
    explicit TFormBackUp(QWidget *parent = nullptr);
    ~TFormBackUp() override;

    bool BackUpMode = true;
    bool RestoredToNewFolder = false;
    QString SafetyCopyFolder;
    QString FormerFileName;

    QLineEdit *LbEditFileName = nullptr;
    QPushButton *ClrBtnDir = nullptr;
    QPushButton *ClrBtnExecute = nullptr;
    QPushButton *BtnCancel = nullptr;
    TBackUp *FileBackUp = nullptr;

    // Caption and file name by mode, then the modal run (or the test's queue).
    int showModal();
    // Prepares the form as showing it does.
    void FormShow();

    void ClrBtnDirClick();
    // Runs the backup or the restore by mode, then closes the form.
    void ClrBtnExecuteClick();
    bool DoBackUp();
    bool DoRestore();

    // Where a restore goes, asked before anything is written.
    void FileBackUpBeforeWriteRestore(const QString &backUpId, QString &dataName, bool &canContinue);
    // Asks a new name and makes its folder under the place of new books.
    bool MakeRestoreFolder(QString &dataName);
    // The new name of a restored book: not registered, no folder of that name
    // under the place of new books, usable as a folder name.
    static bool AskRestoreBookName(QString &name);
};
