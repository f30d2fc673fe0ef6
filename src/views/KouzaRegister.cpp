#include "views/KouzaRegister.h"

#include <algorithm>
#include <cstring>

#include <sqlcipher/sqlite3.h>

#include <QColor>
#include <QStringList>

#include "data/HimokuCache.h"
#include "data/Utils.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

const char *const TKouzaRegister::FieldNames[ColumnCount] = {"RECDATE",  "KariName", "KasiName", "Hinmei",
                                                             "ZEIATUKAI", "KariGaku", "KasiGaku", "ZanGaku",
                                                             "ShopName", "ParsonName"};

namespace {

const char *const Titles[TKouzaRegister::ColumnCount] = {"日付", "入金先", "出金元", "品名", "税",
                                                         "入金", "出金",   "残金",   "店名", "使用者"};

QString codeList(const QList<int> &codes)
{
    QStringList parts;
    for (int c : codes)
        parts << QString::number(c);
    // An empty list matches nothing.
    return u"("_s + (parts.isEmpty() ? u"-100"_s : parts.join(u',')) + u")"_s;
}

// Dates are stored as ISO text; parsing them by hand keeps the one pass over a
// year of lines cheap.
QDate isoDate(const char *t)
{
    if (!t || std::strlen(t) != 10 || t[4] != '-' || t[7] != '-')
        return QDate();
    auto num = [t](int from, int count) {
        int v = 0;
        for (int i = from; i < from + count; ++i)
            v = v * 10 + (t[i] - '0');
        return v;
    };
    return QDate(num(0, 4), num(5, 2), num(8, 2));
}

} // namespace

TKouzaRegister::TKouzaRegister(QObject *parent) : QAbstractTableModel(parent) {}

void TKouzaRegister::LoadNames(Database &db)
{
    auto load = [&db](const QString &table, QHash<int, QString> &into) {
        into.clear();
        Statement st(db, u"SELECT CODE, NAME FROM %1"_s.arg(table));
        while (st.next())
            into.insert(int(st.intValue(0)), st.textValue(1));
    };
    load(u"HinmeiMast"_s, m_hinmei);
    load(u"ShopMast"_s, m_shop);
    load(u"Person"_s, m_person);
}

uint8_t TKouzaRegister::directionOf(int kari, int kasi) const
{
    if (m_subject.kind == TRegisterSubject::NetWorth || m_subject.kind == TRegisterSubject::YearResult) {
        const int g = GetHimokuBu1(kari);
        const int h = GetHimokuBu1(kasi);
        const bool inflow = (g == 3 || g == 4) && (h == 1 || h == 2);
        const bool outflow = (g == 1 || g == 2) && (h == 3 || h == 4);
        if (m_subject.kind == TRegisterSubject::NetWorth) {
            if (inflow)
                return 1;
            if (outflow)
                return 2;
            if ((g == 1 || g == 2) && (h == 1 || h == 2))
                return 0;
            return 3;
        }
        return inflow ? 2 : outflow ? 1 : 3;
    }
    const bool k = m_subject.registerCodes.contains(kari);
    const bool s = m_subject.registerCodes.contains(kasi);
    return k && !s ? 1 : s && !k ? 2 : 3;
}

