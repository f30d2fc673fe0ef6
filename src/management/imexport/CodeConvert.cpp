#include "management/imexport/CodeConvert.h"

#include <algorithm>
#include <cmath>

#include <QDate>
#include <QVariant>

#include "data/RecordNumbers.h"
#include "data/Vocabulary.h"
#include "management/imexport/FormSelectHimoku.h"
#include "management/imexport/FormZeiSelect.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"

namespace {

const QString kIndexOver = QStringLiteral("Index Over");

} // namespace

TCodeConvert::TCodeConvert(int kind, Database *db) : m_kind(kind), m_db(db)
{
    Clear();
}

void TCodeConvert::Clear()
{
    Items.clear();
    Items.reserve(100);
    Items.append(TConvertPear{});
    m_byFromName.clear();
}

int TCodeConvert::AddPair(const QString &from, const QString &to, int code)
{
    TConvertPear p;
    p.fromName = from;
    p.toName = to;
    p.code = code;
    Items.append(p);
    m_byFromName.insert(from, Count());
    return Count();
}

int TCodeConvert::AddPairEx(const QString &from, const QString &to, int side, int kind, int code)
{
    const int index = AddPair(from, to, code);
    Items[index].side = side;
    Items[index].kind = kind;
    Items[index].zeiAtukai = kind == 2 ? 1 : 0;
    return index;
}

int TCodeConvert::GetCode(int index) const
{
    if (index < 0)
        return -1;
    if (index > Count()) {
        MessageDlg(kIndexOver, MsgDlgType::Error, mbOK);
        return -1;
    }
    return Items.at(index).code;
}

QString TCodeConvert::FromName(int index) const
{
    if (index < 0)
        return QString();
    return index > Count() ? kIndexOver : Items.at(index).fromName;
}

QString TCodeConvert::ToName(int index) const
{
    if (index < 0)
        return QString();
    return index > Count() ? kIndexOver : Items.at(index).toName;
}

int TCodeConvert::KindOf(int index) const
{
    if (index < 0 || index > Count()) {
        MessageDlg(kIndexOver, MsgDlgType::Error, mbOK);
        return 0;
    }
    return Items.at(index).kind;
}

int TCodeConvert::SideOf(int index) const
{
    if (index < 0 || index > Count()) {
        MessageDlg(kIndexOver, MsgDlgType::Error, mbOK);
        return 0;
    }
    return Items.at(index).side;
}

int TCodeConvert::ZeiOf(int index) const
{
    if (index < 0 || index > Count()) {
        MessageDlg(kIndexOver, MsgDlgType::Error, mbOK);
        return 0;
    }
    return Items.at(index).zeiAtukai;
}

int TCodeConvert::IndexOfCode(int code) const
{
    for (int i = 0; i <= Count(); ++i)
        if (Items.at(i).code == code)
            return i;
    return 0;
}

int TCodeConvert::IndexOfFromName(const QString &text) const
{
    return m_byFromName.value(text, -1);
}

QString TCodeConvert::sqlTable() const
{
    switch (m_kind) {
    case 0:
        return QStringLiteral("Himoku");
    case 1:
        return QStringLiteral("HinmeiMast");
    case 2:
        return QStringLiteral("ShopMast");
    case 3:
        return QStringLiteral("Person");
    default:
        return QString();
    }
}

int TCodeConvert::lookupCode(const QString &name) const
{
    if (!m_db || sqlTable().isEmpty())
        return -1;
    // Items, shops and persons are looked up among every row, the program's own
    // ones (消費税, 自動引落, 繰越残高 ...) included: a line carried over from
    // another book keeps its system item instead of getting a user item of the
    // same name that nothing in the program recognises.
    const QString where = m_kind == 0 ? QStringLiteral(" AND CODE >= 99") : QString();
    const QVariant code = m_db->scalar(
        QStringLiteral("SELECT CODE FROM \"%1\" WHERE NAME = ?%2 ORDER BY CODE LIMIT 1").arg(sqlTable(), where), {name});
    return code.isValid() && !code.isNull() ? code.toInt() : -1;
}

int TCodeConvert::NameToIndex(const QString &text)
{
    if (text.isEmpty())
        return 0;
    if (m_kind == 4 && text == u"0")
        return 0;
    const int found = IndexOfFromName(text);
    if (found >= 0)
        return found;
    if (m_kind == 4)
        return AddPair(text, QString(), -1);
    return AddPair(text, text, lookupCode(text));
}

