#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include "platform/db/Currency.h"

class Database;

// One field of a condition panel: the text the user chose or typed, and the
// code of the chosen list entry when the text is that entry's (0 otherwise).
// "すべて" and an empty text are no condition.
struct TTyuSyutuField
{
    QString text;
    int code = 0;
};

// The conditions of one result's panel (income, expense or transfers).
struct TTyuSyutuPanel
{
    TTyuSyutuField himoku;   // category (transfers: the debit account, 入金先)
    TTyuSyutuField hinmei;   // item
    TTyuSyutuField shop;
    TTyuSyutuField person;
    TTyuSyutuField kouza;    // account (transfers: the credit account, 出金元)
    bool pickUp = true;      // 選ぶ; false: 除く
};

// The switches the three results share.
struct TTyuSyutuOptions
{
    QDate start;
    QDate end;
    bool startChecked = true;
    bool endChecked = true;
    int next = 0;            // 次の抽出は: 0 新規に始める, 1 結果に加える, 2 結果を絞り込む
    int like = 0;            // あいまい抽出 of income and expense: 0 しない, 1 ～から始まる, 2 ～を含む
    int likeKouza = 0;       // the same for transfers
    bool includeReserved = false;
    bool quantity = false;   // 単価換算を行う
    int quantityUnit = 0;    // 0 1単位あたり, 1 100単位あたり
    bool takane = false;     // 高値安値検索 (statistics)
    bool byShop = false;     // 店名で分類
};

// What the page keeps per result.
struct TTyuSyutuResult
{
    QStringList baseConditions;     // the conditions of the last extraction run
    QStringList workConditions;     // base combined with the panel: the next query's
    QString sortColumn = QStringLiteral("RECDATE");
    QString orderExpression = QStringLiteral("RECDATE");
    bool descending = false;
    QStringList sql;                // the result's SQL text, one line per entry
    Currency total;
    int dataNo = -1;                // the line to come back to, -1 for none
};

// The extraction page's SQL: the condition lines of the panels, their
// combination with the previous extraction (new, add, narrow), the list and
// statistics queries and the totals query, in the book's local-SQL dialect.
//
// The journal is read as J and every one of its columns is qualified, because
// sorting by a name joins a master table as M, and the item master has a
// QUANTITY column of its own. Nothing the user types reaches the text as SQL:
// a name is looked up with a bound parameter and written as its code, and a
// fuzzy name goes through the LIKE escaping (quotes doubled, "%", "_" and "^"
// escaped), so a name with a quote or a semicolon finds that name.
class TTyuSyutuSql
{
public:
    enum Result { Iri = 0, Deru = 1, Kouza = 2 };

    explicit TTyuSyutuSql(Database &db);

    Database &database() const { return m_db; }

    TTyuSyutuOptions Options;
    TTyuSyutuPanel Panels[3];
    TTyuSyutuResult Results[3];
    int Mode = 1;   // 1 収支 (income and expense), 0 振替 (transfers)

    // The results of the current mode: income and expense, or transfers.
    QList<int> ModeResults() const;

    // Rebuilds the working conditions of the mode's results (unless keep) and
    // writes their SQL texts: the statistics query with 高値安値検索, else the list query.
    void BuildSql(bool keepConditions);
    void BuildConditions(int result);
    // The panel's own condition lines: the period, then the field conditions
    // in parentheses (NOT for 除く).
    QStringList BuildPanelConditions(int result) const;
    // working combined with the new lines by 次の抽出は.
    static void MergeConditions(QStringList &working, const QStringList &newLines, int next);
    // One field condition: its code, or a fuzzy match on its master's names.
    QString AddNameCondition(const QString &field, const TTyuSyutuField &value, const QString &tableFile,
                             int like) const;
    // The code of an exact name in a master table (categories above 99, the
    // other masters above 100); -1 for a name the table does not hold.
    int MasterCode(const QString &tableFile, const QString &name) const;

    QStringList BuildDetailSql(int result) const;
    QStringList BuildStatsSql(int result) const;
    // The result's SQL text made into the sum of KINGAKU of every journal line
    // it covers (raw amounts, also when per-unit values are shown).
    QStringList BuildTotalSql(int result) const;
    // Runs the totals query of the result's text.
    Currency QueryTotal(int result) const;

    // A click on a grid column of the result: its field name orders the rows
    // when it is a value column, any other column orders by its name (M.NAME);
    // the same column again flips the direction.
    void SortBy(int result, const QString &fieldName);
    // The statistics switch: items by name, or the date, for every result.
    void ResetSort(bool statistics);
    // A run happened: the working conditions become the base.
    void Accept(int result);

    // Whether a column of that field name orders by itself (not by a name).
    static bool IsValueColumn(const QString &fieldName);
    // The fuzzy mode of a result's panel.
    int LikeMode(int result) const { return result == Kouza ? Options.likeKouza : Options.like; }
    // mm/dd/yyyy, as the dialect writes date literals.
    static QString DateLiteral(const QDate &date);

private:
    // The join of a name column: the master table and the condition.
    static bool JoinFor(const QString &sortColumn, QString &table, QString &condition);
    // Lines 3 to 8 shared by the list and the statistics query.
    void AppendWhere(QStringList &lines, int result, int kind, bool &hasCondition) const;

    Database &m_db;
};