void TKouzaRegister::Open(Database &db, const TRegisterSubject &subject)
{
    beginResetModel();
    m_rows.clear();
    m_open = false;
    m_subject = subject;
    m_nyukin = m_syukkin = Currency();
    try {
        QString where = u"RECDATE >= :start AND RECDATE <= :end"_s;
        if (subject.kind != TRegisterSubject::NetWorth) {
            const QString list = codeList(subject.filterCodes);
            where += u" AND (KARICODE IN %1 OR KASICODE IN %1)"_s.arg(list);
        }
        if (!subject.includeReserved)
            where += u" AND (RESERVED IS NULL OR RESERVED = 0)"_s;
        if (!subject.conditionSql.trimmed().isEmpty())
            where += u" AND ("_s + subject.conditionSql + u")"_s;
        // KINGAKU is REAL; Currency::fromDouble rounds it to the exact
        // ten-thousandths, as the engine's ROUND would, without the engine's
        // function calls on every line.
        const QString columns = u"DATANO, RECDATE, KINGAKU, KARICODE, KASICODE, "
                                "HINMEICODE, SHOPCODE, PERSONCODE, ZEIATUKAI, RESERVED"_s;
        auto read = [](Statement &st) {
            TRegisterRow r;
            r.DataNo = int32_t(st.intValue(0));
            r.RecDate = isoDate(reinterpret_cast<const char *>(sqlite3_column_text(st.handle(), 1)));
            r.Kingaku = Currency::fromDouble(st.doubleValue(2));
            r.KariCode = int32_t(st.intValue(3));
            r.KasiCode = int32_t(st.intValue(4));
            r.HinmeiCode = int32_t(st.intValue(5));
            r.ShopCode = int32_t(st.intValue(6));
            r.PersonCode = int32_t(st.intValue(7));
            r.ZeiAtukai = int16_t(st.intValue(8));
            r.Reserved = st.intValue(9) != 0;
            return r;
        };
        // The journal's sentinel line (DATANO 0) is always part of the
        // register. It is read on its own, so that the period's lines come
        // through the date index already in (RECDATE, DATANO) order.
        QList<TRegisterRow> lines;
        {
            Statement sentinel(db, u"SELECT %1 FROM Master WHERE DATANO = 0"_s.arg(columns));
            if (sentinel.next())
                lines << read(sentinel);
        }
        Statement st(db, u"SELECT %1 FROM Master WHERE %2 AND DATANO <> 0 ORDER BY RECDATE, DATANO"_s.arg(columns, where));
        st.bind(u":start"_s, subject.start.toString(Qt::ISODate));
        st.bind(u":end"_s, subject.end.toString(Qt::ISODate));
        const bool sentinelFirst = !lines.isEmpty();
        TRegisterRow sentinelRow = sentinelFirst ? lines.takeFirst() : TRegisterRow();
        bool sentinelPlaced = !sentinelFirst;
        m_rows.reserve(1000);

        Currency balance = subject.startBalance;
        auto add = [&](TRegisterRow r) {
            r.FirstOfDate = m_rows.isEmpty() ? r.RecDate.isValid() : r.RecDate != m_rows.last().RecDate;
            if (!m_rows.isEmpty())
                m_rows.last().LastOfDate = r.FirstOfDate;
            r.Direction = r.DataNo == 0 ? 0 : directionOf(r.KariCode, r.KasiCode);
            if (r.Direction == 1) {
                m_nyukin += r.Kingaku;
                balance += subject.growsOnDebit ? r.Kingaku : -r.Kingaku;
            } else if (r.Direction == 2) {
                m_syukkin += r.Kingaku;
                balance += subject.growsOnDebit ? -r.Kingaku : r.Kingaku;
            }
            r.Balance = balance;
            if (m_rows.size() == m_rows.capacity())
                m_rows.reserve(m_rows.size() + 1000);
            m_rows << r;
        };
        while (st.next()) {
            TRegisterRow r = read(st);
            if (!sentinelPlaced && !(r.RecDate < sentinelRow.RecDate)) {
                add(sentinelRow);
                sentinelPlaced = true;
            }
            add(r);
        }
        if (!sentinelPlaced)
            add(sentinelRow);
        if (!m_rows.isEmpty())
            m_rows.last().LastOfDate = true;
        m_open = true;
    } catch (...) {
        m_rows.clear();
        endResetModel();
        throw;
    }
    endResetModel();
}

void TKouzaRegister::Close()
{
    beginResetModel();
    m_rows.clear();
    m_open = false;
    m_nyukin = m_syukkin = Currency();
    endResetModel();
}

Currency TKouzaRegister::Difference() const
{
    return m_subject.growsOnDebit ? m_nyukin - m_syukkin : m_syukkin - m_nyukin;
}

Currency TKouzaRegister::EndBalance() const
{
    return m_subject.startBalance + Difference();
}

int TKouzaRegister::RowOnOrBefore(const QDate &date) const
{
    if (m_rows.isEmpty())
        return -1;
    // The rows are in date order; the sentinel may carry no date and sorts first.
    auto it = std::upper_bound(m_rows.begin(), m_rows.end(), date,
                               [](const QDate &d, const TRegisterRow &r) { return d < r.RecDate; });
    const int index = int(it - m_rows.begin()) - 1;
    return index < 0 ? 0 : index;
}

