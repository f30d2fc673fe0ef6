#pragma once

#include <QDate>
#include <QDialog>
#include <QList>

class Database;
class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;
class TMySpeedButton;

// "締め日履歴": from which accounting month which closing day applies, for one
// category, account or page group ("SimebiList.db" rows of one code). Edits are
// held here and written together, with the code's history flag, in one
// transaction.
class TFormSimebiList : public QDialog
{
    Q_OBJECT
public:
    explicit TFormSimebiList(Database &db, QWidget *parent = nullptr);
    ~TFormSimebiList() override;

    struct Change
    {
        qint64 rowId = 0; // 0: not yet in the table
        QDate startDate;  // first day of a calendar month; null: from the beginning
        int simeBi = 31;
        bool changed = false;
    };

    // Loads the history of `code`; name and simeShift come from the caller,
    // who may hold them unsaved.
    void LoadForCode(int code, const QString &name, int simeShift);
    // Replaces the history by the two rows of a closing-day change: the old
    // day from the beginning, the new one from this month.
    void ReplaceByChange(int oldSimeBi, int newSimeBi);

    int code() const { return m_code; }
    const QList<Change> &changes() const { return m_rows; }
    bool hasChanges() const;
    // Rows of the code in the book after the dialog (what decides the flag).
    int storedCount() const;

    // The accounting-month label of a calendar month's first day, and back.
    QString monthLabel(const QDate &date) const;
    QDate monthFromLabel(int nendo, int month) const;
    // Closing day as shown and as typed: 0 or 31 "月末", -1 "なし".
    static QString simeBiText(int simeBi);
    static int simeBiFromText(const QString &text);

    QLabel *LbHimoku = nullptr;
    QLabel *Label1 = nullptr;
    QTableWidget *DBGrid1 = nullptr;
    QCheckBox *ChkFromStart = nullptr;
    QSpinBox *EditNendo = nullptr;
    QSpinBox *EditMonth = nullptr;
    QComboBox *CmbSimeBi = nullptr;
    TMySpeedButton *BtnSave = nullptr;    // 保存
    TMySpeedButton *BtnPost = nullptr;    // 登録
    TMySpeedButton *BtnAppend = nullptr;  // 追加
    TMySpeedButton *BtnInsert = nullptr;  // 挿入
    TMySpeedButton *BtnCancel = nullptr;  // 取消
    TMySpeedButton *BtnDelete = nullptr;  // 削除
    TMySpeedButton *BtnCancelAll = nullptr; // 全取消

    void Append();
    // A new row in front of the current one; it stays on that line until it is
    // posted, then takes its place among the start months.
    void Insert();
    void PostEdit();
    void DeleteRow();
    void CancelAll();
    // Checks for two rows of one start month, numbers new rows and writes
    // everything; false (the reason shown) keeps every change pending.
    bool Save();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void load();
    void fillGrid(bool sort = true);
    void showRow(int row);
    Database &m_db;
    int m_code = -1;
    int m_simeShift = 0;
    bool m_loading = false;
    bool m_editDirty = false;
    QList<Change> m_rows;
    QList<qint64> m_deleted;
};

extern TFormSimebiList *FormSimebiList;
