#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QWidget;
class Table;

// Gives an empty journal table of the book's layout back its row 0, as
// BookSchema::journalRowZero defines it. The record number is kept as given
// while it is posted.
void InsertZeroDataRow(Table &table);

// "家計簿の新規作成": the new-book wizard. Three pages: the base folder of the
// books (first start), the choice between a new book and a copy of another,
// and the copy's source and option. The book is made by restoring the
// template; a copy is the source folder's files with some tables emptied.
// Either way the new book is registered, made current and the data module
// pointed at it; opening it (LoginAndOpen) is the caller's.
class TFormNewData : public QDialog
{
    Q_OBJECT
public:
    enum CopyOption { CopyAll = 0, CopySettingsAndCards = 1, CopySettingsOnly = 2 };

    explicit TFormNewData(QWidget *parent = nullptr);

    QString NewBookName;
    QStringList BookList; // name=folder lines of "DataFolders"

    QStackedWidget *JvPageControl1 = nullptr;
    // Base folder page.
    QWidget *TabSelectDir = nullptr;
    QRadioButton *ActSenyouDir = nullptr;
    QRadioButton *ActMyDocument = nullptr;
    QLineEdit *EditSenyoDir = nullptr;
    QLineEdit *EditMyDocument = nullptr;
    QPushButton *BtnSenyoDir = nullptr;
    QPushButton *BtnMyDocument = nullptr;
    QLabel *LbComment = nullptr;
    QPushButton *ActiOK = nullptr;
    // Choice page.
    QWidget *TabSelectData = nullptr;
    QPushButton *FrBtnCreateNew = nullptr;
    QPushButton *FrBtnCopy = nullptr;
    // Copy page.
    QWidget *TabCopy = nullptr;
    QListWidget *ListBox1 = nullptr;
    QLineEdit *LbEditDir = nullptr;
    QGroupBox *RdGrpCopyItem = nullptr;
    QButtonGroup *CopyItems = nullptr;
    QPushButton *ShpCopyExec = nullptr;

    // The two base folders offered at the first start.
    static QString dedicatedFolder();
    static QString myDocumentsFolder();

    // First start: asks the base folder of new books and stores it in
    // "CurrentFolders"/"DataPlace"; false when cancelled.
    bool SelectBaseFolder();
    // Makes a new book from the template under a name and place asked of the
    // user; true when it was made, registered and pointed at.
    bool CreateNewBook();
    // Shows the choice page (the management page's entry); mrOk when a book
    // was made or copied.
    int ShowChoicePage();
    // Copies the book the data module is pointed at into a new book, emptying
    // tables by the chosen option; true when the copy is registered.
    bool CopyBook();

    // Name and place of a new book, asked until the name is free and usable.
    bool AskNewBookNameAndPlace(QString &name, QString &place);
    // The same, and the book's folder made under the place.
    bool AskNewBookFolder(QString &name, QString &folder);

    // Handlers of the pages' buttons (tests call them as the user would click).
    void ActiOKExecute();
    void FrBtnCreateNewClick();
    void FrBtnCopyClick();
    void ShpCopyExecClick();
    void FillBookList();
    void ListBox1Click();
    int copyOption() const;
    void setCopyOption(int option);

private:
    void updateBaseFolderPage();
    int m_lastIndex = -1;
};
