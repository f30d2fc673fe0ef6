#pragma once

#include <functional>
#include <memory>

#include <QDialog>

class ClientDataSet;
class DataSetModel;
class DataSource;
class Database;
class Provider;
class Query;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QWidget;

// The calendar dialog: the book's special days of one year ("DateList.db") and
// the day rules they are generated from ("DateMast.DB"). A year without days is
// generated from the rules when it is loaded; generation can be repeated with
// 休日を生成. Edits stay in the change logs of the two client data sets until
// 保存, which writes them in one transaction and rebuilds the holiday list.
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

    // Runs after every save, for the data module to note that the book changed
    // and flush its data sets. Set once by the data module.
    static std::function<void()> OnDataSaved;

    // Data sets.
    Query *DateListSql = nullptr;
    Provider *DateListPrv = nullptr;
    ClientDataSet *DateListClt = nullptr;
    Query *DayMastSql = nullptr;
    Provider *DayMastPrv = nullptr;
    ClientDataSet *DayMastClt = nullptr;

    // Controls.
    QComboBox *CbBoxYear = nullptr;
    QLabel *LbYear = nullptr;
    QPushButton *FrBtnCreateHoliday = nullptr;
    QPushButton *FrBtnDayDef = nullptr;
    QPushButton *SpBtnlClose = nullptr;
    QPushButton *BtnInsert = nullptr;   // 追加
    QPushButton *BtnPost = nullptr;     // 登録
    QPushButton *BtnCancel = nullptr;   // 取消
    QPushButton *BtnSave = nullptr;     // 保存
    QPushButton *BtnDelete = nullptr;   // 削除
    QPushButton *BtnCancelAll = nullptr; // 全取消
    QPushButton *BtnUndo = nullptr;     // 元に戻す
    QTableView *MyDBGridDateList = nullptr;
    QTableView *MyDBGridDayMast = nullptr;
    DataSetModel *DateListModel = nullptr;
    DataSetModel *DayMastModel = nullptr;
    QLabel *Label1 = nullptr;
    QWidget *PalBottom = nullptr;

    // Loads the year in the year box into the day grid; a year without rows is
    // generated from the rules.
    void LoadYear();
    // Generates CurYear's days from the stored rules into the day grid (not saved).
    void FrBtnCreateHolidayClick();
    // Saves the shown grid's changes (numbering new rows) and rebuilds the
    // holiday list.
    void Save();
    // Switches between the days and the rules, asking about pending changes
    // first; false when the user cancelled.
    bool FrBtnDayDefClick();
    // The shown grid's pending changes: nothing pending or the user's Yes (saved)
    // or No give true; Cancel gives false.
    bool CheckPendingChanges();
    // Whether the rules are shown (else the days).
    bool showingRules() const;
    // Loads the year typed or picked in the year box, saving the shown year first.
    void YearChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void buildUi();
    void setupFields();
    void saveClientRows(ClientDataSet &client, const QString &tableName);
    ClientDataSet &shownClient() const;

    Database &m_db;
    std::unique_ptr<Query> m_dateListSql, m_dayMastSql;
    std::unique_ptr<Provider> m_dateListPrv, m_dayMastPrv;
    std::unique_ptr<ClientDataSet> m_dateListClt, m_dayMastClt;
    DataSource *m_dateListSrc = nullptr;
    DataSource *m_dayMastSrc = nullptr;
    bool m_loadingYears = false;
};
