#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// A folder edit with a browse button: the browser starts at the text and
// puts the chosen folder into it.
class TDirEdit : public QWidget
{
    Q_OBJECT
public:
    explicit TDirEdit(QWidget *parent = nullptr);
    QString text() const;
    void setText(const QString &text);
    // The browser's prompt.
    QString DialogTitle;
    QLineEdit *Edit = nullptr;
    QToolButton *BtnBrowse = nullptr;

    void browse();
};

// "新規家計簿名": the name of a new book and the folder it goes under. The
// caller sets the title label (text and colour) and the folder, shows it
// (possibly several times) and reads both edits after OK.
class TFormInputNewName : public QDialog
{
    Q_OBJECT
public:
    explicit TFormInputNewName(QWidget *parent = nullptr);

    QLabel *LbNewNameTitle = nullptr;
    QLineEdit *EditKakeiboName = nullptr;
    TDirEdit *DirEditEditKakeiboDir = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCancel = nullptr;

    void setTitle(const QString &text, const QColor &color);
};
