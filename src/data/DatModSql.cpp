#include "data/DatModSql.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "data/FormCalender.h"
#include "data/FormNonHoliday.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"
#include "platform/db/Query.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

using namespace Qt::StringLiterals;

TDatModSql *DatModSql = nullptr;

namespace {

// A year counts as set up from this many national holidays on; a year that the
// rules generated has at least 15, a year only partly typed in has fewer.
constexpr int kMinHolidaysPerYear = 10;

const QString kAll = u"すべて"_s;

// The lines of the item and shop queries: names of the masters' rows that are a
// first or second level of a list row of the chosen categories.
void buildMasterListSql(Query &q, const QString &master, const QString &list, int bunrui, int himokuCode)
{
    QStringList sub;
    if (himokuCode != 0) {
        sub << u"            FROM \"%1\" L"_s.arg(list)
            << u"     WHERE (L.VISIBLE = TRUE) AND (L.HIMOKUCODE = %1)))"_s.arg(himokuCode);
    } else if (bunrui != 0) {
        sub << u"            FROM \"%1\" L, \"Himoku.db\" H"_s.arg(list)
            << u"            WHERE (L.VISIBLE = TRUE) AND (L.HIMOKUCODE = H.CODE)"_s
            << u"            AND (H.VISIBLE = TRUE) AND (H.BUNRUI = %1)))"_s.arg(bunrui);
    } else {
        sub << u"            FROM \"%1\" L, \"Himoku.db\" H"_s.arg(list)
            << u"            WHERE (L.VISIBLE = TRUE) AND (L.HIMOKUCODE = H.CODE) AND (H.VISIBLE = TRUE)))"_s;
    }
    q.close();
    q.SQL.clear();
    q.SQL << u"SELECT DISTINCT M.NAME ,M.CODE"_s << u"FROM \"%1\" M"_s.arg(master) << u"WHERE"_s
          << u"(M.CODE IN (SELECT L.OYACODE"_s << sub << u"OR"_s << u"(M.CODE IN (SELECT L.KOCODE"_s << sub
          << u"ORDER BY M.NAME"_s;
}

} // namespace

TDatModSql::TDatModSql(Database &db, QObject *parent)
    : QObject(parent), m_db(db), m_list(std::make_unique<Query>(db)), m_tax(std::make_unique<Query>(db)),
      m_himoku(std::make_unique<Query>(db)), m_simebi(std::make_unique<Query>(db))
{
    ListSql = m_list.get();
    TaxSql = m_tax.get();
    HimokuSql = m_himoku.get();
    SimebiSql = m_simebi.get();
    ListSql->setName(u"ListSql"_s);
    TaxSql->setName(u"TaxSql"_s);
    HimokuSql->setName(u"HimokuSql"_s);
    SimebiSql->setName(u"SimebiSql"_s);

    ListSql->SQL << u"SELECT DISTINCT d1.NAME"_s << u"FROM \"HinmeiList.db\" d, \"HinmeiMast.db\" d1"_s
                 << u"WHERE"_s << u"(d1.CODE = d.HINMEICODE)"_s << u"ORDER BY d1.NAME"_s;
    TaxSql->SQL << u"SELECT * "_s << u"FROM ZeiList.db"_s << u"ORDER BY STARTDATE"_s;
    const QStringList himoku = {u"SELECT *"_s, u"FROM Himoku.db"_s, u"WHERE (VISIBLE = TRUE)"_s,
                                u"     AND ((TOKUBETU = FALSE) OR (TOKUBETU IS NULL))"_s, u"ORDER BY POS"_s};
    HimokuSql->SQL = himoku;
    SimebiSql->SQL = himoku;
}

TDatModSql::~TDatModSql()
{
    ListSql->close();
    TaxSql->close();
    if (DatModSql == this)
        DatModSql = nullptr;
}

