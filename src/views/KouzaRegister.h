#pragma once

#include <cstdint>

#include <QAbstractTableModel>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include "platform/db/Currency.h"

class Database;

// One line of the passbook register with its running balance.
struct TRegisterRow
{
    int32_t DataNo = 0;
    QDate RecDate;
    Currency Kingaku;
    int32_t KariCode = 0, KasiCode = 0;
    int32_t HinmeiCode = 0, ShopCode = 0, PersonCode = 0;
    int16_t ZeiAtukai = 0;
    bool Reserved = false;
    bool FirstOfDate = false;
    bool LastOfDate = false;
    uint8_t Direction = 0; // 1 in, 2 out, 0 and 3 neither
    Currency Balance;      // after the line
};

// One day of the balance chart.
struct TChartDay
{
    QDate Day;
    Currency Balance;
    bool HasValue = false;
};

// What a register shows: its subject's lines over a period.
struct TRegisterSubject
{
    enum Kind { Item, Codes, NetWorth, YearResult };
    Kind kind = Item;
    QDate start, end;
    // The codes whose side decides a line's direction (item and class subjects).
    QList<int> registerCodes;
    // The codes the lines are chosen by; empty for net worth (every line).
    QList<int> filterCodes;
    bool growsOnDebit = true;
    Currency startBalance;
    bool includeReserved = false;
    QString conditionSql;
};

// The passbook register: the lines of one subject in date order, each with
// the amount on the 入金 or 出金 side and the balance after it. The lines are
// read once through the journal's date index, and the balances are worked out
// in the same pass. Names come from the category caches and from the name
// maps loaded by LoadNames (refreshed when the page is shown).
class TKouzaRegister : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { ColDate, ColKari, ColKasi, ColHinmei, ColZei, ColKariGaku, ColKasiGaku, ColZanGaku, ColShop,
                  ColPerson, ColumnCount };
    static const char *const FieldNames[ColumnCount];

    explicit TKouzaRegister(QObject *parent = nullptr);

    // Item, shop and person names of the book.
    void LoadNames(Database &db);

    // Reads the subject's lines (and the journal's sentinel line, DATANO 0)
    // and computes the balances. Engine errors propagate and leave the
    // register closed.
    void Open(Database &db, const TRegisterSubject &subject);
    void Close();
    bool IsOpen() const { return m_open; }

    const QList<TRegisterRow> &Rows() const { return m_rows; }
    const TRegisterSubject &Subject() const { return m_subject; }
    Currency NyukinTotal() const { return m_nyukin; }
    Currency SyukkinTotal() const { return m_syukkin; }
    // 差額 and 残額 of the totals bar, in the subject's own direction.
    Currency Difference() const;
    Currency EndBalance() const;

    // The last row dated on or before the date; the first row when every row
    // is later; -1 for an empty register.
    int RowOnOrBefore(const QDate &date) const;
    // The last row dated on or before the day (searched from the end); -1 when none.
    int LastRowOnOrBefore(const QDate &day) const;
    // One point per day from the day before the period to its end, each the
    // balance at the end of that day.
    QList<TChartDay> ChartDays() const;

    QString KariName(int row) const;
    QString KasiName(int row) const;
    QString HinmeiName(int code) const { return m_hinmei.value(code); }
    QString ShopName(int code) const { return m_shop.value(code); }
    QString PersonName(int code) const { return m_person.value(code); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    uint8_t directionOf(int kari, int kasi) const;

    QList<TRegisterRow> m_rows;
    TRegisterSubject m_subject;
    Currency m_nyukin, m_syukkin;
    bool m_open = false;
    QHash<int, QString> m_hinmei, m_shop, m_person;
};