int TKouzaRegister::LastRowOnOrBefore(const QDate &day) const
{
    for (int i = int(m_rows.size()) - 1; i >= 0; --i)
        if (m_rows[i].RecDate <= day)
            return i;
    return -1;
}

QList<TChartDay> TKouzaRegister::ChartDays() const
{
    QList<TChartDay> days;
    if (!m_open || !m_subject.start.isValid() || !m_subject.end.isValid())
        return days;
    const QDate day0 = m_subject.start.addDays(-1);
    const qint64 count = day0.daysTo(m_subject.end) + 1;
    if (count <= 1)
        return days;
    days.resize(count);
    for (qint64 i = 0; i < count; ++i)
        days[i].Day = day0.addDays(i);
    // The day before the period holds the starting balance.
    days[0].Balance = m_subject.startBalance;
    days[0].HasValue = true;
    for (const TRegisterRow &r : m_rows) {
        if (!r.RecDate.isValid())
            continue;
        const qint64 i = day0.daysTo(r.RecDate);
        if (i < 0 || i >= count)
            continue;
        days[i].Balance = r.Balance;
        days[i].HasValue = true;
    }
    for (qint64 i = 1; i < count; ++i)
        if (!days[i].HasValue)
            days[i].Balance = days[i - 1].Balance;
    return days;
}

QString TKouzaRegister::KariName(int row) const
{
    return FindHimokuName(m_rows[row].KariCode, &AllHimokuArray);
}

QString TKouzaRegister::KasiName(int row) const
{
    return FindHimokuName(m_rows[row].KasiCode, &AllHimokuArray);
}

int TKouzaRegister::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TKouzaRegister::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TKouzaRegister::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const TRegisterRow &r = m_rows[index.row()];
    const int col = index.column();
    if (role == Qt::TextAlignmentRole) {
        if (col == ColKariGaku || col == ColKasiGaku || col == ColZanGaku)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (col == ColZei)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role == Qt::UserRole) // the amount of an amount column, for the drawing
        return col == ColZanGaku ? QVariant::fromValue(r.Balance.raw()) : QVariant();
    const bool sentinel = r.DataNo == 0;
    if (role == Qt::EditRole) {
        // The typed values behind the texts, for the spreadsheet export.
        switch (col) {
        case ColDate: return r.RecDate.isValid() ? QVariant(r.RecDate) : QVariant();
        case ColKariGaku: return !sentinel && r.Direction != 2 ? QVariant(r.Kingaku.toDouble()) : QVariant();
        case ColKasiGaku: return !sentinel && r.Direction != 1 ? QVariant(r.Kingaku.toDouble()) : QVariant();
        case ColZanGaku: return r.Balance.toDouble();
        default: return data(index, Qt::DisplayRole);
        }
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (col) {
    case ColDate: {
        static const QStringList week{u"月"_s, u"火"_s, u"水"_s, u"木"_s, u"金"_s, u"土"_s, u"日"_s};
        return r.RecDate.isValid() ? r.RecDate.toString(u"yy.MM.dd"_s) + u"("_s + week[r.RecDate.dayOfWeek() - 1] +
                                         u")"_s
                                   : QString();
    }
    case ColKari: return KariName(index.row());
    case ColKasi: return KasiName(index.row());
    case ColHinmei: return HinmeiName(r.HinmeiCode);
    case ColZei: return r.ZeiAtukai == 1 ? u"込"_s : r.ZeiAtukai == 2 ? u"抜"_s : QString();
    case ColKariGaku:
        return !sentinel && r.Direction != 2 ? KingakuToStr(r.Kingaku) : QString();
    case ColKasiGaku:
        return !sentinel && r.Direction != 1 ? KingakuToStr(r.Kingaku) : QString();
    case ColZanGaku: return KingakuToStr(r.Balance);
    case ColShop: return ShopName(r.ShopCode);
    case ColPerson: return PersonName(r.PersonCode);
    default: return {};
    }
}

QVariant TKouzaRegister::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromUtf8(Titles[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}