void TDatModSql::BuildHimokuSql(int listKind, int subKind)
{
    Query &q = *ListSql;
    q.close();
    q.SQL.clear();
    q.SQL << u"SELECT DISTINCT POS,NAME,CODE,BUNRUI"_s << u"FROM \"Himoku.db\""_s << u"WHERE"_s;
    switch (listKind) {
    case 1: q.SQL << u"(BUNRUI = %1) AND"_s.arg(1); break;
    case 2: q.SQL << u"(BUNRUI = %1) AND"_s.arg(2); break;
    case 3: q.SQL << u"(BUNRUI > %1) AND"_s.arg(2); break;
    case 4:
        q.SQL << u"("_s << u"(BUNRUI > %1) OR"_s.arg(1);
        for (int code : {11, 12})
            q.SQL << u"(CODE = %1) OR"_s.arg(code);
        q.SQL << u"(CODE = %1)"_s.arg(13) << u")"_s;
        break;
    case 5:
        q.SQL << u"("_s << u"(BUNRUI > %1) OR"_s.arg(1);
        for (int code : {1, 2, 3, 11, 12, 13, 99})
            q.SQL << u"(CODE = %1) OR"_s.arg(code);
        q.SQL << u"(CODE = %1)"_s.arg(100) << u")"_s;
        break;
    case 6: q.SQL << u"( (BUNRUI = %1) OR (BUNRUI = %2) ) AND"_s.arg(1).arg(2); break;
    default:
        if (subKind == 0)
            q.SQL << u"(BUNRUI >= %1) AND"_s.arg(1);
        else if (subKind == 1)
            q.SQL << u"((BUNRUI = %1) OR (BUNRUI > %2)) AND"_s.arg(2).arg(2);
        else if (subKind == 2)
            q.SQL << u"((BUNRUI = %1) OR (BUNRUI > %2)) AND"_s.arg(1).arg(2);
        break;
    }
    if (listKind != 4 && listKind != 5)
        q.SQL << u" (VISIBLE = TRUE)"_s;
    q.SQL << u" ORDER BY BUNRUI,POS,CODE"_s;
}

void TDatModSql::GetHimokuList(TListItems &strings, int listKind, const QString &leadingItem, int subKind)
{
    WaitCursor wait;
    BuildHimokuSql(listKind, subKind);
    ReadListItems(strings, {leadingItem}, false);
}

void TDatModSql::FillHimokuCombo(QComboBox *combo, int listKind, bool withAll, int subKind)
{
    WaitCursor wait;
    BuildHimokuSql(listKind, subKind);
    FillComboFromList(combo, withAll ? QStringList{kAll} : QStringList(), false);
}

void TDatModSql::FillHimokuCodeCombo(QComboBox *combo, int listKind, bool withAll, int subKind)
{
    WaitCursor wait;
    BuildHimokuSql(listKind, subKind);
    FillComboFromList(combo, withAll ? QStringList{kAll} : QStringList(), true);
}

void TDatModSql::BuildHinmeiSql(int bunrui, int himokuCode)
{
    buildMasterListSql(*ListSql, u"HinmeiMast.db"_s, u"HinmeiList.db"_s, bunrui, himokuCode);
}

void TDatModSql::FillHinmeiCombo(QComboBox *combo, int bunrui, int himokuCode, bool withAll)
{
    WaitCursor wait;
    BuildHinmeiSql(bunrui, himokuCode);
    FillComboFromList(combo, withAll ? QStringList{kAll} : QStringList(), false);
}

void TDatModSql::BuildShopSql(int bunrui, int himokuCode)
{
    buildMasterListSql(*ListSql, u"ShopMast.db"_s, u"ShopList.db"_s, bunrui, himokuCode);
}

void TDatModSql::FillShopCombo(QComboBox *combo, int bunrui, int himokuCode, bool withAll)
{
    WaitCursor wait;
    BuildShopSql(bunrui, himokuCode);
    FillComboFromList(combo, withAll ? QStringList{kAll} : QStringList(), false);
}

