#pragma once

#include <functional>

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include "platform/db/Currency.h"

class Database;
class Table;
class Ver1Data;
class Ver1Table;

// One old category and the account its entries use: kind 1 income or 2
// expense, the names as the user gave them, and the codes the conversion
// finds or makes for them.
struct TKouzaHenkan
{
    int kind = 0;
    int himokuCode = 0;
    int kouzaCode = 0;
    QString himokuName;
    QString kouzaName;
};
using TKouzaHenkanList = QList<TKouzaHenkan>;

// The conversion of a first version's data into a book made from the
// template: categories, accounts, tax rates, items, shops, persons, diary,
// journal and budgets. Everything is written inside one transaction on the
// book's connection, so a failure anywhere leaves the book as the template
// made it.
//
//     THenkan henkan(db, old);
//     henkan.Run(mapping);          // throws on failure
//     henkan.IriTotal, henkan.DeruTotal
class THenkan
{
public:
    THenkan(Database &db, const Ver1Data &old);

    // Before each old table is read: its file name.
    std::function<void(const QString &fileName)> OnTableStart;
    // The whole percentage of the current table done, when it changes.
    std::function<void(int percent)> OnProgress;

    void Run(TKouzaHenkanList &mapping);

    Currency IriTotal;
    Currency DeruTotal;
    QDate FirstDate; // the earliest journal date; null without journal rows

    // "State"/"TaxCalc" of the old "消費税計算": "四捨五入" 0, "切り捨て" 1,
    // anything else 2.
    static int TaxCalcOf(const QString &text);
    // The first 20 bytes of name in Shift-JIS, never splitting a character:
    // the room the first version's category names had.
    static QString CutName(const QString &name);
    // The old category list of a kind followed by the names met only in its
    // data table, each once, in first-met order.
    static QStringList HimokuNames(const Ver1Data &old, int kind, bool *hasPastOnly = nullptr);

private:
    void resetTable(const QString &sqlTable, const QString &fileName, int limit);
    void emptyTable(const QString &sqlTable);
    int findHimoku(const QString &name, int kind) const;
    int findOrAddHimoku(const QString &name, int kind, bool visible, int pos = -1);
    int findOrAddKouza(const QString &name);
    int findOrAddHinmei(const QString &name);
    int findOrAddShop(const QString &name);
    int findOrAddPerson(const QString &name);
    void progress(int done, int total);

    void convertZei();
    void convertHimoku();
    void convertMapping(TKouzaHenkanList &mapping);
    void convertHinmei();
    void convertPerson();
    void convertShop();
    void convertMemo();
    void convertMaster();
    void convertYosan();

    Database &m_db;
    const Ver1Data &m_old;
    Table *m_himoku = nullptr;
    // Name caches: (MEMO, kind) of categories with code 100 and above, names
    // of items, shops and persons above the template's rows.
    QHash<QPair<QString, int>, int> m_himokuCodes;
    QHash<QString, int> m_hinmeiCodes;
    QHash<QString, int> m_shopCodes;
    QHash<QString, int> m_personCodes;
    QHash<int, int> m_kouzaOf; // category code -> account code
    int m_nextHimoku = 101;
    int m_nextHinmei = 101;
    int m_nextShop = 101;
    int m_nextPerson = 101;
    int m_kouzaPos = 0;
    void beginTable(const Ver1Table &t);
    int m_lastPercent = -1;
};
