#pragma once

#include <functional>

#include <QDialog>
#include <QList>

#include "data/Holidays.h"

class Database;
class DayGridModel;
class RuleGridModel;
class QAbstractTableModel;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QWidget;

// A DateMast row with where it is stored (0: not stored yet).
struct TDayRuleRow
{
    qint64 RowId = 0;
    TDayRule Rule;
    bool Changed = false;
};

// The calendar dialog: the book's special days of one year ("DateList.db") and
// the day rules they are generated from ("DateMast.DB"). A year without days is
// generated from the rules when it is loaded; 休日を生成 generates it again over
// the shown days. Edits are held in the dialog (with undo) until 保存, which
// writes the shown grid's changes in one transaction and rebuilds the holiday
// list.
//
//     TFormCalender form(DatMod->MainDatabase);
//     form.FirstYear = 2024; form.LastYear = 2026; form.ShowYear = 2025;
//     form.exec();
class TFormCalender : public QDialog
{
    Q_OBJECT
public:
    explicit TFormCalender(Database &db, QWidget *parent = nullptr);
    ~TFormCalender() override;

    // The year box lists FirstYear - 5 to LastYear + 5 and shows ShowYear; all
    // this year after creation. CurYear is the year loaded.
    int FirstYear = 0;
    int LastYear = 0;
    int ShowYear = 0;
    int CurYear = 0;

    // Runs after every save that wrote something, for the data module to note
    // that the book changed. Set once by the data module.
    static std::function<void()> OnDataSaved;
    // Sets OnDataSaved to the data module's: the data-changed flag and the
    // table flush. The program's start-up calls it.
    static void InstallDataModuleSave();

    // Controls.
    QComboBox *CbBoxYear = nullptr;
    QLabel *LbYear = nullptr;
    QPushButton *FrBtnCreateHoliday = nullptr;
    QPushButton *FrBtnDayDef = nullptr;
    QPushButton *SpBtnlClose = nullptr;
    QPushButton *BtnInsert = nullptr;    // 追加
    QPushButton *BtnPost = nullptr;      // 登録
    QPushButton *BtnCancel = nullptr;    // 取消
    QPushButton *BtnSave = nullptr;      // 保存
    QPushButton *BtnDelete = nullptr;    // 削除
    QPushButton *BtnCancelAll = nullptr; // 全取消
    QPushButton *BtnUndo = nullptr;      // 元に戻す
    QTableView *MyDBGridDateList = nullptr; // 日付, 曜日, 名称, 種類, メモ
    QTableView *MyDBGridDayMast = nullptr;  // 名称, 年, 月, 日, 第何週, 曜日, 種類, 適用開始日, 適用終了日
    QAbstractTableModel *DateListModel = nullptr;
    QAbstractTableModel *DayMastModel = nullptr;
    QLabel *Label1 = nullptr;
    QWidget *PalBottom = nullptr;

    // The days of the loaded year and the rules, as the grids hold them.
    const QList<TDayRow> &days() const;
    const QList<TDayRuleRow> &rules() const;
    // Changes held for the shown grid (0: nothing to save).
    int changeCount() const;

    // Loads the year in the year box into the day grid; a year without rows is
    // generated from the rules.
    void LoadYear();
    // Generates CurYear's days from the stored rules into the day grid; rows of
    // the user's own stay beside the generated ones (WriteDayRow).
    void FrBtnCreateHolidayClick();
    // Saves the shown grid's changes (numbering new rows) in one transaction and
    // rebuilds the holiday list.
    void Save();
    // Switches between the days and the rules, asking about pending changes
    // first; false when the user cancelled.
    bool FrBtnDayDefClick();
    // Pending changes of the shown grid: none, or the user's Yes (saved) or No,
    // give true; Cancel gives false.
    bool CheckPendingChanges();
    bool showingRules() const;
    // Saves the shown year and loads the one now in the year box.
    void YearChanged();

    // The grid actions on the shown grid.
    void InsertRow();           // 追加: a blank row (a new rule is of kind 1)
    void DeleteRow();           // 削除, unless Cancel to the question
    void CancelAll();           // 全取消
    void Undo();                // 元に戻す

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void buildUi();
    void saveDays();
    void saveRules();
    void loadRules();
    QTableView *shownGrid() const;

    Database &m_db;
    DayGridModel *m_days = nullptr;
    RuleGridModel *m_rules = nullptr;
    bool m_loadingYears = false;
};

// The one calendar dialog while it exists (callers make it when this is null);
// cleared when it is destroyed.
extern TFormCalender *FormCalender;