void TDatModSql::BuildPersonSql()
{
    Query &q = *ListSql;
    q.close();
    q.SQL.clear();
    q.SQL << u"SELECT DISTINCT d.CODE, d.NAME"_s << u"FROM \"Person.db\" d"_s << u"WHERE d.VISIBLE = TRUE"_s;
}

void TDatModSql::FillPersonCombo(QComboBox *combo, bool withAll)
{
    WaitCursor wait;
    BuildPersonSql();
    FillComboFromList(combo, withAll ? QStringList{kAll} : QStringList(), false);
}

void TDatModSql::ReadListItems(TListItems &strings, const QStringList &leadingItems, bool withCode)
{
    TListItems items;
    for (const QString &lead : leadingItems)
        if (!lead.isEmpty())
            items.append(TListItem{lead, 0});
    // The list texts are the book's local SQL; they run as one statement each
    // and ListSql keeps the text for anyone who wants to see what was listed.
    Statement q(m_db, LocalSql::translate(ListSql->sqlText()));
    int nameColumn = -1, codeColumn = -1;
    for (int c = 0; c < q.columnCount(); ++c) {
        if (q.columnName(c).compare(u"NAME"_s, Qt::CaseInsensitive) == 0)
            nameColumn = c;
        else if (q.columnName(c).compare(u"CODE"_s, Qt::CaseInsensitive) == 0)
            codeColumn = c;
    }
    while (q.next()) {
        const QString text = q.textValue(nameColumn);
        if (text.isEmpty())
            continue;
        const int c = int(q.intValue(codeColumn));
        items.append(TListItem{withCode ? u"%1: %2"_s.arg(c).arg(text) : text, c});
    }
    strings = std::move(items);
}

void TDatModSql::FillComboFromList(QComboBox *combo, const QStringList &leadingItems, bool withCode)
{
    TListItems items;
    ReadListItems(items, leadingItems, withCode);
    const QString text = combo->currentText();
    {
        // Refilling is no choice of the user's: the box's handlers hear nothing.
        const QSignalBlocker block(combo);
        combo->clear();
        for (const TListItem &item : std::as_const(items))
            combo->addItem(item.Text, item.Code);
        const int index = combo->findText(text);
        if (combo->isEditable()) {
            combo->setCurrentIndex(index);
            combo->setEditText(text);
        } else {
            combo->setCurrentIndex(index);
        }
    }
}

int TDatModSql::CheckHolidayYears(int firstYear, int lastYear, bool oneYear, int &chosenYear)
{
    Query &q = *ListSql;
    q.close();
    q.SQL.clear();
    q.SQL << u"SELECT COUNT(*) as COUNTS"_s << u"FROM DateList.db"_s
          << u"WHERE (EXTRACT(YEAR FROM RECDATE) = %1)"_s.arg(firstYear) << u"AND (TYPE = %1)"_s.arg(1);
    QList<int> missing;
    for (int year = firstYear; year <= lastYear; ++year) {
        q.SQL[2] = u"WHERE (EXTRACT(YEAR FROM RECDATE) = %1)"_s.arg(year);
        const int count = m_db.scalar(LocalSql::translate(q.sqlText())).toInt();
        if (count < kMinHolidaysPerYear)
            missing.append(year);
    }
    if (missing.isEmpty())
        return mrOk;

    TFormNonHoliday form;
    form.setOneYear(oneYear);
    for (int year : std::as_const(missing))
        form.addYear(year);
    const int result = form.exec();
    chosenYear = form.chosenYear();
    return result;
}

int TDatModSql::CheckBookHolidays(int year)
{
    int chosen = year;
    const int result = CheckHolidayYears(year, year, true, chosen);
    if (result == mrYes) {
        TFormCalender form(m_db);
        form.FirstYear = form.LastYear = form.ShowYear = chosen;
        form.exec();
    }
    return result;
}
