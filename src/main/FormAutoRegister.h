#pragma once

#include <functional>

#include <QDate>
#include <QDialog>
#include <QString>

class DataSource;
class QLabel;
class TDataSetCancel;
class TDataSetCancelUpdates;
class TDataSetConfirmDelete;
class TDataSetPost;
class TMyDBGrid;
class TShapeBtn;
class Field;

// "自動記帳": the scheduled journal lines whose date has come, offered for
// booking when the program starts with a book open. Every line starts as
// "記入する"; the user may set lines back to "記入しない", correct or delete
// them, then saves (the lines become ordinary journal lines) or leaves
// without saving (everything stays scheduled and is offered again).
//
// Works on the shared journal lines (DatMod's MeisaiClt) in entry style 5,
// which refuses new lines, and saves through the journal save.
class TFormAutoRegister : public QDialog
{
    Q_OBJECT
public:
    explicit TFormAutoRegister(QWidget *parent = nullptr);
    ~TFormAutoRegister() override;

    // Collects the due lines (dated today or earlier, after the lock date)
    // into the journal lines and sets each to be booked; the number of lines.
    int LoadDueEntries(const QDate &today);

    // "保存": the journal save; closes when it succeeded.
    void Save();
    // "全取消": every line back to its stored state (scheduled).
    void CancelAll();

    QLabel *LbTitle = nullptr;
    TMyDBGrid *MyDbGridMeisai = nullptr;
    TShapeBtn *BtnSave = nullptr;     // 保存
    TShapeBtn *ShapeBtn2 = nullptr;   // 保存しない
    TShapeBtn *BtnPost = nullptr;     // 登録
    TShapeBtn *BtnDelete = nullptr;   // 削除
    TShapeBtn *BtnCancel = nullptr;   // 取消
    TShapeBtn *BtnCancelAll = nullptr; // 全取消

    // The texts RESERVED shows while the dialog is open.
    static const QString BookText;    // "記入する" (RESERVED False)
    static const QString KeepText;    // "記入しない" (RESERVED True)

protected:
    void done(int result) override;

private:
    void bindReservedTexts();
    void restoreReservedTexts();
    void detach();
    void updateButtons();

    DataSource *MeisaiCltSrc = nullptr;
    bool m_textsBound = false;
    std::function<void(Field &, QString &, bool)> m_oldGetText;
    std::function<void(Field &, const QString &)> m_oldSetText;
    bool m_detached = false;
};

// What the main window runs after a book was opened at start-up: tells of
// scheduled lines the lock date keeps back, then offers the due lines.
void OfferDueReservations(QWidget *owner);
