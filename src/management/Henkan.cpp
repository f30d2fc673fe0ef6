#include "management/Henkan.h"

#include <algorithm>
#include <memory>

#include "data/DatModEvents.h"
#include "data/RecordNumbers.h"
#include "management/Ver1Data.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"
#include "platform/system/ShiftJis.h"

namespace {

const QString Bunrui = QStringLiteral("分類名");
const QString Hinmei = QStringLiteral("品名");
const QString ShousaiHinmei = QStringLiteral("詳細品名");
const QString Tenmei = QStringLiteral("店名");
const QString Hiduke = QStringLiteral("日付");
const QString Kingaku = QStringLiteral("金額");
const QString Kounyusya = QStringLiteral("購入者");
const QString Genkin = QStringLiteral("現金");

// The day a category's start date takes when the old data held no journal
// row: day 0 of the date count.
const QDate DayZero(1899, 12, 30);

void setField(DataSet &ds, const char *name, const QVariant &value)
{
    ds.fieldByName(QLatin1String(name))->setValue(value);
}

QVariant dateOrNull(const QDate &date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

} // namespace

THenkan::THenkan(Database &db, const Ver1Data &old) : m_db(db), m_old(old) {}

int THenkan::TaxCalcOf(const QString &text)
{
    if (text == QStringLiteral("四捨五入"))
        return 0;
    if (text == QStringLiteral("切り捨て"))
        return 1;
    return 2;
}

QString THenkan::CutName(const QString &name)
{
    QString cut;
    int bytes = 0;
    for (const QChar c : name) {
        const int size = int(toShiftJis(QString(c)).size());
        if (bytes + size > 20)
            break;
        bytes += size;
        cut += c;
    }
    return cut;
}

QStringList THenkan::HimokuNames(const Ver1Data &old, int kind, bool *hasPastOnly)
{
    QStringList names;
    const Ver1Table &list = old.bunrui(kind);
    for (int r = 0; r < list.rowCount(); ++r)
        names << list.text(r, Bunrui);
    const Ver1Table &data = old.data(kind);
    for (int r = 0; r < data.rowCount(); ++r) {
        const QString name = data.text(r, Bunrui);
        if (name.isEmpty() || names.contains(name))
            continue;
        names << name;
        if (hasPastOnly)
            *hasPastOnly = true;
    }
    return names;
}

// Names the table being read and starts its progress afresh.
void THenkan::beginTable(const Ver1Table &t)
{
    if (OnTableStart)
        OnTableStart(t.fileName());
    m_lastPercent = -1;
}

void THenkan::progress(int done, int total)
{
    const int percent = total > 0 ? int((done * 100.0) / total + 0.5) : 100;
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    if (OnProgress)
        OnProgress(percent);
}

void THenkan::resetTable(const QString &sqlTable, const QString &fileName, int limit)
{
    const QString key = sqlTable == QStringLiteral("Himoku") || sqlTable == QStringLiteral("HinmeiMast")
                                || sqlTable == QStringLiteral("ShopMast") || sqlTable == QStringLiteral("Person")
                            ? QStringLiteral("CODE")
                            : QStringLiteral("DATANO");
    Statement st(m_db, QStringLiteral("DELETE FROM \"%1\" WHERE %2 > ?").arg(sqlTable, key));
    st.bind(1, limit);
    st.exec();
    if (limit != 0)
        RecordNumbers::SetDataNo(m_db, fileName, limit);
}

void THenkan::emptyTable(const QString &sqlTable)
{
    m_db.exec(QStringLiteral("DELETE FROM \"%1\"").arg(sqlTable));
}

int THenkan::findHimoku(const QString &name, int kind) const
{
    return m_himokuCodes.value({name, kind}, -1);
}

int THenkan::findOrAddHimoku(const QString &name, int kind, bool visible, int pos)
{
    const int found = findHimoku(name, kind);
    if (found >= 0)
        return found;
    const int code = m_nextHimoku++;
    m_himoku->append();
    SetHimokuDefaults(*m_himoku, kind);
    setField(*m_himoku, "CODE", code);
    if (pos >= 0)
        setField(*m_himoku, "POS", pos);
    setField(*m_himoku, "NAME", CutName(name));
    setField(*m_himoku, "MEMO", name);
    setField(*m_himoku, "VISIBLE", visible);
    m_himoku->post();
    m_himokuCodes.insert({name, kind}, code);
    return code;
}

int THenkan::findOrAddKouza(const QString &name)
{
    if (name == Genkin)
        return 100;
    const int found = findHimoku(name, 3);
    if (found >= 0)
        return found;
    return findOrAddHimoku(name, 3, true, ++m_kouzaPos);
}

int THenkan::findOrAddHinmei(const QString &name)
{
    if (name.isEmpty())
        return 0;
    if (const auto it = m_hinmeiCodes.constFind(name); it != m_hinmeiCodes.constEnd())
        return it.value();
    const int code = m_nextHinmei++;
    Statement st(m_db, QStringLiteral("INSERT INTO \"HinmeiMast\" (CODE, NAME, QUANTITY, GAKU, ZEIATUKAI) "
                                      "VALUES (?, ?, 1, 0, 3)"));
    st.bind(1, code);
    st.bind(2, name);
    st.exec();
    m_hinmeiCodes.insert(name, code);
    return code;
}

int THenkan::findOrAddShop(const QString &name)
{
    if (name.isEmpty())
        return 0;
    if (const auto it = m_shopCodes.constFind(name); it != m_shopCodes.constEnd())
        return it.value();
    const int code = m_nextShop++;
    Statement st(m_db, QStringLiteral("INSERT INTO \"ShopMast\" (CODE, NAME) VALUES (?, ?)"));
    st.bind(1, code);
    st.bind(2, name);
    st.exec();
    m_shopCodes.insert(name, code);
    return code;
}

int THenkan::findOrAddPerson(const QString &name)
{
    if (name.isEmpty())
        return 0;
    if (const auto it = m_personCodes.constFind(name); it != m_personCodes.constEnd())
        return it.value();
    const int code = m_nextPerson++;
    Statement st(m_db, QStringLiteral("INSERT INTO \"Person\" (CODE, NAME, VISIBLE) VALUES (?, ?, 0)"));
    st.bind(1, code);
    st.bind(2, name);
    st.exec();
    m_personCodes.insert(name, code);
    return code;
}

void THenkan::Run(TKouzaHenkanList &mapping)
{
    Transaction transaction(m_db, Database::TransactionMode::Immediate);
    Table himoku(m_db, QStringLiteral("Himoku.db"));
    himoku.open();
    m_himoku = &himoku;

    resetTable(QStringLiteral("Himoku"), QStringLiteral("Himoku.db"), 100);
    // The template's own categories from 100 up (cash) are found by their
    // memo like converted ones.
    {
        Statement st(m_db, QStringLiteral("SELECT CODE, MEMO, BUNRUI FROM \"Himoku\" WHERE CODE >= 100"));
        while (st.next()) {
            if (!st.isNull(1))
                m_himokuCodes.insert({st.textValue(1), int(st.intValue(2))}, int(st.intValue(0)));
        }
    }
    convertZei();
    convertHimoku();
    convertMapping(mapping);
    convertHinmei();
    convertPerson();
    convertShop();
    convertMemo();
    convertMaster();
    convertYosan();

    Statement start(m_db, QStringLiteral("UPDATE \"Himoku\" SET STARTDATE = ?"));
    start.bind(1, (FirstDate.isValid() ? FirstDate : DayZero).toString(Qt::ISODate));
    start.exec();

    RecordNumbers::SetDataNo(m_db, QStringLiteral("Himoku.db"), m_nextHimoku - 1);
    RecordNumbers::SetDataNo(m_db, QStringLiteral("HinmeiMast.db"), std::max(100, m_nextHinmei - 1));
    RecordNumbers::SetDataNo(m_db, QStringLiteral("ShopMast.db"), std::max(100, m_nextShop - 1));
    RecordNumbers::SetDataNo(m_db, QStringLiteral("Person.DB"), std::max(100, m_nextPerson - 1));
    himoku.close();
    m_himoku = nullptr;
    transaction.commit();
}

void THenkan::convertZei()
{
    const Ver1Table &t = m_old.zei;
    beginTable(t);
    emptyTable(QStringLiteral("ZeiList"));
    // Each rate gets its own number and the counter follows, so a rate added
    // later in the tax dialog never takes a number already given.
    Statement st(m_db, QStringLiteral("INSERT INTO \"ZeiList\" (DATANO, STARTDATE, PERCENT) VALUES (?, ?, ?)"));
    int n = 0;
    for (int r = 0; r < t.rowCount(); ++r) {
        st.reset();
        st.bind(1, ++n);
        const QDate d = t.date(r, QStringLiteral("適用開始日"));
        st.bind(2, d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant());
        st.bind(3, t.value(r, QStringLiteral("税率")));
        st.exec();
        progress(r + 1, t.rowCount());
    }
    RecordNumbers::SetDataNo(m_db, QStringLiteral("ZeiList.DB"), n);
}

void THenkan::convertHimoku()
{
    for (const int kind : {2, 1}) {
        const Ver1Table &t = m_old.bunrui(kind);
        beginTable(t);
        for (int r = 0; r < t.rowCount(); ++r) {
            const QString name = t.text(r, Bunrui);
            // A name listed twice stays one category.
            if (findHimoku(name, kind) < 0)
                findOrAddHimoku(name, kind, true, r);
            progress(r + 1, t.rowCount());
        }
    }
}

void THenkan::convertMapping(TKouzaHenkanList &mapping)
{
    for (TKouzaHenkan &entry : mapping) {
        entry.himokuCode = findOrAddHimoku(entry.himokuName, entry.kind, false);
        entry.kouzaCode = findOrAddKouza(entry.kouzaName.isEmpty() ? Genkin : entry.kouzaName);
        m_kouzaOf.insert(entry.himokuCode, entry.kouzaCode);
    }
}

void THenkan::convertHinmei()
{
    const Ver1Table &t = m_old.hinmei;
    beginTable(t);
    emptyTable(QStringLiteral("HinmeiList"));
    resetTable(QStringLiteral("HinmeiMast"), QStringLiteral("HinmeiMast.db"), 100);
    {
        // The template's items (the system items among them) are found by
        // name, so an old "消費税" line keeps the system item's meaning.
        Statement st(m_db, QStringLiteral("SELECT CODE, NAME FROM \"HinmeiMast\" ORDER BY CODE"));
        while (st.next()) {
            if (!st.isNull(1) && !st.textValue(1).isEmpty() && !m_hinmeiCodes.contains(st.textValue(1)))
                m_hinmeiCodes.insert(st.textValue(1), int(st.intValue(0)));
        }
    }
    const bool twoLevel = t.hasField(ShousaiHinmei);
    QSet<QString> entries;
    Statement add(m_db, QStringLiteral("INSERT INTO \"HinmeiList\" (DATANO, HIMOKUCODE, OYACODE, KOCODE, VISIBLE) "
                                       "VALUES (?, ?, ?, ?, 1)"));
    int n = 0;
    for (int r = 0; r < t.rowCount(); ++r) {
        const QString name = t.text(r, Hinmei);
        const QString detail = twoLevel ? t.text(r, ShousaiHinmei) : QString();
        for (const int kind : {2, 1}) {
            const int himoku = findHimoku(t.text(r, Bunrui), kind);
            if (himoku < 0)
                continue;
            int oya = 0, ko = 0;
            if (!detail.isEmpty() && !name.isEmpty()) {
                oya = findOrAddHinmei(name);
                ko = findOrAddHinmei(detail);
            } else {
                oya = findOrAddHinmei(name);
                if (oya <= 0)
                    continue;
            }
            const QString key = QStringLiteral("%1;%2;%3").arg(himoku).arg(oya).arg(ko);
            if (entries.contains(key))
                continue;
            entries.insert(key);
            add.reset();
            add.bind(1, ++n);
            add.bind(2, himoku);
            add.bind(3, oya);
            add.bind(4, ko);
            add.exec();
        }
        progress(r + 1, t.rowCount());
    }
    RecordNumbers::SetDataNo(m_db, QStringLiteral("HinmeiList.db"), n);
}

void THenkan::convertPerson()
{
    const Ver1Table &t = m_old.person;
    beginTable(t);
    resetTable(QStringLiteral("Person"), QStringLiteral("Person.DB"), 100);
    Statement add(m_db, QStringLiteral("INSERT INTO \"Person\" (CODE, NAME, VISIBLE) VALUES (?, ?, 1)"));
    for (int r = 0; r < t.rowCount(); ++r) {
        const QString name = t.text(r, Kounyusya);
        const int code = m_nextPerson++;
        add.reset();
        add.bind(1, code);
        add.bind(2, name);
        add.exec();
        // A name listed twice stays listed twice; lines find the first.
        if (!m_personCodes.contains(name))
            m_personCodes.insert(name, code);
        progress(r + 1, t.rowCount());
    }
}

void THenkan::convertShop()
{
    const Ver1Table &t = m_old.shop;
    beginTable(t);
    emptyTable(QStringLiteral("ShopList"));
    resetTable(QStringLiteral("ShopMast"), QStringLiteral("ShopMast.db"), 100);
    {
        Statement st(m_db, QStringLiteral("SELECT CODE, NAME FROM \"ShopMast\" WHERE CODE > 100 ORDER BY CODE"));
        while (st.next())
            m_shopCodes.insert(st.textValue(1), int(st.intValue(0)));
    }
    QSet<QString> entries;
    Statement add(m_db, QStringLiteral("INSERT INTO \"ShopList\" (DATANO, HIMOKUCODE, VISIBLE, OYACODE, KOCODE) "
                                       "VALUES (?, ?, 1, ?, 0)"));
    int n = 0;
    for (int r = 0; r < t.rowCount(); ++r) {
        for (const int kind : {2, 1}) {
            const int himoku = findHimoku(t.text(r, Bunrui), kind);
            if (himoku < 0)
                continue;
            const int shop = findOrAddShop(t.text(r, Tenmei));
            if (shop <= 0)
                continue;
            const QString key = QStringLiteral("%1;%2").arg(himoku).arg(shop);
            if (entries.contains(key))
                continue;
            entries.insert(key);
            add.reset();
            add.bind(1, ++n);
            add.bind(2, himoku);
            add.bind(3, shop);
            add.exec();
        }
        progress(r + 1, t.rowCount());
    }
    RecordNumbers::SetDataNo(m_db, QStringLiteral("ShopList.db"), n);
}

void THenkan::convertMemo()
{
    const Ver1Table &t = m_old.kondate;
    beginTable(t);
    emptyTable(QStringLiteral("Memo"));
    Statement add(m_db, QStringLiteral("INSERT INTO \"Memo\" (DATANO, RECDATE, MEMO) VALUES (?, ?, ?)"));
    int n = 0;
    for (int r = 0; r < t.rowCount(); ++r) {
        const QVariant memo = t.value(r, QStringLiteral("献立"));
        if (memo.isValid()) {
            add.reset();
            add.bind(1, ++n);
            const QDate d = t.date(r, Hiduke);
            add.bind(2, d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant());
            add.bind(3, memo);
            add.exec();
        }
        progress(r + 1, t.rowCount());
    }
    // The diary's counter follows the rows, so the next day written in the
    // diary gets a number of its own.
    RecordNumbers::SetDataNo(m_db, QStringLiteral("Memo.db"), n);
}

void THenkan::convertMaster()
{
    struct Line
    {
        int readNo;
        QDate date;
        int kind;
        int gyono;
        int himoku;
        Currency amount;
        int shop, hinmei, person;
    };
    QList<Line> lines;
    int readNo = 0;
    int gyono = 0;
    for (const int kind : {2, 1}) {
        const Ver1Table &t = m_old.data(kind);
        beginTable(t);
        QDate previous;
        bool first = true;
        for (int r = 0; r < t.rowCount(); ++r) {
            Line line;
            line.readNo = ++readNo;
            line.kind = kind;
            line.date = t.date(r, Hiduke);
            if (!first && line.date != previous && gyono > 30000)
                gyono = 0;
            line.gyono = ++gyono;
            first = false;
            previous = line.date;
            line.himoku = findOrAddHimoku(t.text(r, Bunrui), kind, false);
            line.amount = Currency::fromDouble(t.number(r, Kingaku));
            line.shop = findOrAddShop(t.text(r, Tenmei));
            line.hinmei = findOrAddHinmei(t.text(r, Hinmei));
            line.person = findOrAddPerson(t.text(r, Kounyusya));
            (kind == 2 ? DeruTotal : IriTotal) += line.amount;
            if (line.date.isValid() && (!FirstDate.isValid() || line.date < FirstDate))
                FirstDate = line.date;
            lines << line;
            progress(r + 1, t.rowCount());
        }
    }
    // The journal is numbered in date order (in read order within a day), as
    // every book's journal is: the pages list a day's lines by number.
    std::stable_sort(lines.begin(), lines.end(), [](const Line &a, const Line &b) { return a.date < b.date; });

    resetTable(QStringLiteral("Master"), QStringLiteral("Master.DB"), 0);
    Table master(m_db, QStringLiteral("Master.DB"));
    master.open();
    int dataNo = 0;
    for (const Line &line : lines) {
        master.append();
        SetMeisaiDefaults(master);
        const int kouza = m_kouzaOf.value(line.himoku, 100);
        setField(master, "DATANO", ++dataNo);
        setField(master, "GYONO", line.gyono);
        setField(master, "RECDATE", dateOrNull(line.date));
        setField(master, "KINGAKU", QVariant::fromValue(line.amount));
        setField(master, "SHOPCODE", line.shop);
        setField(master, "QUANTITY", 1.0);
        setField(master, "KARICODE", line.kind == 2 ? line.himoku : kouza);
        setField(master, "KASICODE", line.kind == 2 ? kouza : line.himoku);
        setField(master, "KARISIDE", QVariant());
        setField(master, "HINMEICODE", line.hinmei);
        setField(master, "PERSONCODE", line.person);
        setField(master, "RECKIND", 1);
        setField(master, "RESERVED", false);
        setField(master, "LOOKUPNO", 0);
        setField(master, "RECEIPTNO", 0);
        setField(master, "ZEIATUKAI", line.kind == 2 && line.hinmei != 1 && line.hinmei != 2 ? 2 : 0);
        setField(master, "STYLE", 1);
        setField(master, "ORIGIN", line.kind);
        master.post();
    }
    master.close();
    RecordNumbers::SetDataNo(m_db, QStringLiteral("Master.DB"), dataNo);
}

void THenkan::convertYosan()
{
    struct Budget
    {
        int readNo;
        QDate date;
        int kind;
        int himoku;
        Currency amount;
    };
    QList<Budget> budgets;
    int readNo = 0;
    for (const int kind : {2, 1}) {
        const Ver1Table &t = kind == 2 ? m_old.deruYosan : m_old.iriYosan;
        if (OnTableStart)
            OnTableStart(t.fileName());
        for (int r = 0; r < t.rowCount(); ++r) {
            budgets << Budget{++readNo, t.date(r, Hiduke), kind, findOrAddHimoku(t.text(r, Bunrui), kind, false),
                              Currency::fromDouble(t.number(r, Kingaku))};
        }
    }
    std::stable_sort(budgets.begin(), budgets.end(), [](const Budget &a, const Budget &b) {
        return a.date != b.date ? a.date < b.date : a.kind < b.kind;
    });
    emptyTable(QStringLiteral("Yosan"));
    Statement add(m_db, QStringLiteral("INSERT INTO \"Yosan\" (DATANO, RECDATE, HIMOKUCODE, KINGAKU, BUNRUI) "
                                       "VALUES (?, ?, ?, ?, ?)"));
    int n = 0;
    for (const Budget &b : budgets) {
        add.reset();
        add.bind(1, ++n);
        add.bind(2, b.date.isValid() ? QVariant(b.date.toString(Qt::ISODate)) : QVariant());
        add.bind(3, b.himoku);
        add.bind(4, b.amount.toDouble());
        add.bind(5, b.kind);
        add.exec();
    }
    RecordNumbers::SetDataNo(m_db, QStringLiteral("Yosan.db"), n);
}