QMap<int, int> TCodeConvert::CreateMissing(Database &db, const QSet<int> &used) const
{
    QMap<int, int> codes;
    QList<int> order(used.begin(), used.end());
    std::sort(order.begin(), order.end());
    for (const int index : order) {
        if (index <= 0 || index > Count() || Items.at(index).code != -1)
            continue;
        const TConvertPear &p = Items.at(index);
        if (m_kind == 4) {
            codes.insert(index, RecordNumbers::GetNewDataNo(db, QStringLiteral("receiptno")));
            continue;
        }
        if (m_kind == 0) {
            const QVariant existing = db.scalar(
                QStringLiteral("SELECT CODE FROM Himoku WHERE NAME = ? AND CODE >= 99 ORDER BY CODE LIMIT 1"),
                {p.toName});
            if (existing.isValid() && !existing.isNull()) {
                codes.insert(index, existing.toInt());
                continue;
            }
            // Two entries may carry the same new name (typed twice in the
            // dialog): the first one made serves both.
            bool shared = false;
            for (auto it = codes.cbegin(); it != codes.cend(); ++it)
                if (Items.at(it.key()).toName == p.toName) {
                    codes.insert(index, it.value());
                    shared = true;
                    break;
                }
            if (shared)
                continue;
            const int code = RecordNumbers::GetNewDataNo(db, QStringLiteral("Himoku.db"));
            const int bunrui = p.kind == 0 ? 3 : p.kind;
            // The defaults of a new category row (SetHimokuDefaults): an account
            // keeps the account closing days, a category has none.
            Statement ins(db, QStringLiteral(
                                  "INSERT INTO Himoku (CODE, POS, NAME, MEMO, BUNRUI, SYOKIZAN, SIMEBI, "
                                  "SIMEHOLIDAYSHIFT, CYCLE, FURIKOMIBI, HOLIDAYSHIFT, VISIBLE, SYSTEM, STARTDATE, "
                                  "TOKUBETU, AITECODE, SIMEHISTROY, SIMESHIFT, SIMEADDDAY, OTHERCODE, ZEIATUKAI, "
                                  "YOSANWARN) VALUES (?, 50, ?, ?, ?, 0, 31, 0, ?, ?, 0, 1, 0, ?, 0, 100, 0, 0, 0, 0, "
                                  "?, 1)"));
            ins.bind(1, code);
            ins.bind(2, p.toName);
            ins.bind(3, p.fromName);
            ins.bind(4, bunrui);
            ins.bind(5, bunrui == 3 ? 0 : -1);
            ins.bind(6, bunrui == 3 ? 31 : -1);
            ins.bind(7, QDate::currentDate().toString(Qt::ISODate));
            ins.bind(8, bunrui == 2 ? p.zeiAtukai : 0);
            ins.exec();
            codes.insert(index, code);
            continue;
        }
        const QString table = sqlTable();
        const QString file = m_kind == 1 ? QStringLiteral("HinmeiMast.db")
                             : m_kind == 2 ? QStringLiteral("ShopMast.db")
                                           : QStringLiteral("Person.DB");
        const int code = RecordNumbers::GetNewDataNo(db, file);
        if (m_kind == 1) {
            Statement ins(db, QStringLiteral("INSERT INTO HinmeiMast (CODE, NAME, QUANTITY, GAKU, ZEIATUKAI) "
                                             "VALUES (?, ?, 1, 0, 3)"));
            ins.bind(1, code);
            ins.bind(2, p.toName);
            ins.exec();
        } else if (m_kind == 3) {
            Statement ins(db, QStringLiteral("INSERT INTO Person (CODE, NAME, VISIBLE) VALUES (?, ?, 0)"));
            ins.bind(1, code);
            ins.bind(2, p.toName);
            ins.exec();
        } else {
            Statement ins(db, QStringLiteral("INSERT INTO \"%1\" (CODE, NAME) VALUES (?, ?)").arg(table));
            ins.bind(1, code);
            ins.bind(2, p.toName);
            ins.exec();
        }
        codes.insert(index, code);
    }
    return codes;
}

void TCodeConvert::ApplyCodes(const QMap<int, int> &codes)
{
    for (auto it = codes.cbegin(); it != codes.cend(); ++it)
        if (it.key() > 0 && it.key() <= Count())
            Items[it.key()].code = it.value();
}

// ---- categories --------------------------------------------------------------

