#pragma once

#include <QRect>
#include <QWidget>

#include "data/TextFile.h"

class QAction;
class QMenuBar;
class QPlainTextEdit;

// The book's notepad "メモ帳": free text kept in "MemoRandum.txt" in the book's
// folder, written when the window closes.
class TFormMemoRandum : public QWidget
{
    Q_OBJECT
public:
    explicit TFormMemoRandum(QWidget *owner = nullptr);
    ~TFormMemoRandum() override;

    // The book's notepad file.
    static QString MemoFilePath();
    // 開く and 名前を付けて保存 with a chosen path (the book's file is not touched).
    bool OpenFile(const QString &path);
    bool SaveFileAs(const QString &path);
    // Writes the text to the book's file; false after telling the user.
    bool SaveToBook(QString *message = nullptr);
    void ChooseFont();
    void SavePlacement();

    QPlainTextEdit *Memo1 = nullptr;
    QMenuBar *MenuBar = nullptr;
    QAction *EditCut1 = nullptr;
    QAction *EditCopy1 = nullptr;
    QAction *EditPaste1 = nullptr;
    QAction *EditSelectAll1 = nullptr;
    QAction *EditUndo1 = nullptr;
    QAction *EditDelete1 = nullptr;
    QAction *FontEdit1 = nullptr;
    QAction *FileOpen1 = nullptr;
    QAction *FileSaveAs1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    TextEncoding m_encoding = TextEncoding::Utf8;
    QRect m_normal;
    bool m_placing = false;
    void applyFont();
    void restorePlacement();
    void rememberNormal();
};
