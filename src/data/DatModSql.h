#pragma once

#include <memory>

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class Database;
class Query;
class QComboBox;

// One entry of a name list: the text shown and the master code behind it (0 for
// a leading entry such as "すべて").
struct TListItem
{
    QString Text;
    int Code = 0;
};
using TListItems = QList<TListItem>;

// The query module: four local-SQL queries on the open book and the fillers of
// the category, item, shop and person lists that the pages' filters and pickers
// show, and the check that the holiday calendar of some years is set up.
//
// One instance, DatModSql, made at start-up right after the data module, on the
// data module's database (which opens and closes with the book; the queries are
// closed between uses). In a combo box each item carries its code as item data
// (Qt::UserRole), so the code of a chosen entry is combo->currentData().toInt().
//
// List kinds of the category lists (BuildHimokuSql):
//   1 income, 2 expense, 3 accounts, 6 income and expense (visible rows);
//   4 expense categories, accounts and the input categories 11, 12, 13;
//   5 as 4 with every system category (4 and 5 include hidden rows);
//   any other: sub-kind 0 every category and account, 1 expense and accounts,
//   2 income and accounts (visible rows). Ordered by BUNRUI, POS, CODE.
class TDatModSql : public QObject
{
    Q_OBJECT
public:
    explicit TDatModSql(Database &db, QObject *parent = nullptr);
    ~TDatModSql() override;

    Database &database() const { return m_db; }

    // The shared list query, rewritten by every Build*Sql; closed between uses.
    Query *ListSql = nullptr;
    // The consumption-tax rates by start date: DATANO, STARTDATE, PERCENT.
    Query *TaxSql = nullptr;
    // Category rows; its text is replaced by the users (category dialogs).
    Query *HimokuSql = nullptr;
    Query *SimebiSql = nullptr;

    // Writes the category list query of a list kind into ListSql.
    void BuildHimokuSql(int listKind, int subKind);
    // The categories of a list kind after one leading entry (skipped when empty).
    void GetHimokuList(TListItems &strings, int listKind, const QString &leadingItem, int subKind);
    // Refill a combo box with category names, or "code: name" texts; withAll puts
    // "すべて" first. The box keeps the text it showed.
    void FillHimokuCombo(QComboBox *combo, int listKind, bool withAll, int subKind);
    void FillHimokuCodeCombo(QComboBox *combo, int listKind, bool withAll, int subKind);

    // The visible first- and second-level items (shops) registered for a category
    // (himokuCode not 0), else for the visible categories of a BUNRUI (not 0),
    // else for every visible category; by name.
    void BuildHinmeiSql(int bunrui, int himokuCode);
    void FillHinmeiCombo(QComboBox *combo, int bunrui, int himokuCode, bool withAll);
    void BuildShopSql(int bunrui, int himokuCode);
    void FillShopCombo(QComboBox *combo, int bunrui, int himokuCode, bool withAll);
    // The visible persons.
    void BuildPersonSql();
    void FillPersonCombo(QComboBox *combo, bool withAll);

    // Runs ListSql: the non-empty leading items (code 0), then every row with a
    // name, as NAME or "CODE: NAME", with CODE as the code.
    void ReadListItems(TListItems &strings, const QStringList &leadingItems, bool withCode);
    // Refills a combo box from ListSql, keeping its text.
    void FillComboFromList(QComboBox *combo, const QStringList &leadingItems, bool withCode);

    // The years from firstYear to lastYear with fewer than 10 national holidays
    // in DateList. None: mrOk, nothing shown. Otherwise the missing-holiday dialog
    // lists them and its answer is returned: mrYes (set up the calendar; the year
    // to set up in chosenYear), mrIgnore (go on with weekends only), mrCancel.
    // oneYear: the dialog speaks of this year and offers no weekends-only choice.
    int CheckHolidayYears(int firstYear, int lastYear, bool oneYear, int &chosenYear);

    // The check of a book just opened: this year (year) with the one-year text,
    // and on Yes the holiday calendar dialog for the chosen year. Returns the
    // check's answer. The data module runs it after opening a book.
    int CheckBookHolidays(int year);

private:
    Database &m_db;
    std::unique_ptr<Query> m_list, m_tax, m_himoku, m_simebi;
};

// The one query module of the program (null until start-up makes it).
extern TDatModSql *DatModSql;