THimokuConvert::THimokuConvert(Database *db) : TCodeConvert(0, db)
{
    Reset();
}

void THimokuConvert::Reset()
{
    Clear();
    AddPairEx(QStringLiteral("諸口"), QStringLiteral("諸口"), 0, 3, 99);
}

QList<THimokuConvert::BookCategory> THimokuConvert::BookCategories(unsigned allowed) const
{
    QList<BookCategory> rows;
    if (!m_db)
        return rows;
    Statement st(*m_db, QStringLiteral("SELECT CODE, NAME, BUNRUI, VISIBLE FROM Himoku WHERE CODE >= 99 ORDER BY CODE"));
    while (st.next()) {
        const int bunrui = int(st.intValue(2));
        if (bunrui < 0 || bunrui > 7 || !(allowed & (1u << bunrui)))
            continue;
        rows.append({int(st.intValue(0)), st.textValue(1), bunrui, st.isNull(3) || st.intValue(3) != 0});
    }
    return rows;
}

int THimokuConvert::FindOrAsk(const QString &text, unsigned allowed)
{
    if (text.isEmpty())
        return 0;
    const int known = IndexOfFromName(text);
    if (known >= 0)
        return known;
    int kind = 0;
    int side = 0;
    QString toName = text;
    int code = -1;
    bool found = false;
    if (m_db) {
        Statement st(*m_db, QStringLiteral("SELECT CODE, BUNRUI FROM Himoku WHERE NAME = ? AND CODE >= 99 "
                                           "ORDER BY CODE LIMIT 1"));
        st.bind(1, text);
        if (st.next()) {
            found = true;
            code = int(st.intValue(0));
            kind = KindOfBunrui(int(st.intValue(1)));
        }
    }
    if (found && AutoMatch) {
        if (!Silent && AccountSideMode && kind == 3)
            return askCategory(text, allowed, kind, side);
    } else if (!(Silent && !found)) {
        return askCategory(text, allowed, kind, side);
    } else {
        code = -1;
    }
    if (Silent && kind == 0)
        kind = 3;
    return AddPairEx(text, toName, side, kind, code);
}

int THimokuConvert::askCategory(const QString &text, unsigned allowed, int kind, int side)
{
    QString name;
    if (!TFormSelectHimoku::Ask(*this, text, AccountSideMode, allowed, Silent, name, kind, side))
        throw ECanceledError();
    int code = -1;
    for (int i = 0; i <= Count(); ++i)
        if (Items.at(i).toName == name && i > 0) {
            code = Items.at(i).code;
            break;
        }
    if (code == -1 && m_db) {
        // An existing row chosen in the dialog is matched by its name at once.
        const QVariant c = m_db->scalar(
            QStringLiteral("SELECT CODE FROM Himoku WHERE NAME = ? AND CODE >= 99 ORDER BY CODE LIMIT 1"), {name});
        if (c.isValid() && !c.isNull())
            code = c.toInt();
    }
    return AddPairEx(text, name, side, kind, code);
}

// ---- tax treatments ----------------------------------------------------------

TZeiConvert::TZeiConvert(Database *db) : TCodeConvert(5, db)
{
    Reset();
}

void TZeiConvert::Reset()
{
    Items.clear();
    m_byFromName.clear();
    for (int i = 0; i < 4; ++i) {
        const QString name = ZeiAtukaiNames[i].toString();
        TConvertPear p;
        p.fromName = name;
        p.toName = name;
        p.code = i;
        p.zeiAtukai = i;
        Items.append(p);
        m_byFromName.insert(name, i);
    }
}

int TZeiConvert::IndexOfTreatment(int treatment) const
{
    return treatment >= 0 && treatment < 4 ? treatment : 0;
}

int TZeiConvert::NameToIndex(const QString &text)
{
    if (text.isEmpty())
        return 0;
    if (NumericMode) {
        // The own format writes the treatment as its number; anything else
        // (a number out of range, a word) counts as 0, 対象外.
        bool ok = false;
        int n = text.trimmed().toInt(&ok);
        if (!ok || n < 0 || n > 3)
            n = 0;
        return IndexOfTreatment(n);
    }
    const int known = IndexOfFromName(text);
    if (known >= 0)
        return known;
    int treatment = 0;
    if (!TFormZeiSelect::Ask(text, treatment))
        throw ECanceledError();
    const int index = AddPair(text, ZeiAtukaiNames[treatment].toString(), treatment);
    Items[index].zeiAtukai = treatment;
    return index;
}
