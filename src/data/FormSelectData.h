#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

// "家計簿を選択": the book chooser. Opens the chosen book itself (the data
// module's StartupCancelled is cleared then); in its detailed layout it also
// relocates, adds, renames and unlists books. Made by the start-up with
// Standalone true, or by the management page.
class TFormSelectData : public QDialog
{
    Q_OBJECT
public:
    explicit TFormSelectData(QWidget *parent = nullptr, bool standalone = false);

    QStringList BookList; // name=folder lines
    bool DetailMode = false;
    bool Standalone = false;

    QListWidget *ListBox1 = nullptr;
    QWidget *PnlSimple = nullptr;
    QPushButton *ShpSimpleOpen = nullptr;
    QPushButton *ShpBtnSyousai = nullptr;
    QWidget *PnlEdit = nullptr;
    QLineEdit *LbEditDir = nullptr;
    QPushButton *FrBtnDir = nullptr;
    QPushButton *FrBtnAddList = nullptr;
    QPushButton *FrBtnName = nullptr;
    QPushButton *FrBtnDelete = nullptr;
    QPushButton *FrBtnOpen = nullptr;
    QPushButton *FrBtnCancel = nullptr;
    QPushButton *FrBtnHelp = nullptr;
    QLabel *StatusCaption = nullptr; // "現在のデータ"
    QLabel *StatusBook = nullptr;    // the current book's name

    // Shows the form modally (or to the test's queue) after filling the list.
    int showModal();

    void SetDetailMode(bool detail);
    void FillBookList();
    void SelectBook(int index);
    QString selectedName() const;

    // The buttons' work; tests call these as the user would click.
    // "開く": true when the book opened (the form then closes with OK).
    bool ActionOpenExecute();
    void SelectFolder();
    void AddList();
    void RenameBook();
    void ActionDeleteExecute();
    void CancelClick();

private:
    void updateActions();
    int m_lastIndex = -1;
};
