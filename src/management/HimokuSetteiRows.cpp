#include "management/HimokuSetteiRows.h"

#include <QDate>
#include <QSet>

#include "data/RecordNumbers.h"
#include "management/SaveInTransaction.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"

namespace {

const QString kCode = QStringLiteral("CODE");
const QString kPos = QStringLiteral("POS");
const QString kName = QStringLiteral("NAME");

// The same value as far as the table is concerned (a stored 1 equals True).
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() != b.isNull())
        return false;
    if (a.isNull())
        return true;
    if (a.typeId() == b.typeId())
        return a == b;
    return a.toString() == b.toString();
}

QVariant toDb(const QString &column, const QVariant &value)
{
    if (value.isNull())
        return QVariant();
    if (column == QStringLiteral("STARTDATE")) {
        const QDate d = value.toDate();
        return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
    }
    if (column == QStringLiteral("SYOKIZAN")) {
        if (value.canConvert<Currency>() && value.typeId() == qMetaTypeId<Currency>())
            return value.value<Currency>().toDouble();
        return value.toDouble();
    }
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    return value;
}

THimokuRow readRow(Statement &st)
{
    const QStringList cols = THimokuRows::columns();
    THimokuRow r;
    for (int c = 0; c < st.columnCount(); ++c) {
        const QString name = st.columnName(c).toUpper();
        if (!cols.contains(name))
            continue;
        QVariant value = st.value(c);
        if (name == QStringLiteral("VISIBLE") || name == QStringLiteral("SYSTEM") || name == QStringLiteral("TOKUBETU")
            || name == QStringLiteral("SIMEHISTROY") || name == QStringLiteral("YOSANWARN"))
            value = value.isNull() ? QVariant() : QVariant(value.toInt() != 0);
        else if (name == QStringLiteral("STARTDATE"))
            value = value.isNull() ? QVariant() : QVariant(QDate::fromString(value.toString(), Qt::ISODate));
        r.v.insert(name, value);
    }
    return r;
}

} // namespace

void THimokuRow::set(const QString &column, const QVariant &value)
{
    if (sameValue(v.value(column), value))
        return;
    v.insert(column, value);
    modified = true;
}

QStringList THimokuRows::columns()
{
    return {QStringLiteral("CODE"),        QStringLiteral("POS"),        QStringLiteral("NAME"),
            QStringLiteral("MEMO"),        QStringLiteral("BUNRUI"),     QStringLiteral("SYOKIZAN"),
            QStringLiteral("SIMEBI"),      QStringLiteral("CYCLE"),      QStringLiteral("FURIKOMIBI"),
            QStringLiteral("HOLIDAYSHIFT"), QStringLiteral("VISIBLE"),   QStringLiteral("SYSTEM"),
            QStringLiteral("STARTDATE"),   QStringLiteral("TOKUBETU"),   QStringLiteral("AITECODE"),
            QStringLiteral("SIMEHISTROY"), QStringLiteral("SIMESHIFT"),  QStringLiteral("OTHERCODE"),
            QStringLiteral("ZEIATUKAI"),   QStringLiteral("YOSANWARN"),  QStringLiteral("SIMEHOLIDAYSHIFT"),
            QStringLiteral("SIMEADDDAY")};
}

THimokuRows::THimokuRows(Database &db) : m_db(db) {}

void THimokuRows::load(int pageKind, bool showHidden)
{
    m_kind = pageKind;
    m_showHidden = showHidden;
    m_rows.clear();
    m_deletedCodes.clear();
    m_lcCount = 0;
    const QString where = pageKind == 3 ? QStringLiteral("BUNRUI > 2") : QStringLiteral("BUNRUI = ?");
    Statement st(m_db, QStringLiteral("SELECT * FROM Himoku WHERE ") + where
                           + QStringLiteral(" AND CODE > 3 ORDER BY COALESCE(VISIBLE, 0) DESC, POS, CODE"));
    if (pageKind != 3)
        st.bind(1, pageKind);
    while (st.next()) {
        THimokuRow r = readRow(st);
        r.lcIndex = ++m_lcCount;
        m_rows.append(r);
    }
    m_group = THimokuRow();
    Statement group(m_db, QStringLiteral("SELECT * FROM Himoku WHERE CODE = ?"));
    group.bind(1, pageKind);
    if (group.next())
        m_group = readRow(group);
    renumber();
}

void THimokuRows::setShowHidden(bool show)
{
    m_showHidden = show;
    renumber();
}

int THimokuRows::indexOfLc(int lcIndex) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).lcIndex == lcIndex)
            return i;
    return -1;
}

int THimokuRows::indexOfCode(int code) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).code() == code)
            return i;
    return -1;
}

QList<int> THimokuRows::shown() const
{
    QList<int> list;
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_showHidden || m_rows.at(i).visible())
            list.append(i);
    return list;
}

bool THimokuRows::hasChanges() const
{
    if (!m_deletedCodes.isEmpty() || m_group.modified)
        return true;
    for (const THimokuRow &r : m_rows)
        if (r.inserted || r.modified)
            return true;
    return false;
}

bool THimokuRows::moveShown(int from, int to)
{
    const QList<int> list = shown();
    if (from < 0 || to < 0 || from >= list.size() || to >= list.size())
        return false;
    if (from == to)
        return true;
    const THimokuRow moving = m_rows.at(list.at(from));
    const int target = list.at(to);
    m_rows.removeAt(list.at(from));
    // Moving up, the row goes before the target; moving down, after it (the
    // removal has moved the target one up): the same index either way.
    m_rows.insert(target, moving);
    renumber();
    return true;
}

void THimokuRows::renumber()
{
    const QList<int> list = shown();
    for (int line = 0; line < list.size(); ++line)
        m_rows[list.at(line)].set(kPos, line);
}

QString THimokuRows::newName(const QString &stem) const
{
    QSet<QString> used;
    for (const THimokuRow &r : m_rows)
        used.insert(r.name());
    Statement st(m_db, QStringLiteral("SELECT NAME FROM Himoku WHERE NAME LIKE ? ESCAPE '\\'"));
    QString pattern = stem;
    pattern.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('%'), QStringLiteral("\\%"))
        .replace(QLatin1Char('_'), QStringLiteral("\\_"));
    st.bind(1, pattern + QLatin1Char('%'));
    while (st.next())
        used.insert(st.textValue(0));
    for (int n = 1;; ++n) {
        const QString name = stem + QString::number(n);
        if (!used.contains(name))
            return name;
    }
}

QVariantMap THimokuRows::defaults(int firstAccount) const
{
    QVariantMap v;
    v.insert(QStringLiteral("CODE"), -1);
    v.insert(QStringLiteral("POS"), 50);
    v.insert(QStringLiteral("NAME"), QStringLiteral("新規"));
    v.insert(QStringLiteral("MEMO"), QVariant());
    v.insert(QStringLiteral("BUNRUI"), m_kind);
    v.insert(QStringLiteral("SYOKIZAN"), 0.0);
    v.insert(QStringLiteral("SIMEBI"), 31);
    v.insert(QStringLiteral("SIMEHOLIDAYSHIFT"), 0);
    v.insert(QStringLiteral("CYCLE"), m_kind == 3 ? 0 : -1);
    v.insert(QStringLiteral("FURIKOMIBI"), m_kind == 3 ? 31 : -1);
    v.insert(QStringLiteral("HOLIDAYSHIFT"), 0);
    v.insert(QStringLiteral("VISIBLE"), true);
    v.insert(QStringLiteral("SYSTEM"), false);
    v.insert(QStringLiteral("STARTDATE"), QDate::currentDate());
    v.insert(QStringLiteral("TOKUBETU"), false);
    v.insert(QStringLiteral("AITECODE"), firstAccount > 0 ? firstAccount : 100);
    v.insert(QStringLiteral("SIMEHISTROY"), false);
    v.insert(QStringLiteral("SIMESHIFT"), 0);
    v.insert(QStringLiteral("SIMEADDDAY"), 0);
    v.insert(QStringLiteral("OTHERCODE"), 0);
    v.insert(QStringLiteral("ZEIATUKAI"), m_kind == 2 ? 1 : 0);
    v.insert(QStringLiteral("YOSANWARN"), true);
    return v;
}

int THimokuRows::addRow(const QString &stem, int atLine, int firstAccount)
{
    THimokuRow r;
    r.v = defaults(firstAccount);
    r.v.insert(kName, newName(stem));
    r.inserted = true;
    r.lcIndex = ++m_lcCount;
    const QList<int> list = shown();
    int at = int(m_rows.size());
    if (atLine >= 0 && atLine < list.size())
        at = list.at(atLine);
    else if (!list.isEmpty() && !m_showHidden)
        at = list.last() + 1; // after the last visible row, before the hidden ones
    m_rows.insert(at, r);
    renumber();
    return at;
}

bool THimokuRows::nameFree(int index, const QString &name, QString *why) const
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) {
        if (why)
            *why = QStringLiteral("名称を入力してください。");
        return false;
    }
    bool used = false;
    for (int i = 0; i < m_rows.size() && !used; ++i)
        used = i != index && m_rows.at(i).name() == name;
    if (!used) {
        // Rows of the other page kinds (and the group and system rows) as the
        // book holds them; rows held here answer with their pending names.
        Statement st(m_db, QStringLiteral("SELECT CODE FROM Himoku WHERE NAME = ?"));
        st.bind(1, name);
        const int own = index >= 0 && index < m_rows.size() ? m_rows.at(index).code() : -1;
        while (st.next() && !used) {
            const int code = int(st.intValue(0));
            used = code != own && indexOfCode(code) < 0 && !m_deletedCodes.contains(code);
        }
    }
    const QString title = m_kind == 3 ? QStringLiteral("口座名") : QStringLiteral("費目名");
    used = used || name == title;
    if (used && why)
        *why = QLatin1Char('"') + name + QStringLiteral("\" この名称は既に使用されていますので登録できません。");
    return !used;
}

bool THimokuRows::canDelete(int index, QString *why) const
{
    const THimokuRow &r = m_rows.at(index);
    if (r.system()) {
        if (why)
            *why = QStringLiteral("システム予約費目です。削除できません。\r「表示する」のチェックをはずして非表示にしてくだい。");
        return false;
    }
    const int code = r.code();
    if (code <= 0)
        return true;
    static const QStringList uses{
        QStringLiteral("SELECT 1 FROM Master WHERE KARICODE = ?1 OR KASICODE = ?1 LIMIT 1"),
        QStringLiteral("SELECT 1 FROM HinmeiList WHERE HIMOKUCODE = ?1 LIMIT 1"),
        QStringLiteral("SELECT 1 FROM ShopList WHERE HIMOKUCODE = ?1 LIMIT 1"),
        QStringLiteral("SELECT 1 FROM ReserveList WHERE KARICODE = ?1 OR KASICODE = ?1 LIMIT 1"),
        QStringLiteral("SELECT 1 FROM SimebiList WHERE CODE = ?1 LIMIT 1")};
    for (const QString &sql : uses) {
        Statement st(m_db, sql);
        st.bind(1, code);
        if (st.next()) {
            if (why)
                *why = QStringLiteral("このデータは既に使用されていますので削除できません。\r"
                                      "「表示する」のチェックをはずして非表示にしてくだい。");
            return false;
        }
    }
    return true;
}

void THimokuRows::removeRow(int index)
{
    const int code = m_rows.at(index).code();
    if (!m_rows.at(index).inserted && code > 0)
        m_deletedCodes.append(code);
    m_rows.removeAt(index);
    renumber();
}

void THimokuRows::cancelAll()
{
    load(m_kind, m_showHidden);
}

bool THimokuRows::save(QString *why)
{
    bool anyVisible = false;
    for (const THimokuRow &r : m_rows)
        anyVisible = anyVisible || r.visible();
    if (!anyVisible) {
        if (why)
            *why = QStringLiteral("設定を空にしないでください");
        return false;
    }
    if (!hasChanges())
        return true;
    const QStringList cols = columns();
    QList<std::pair<int, int>> newCodes; // row index, code
    const bool saved = SaveInTransaction(m_db, [&] {
        for (int code : std::as_const(m_deletedCodes)) {
            Statement st(m_db, QStringLiteral("DELETE FROM Himoku WHERE CODE = ?"));
            st.bind(1, code);
            st.exec();
        }
        for (int i = 0; i < m_rows.size(); ++i) {
            const THimokuRow &r = m_rows.at(i);
            if (r.inserted) {
                int code = 0;
                // A counter that fell behind the table must not hand out a
                // code some row already has.
                do {
                    code = RecordNumbers::GetNewDataNo(m_db, QStringLiteral("Himoku.db"));
                } while (m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM Himoku WHERE CODE = ?"), {code}).toInt() > 0);
                newCodes.append({i, code});
                QStringList marks;
                for (int c = 0; c < cols.size(); ++c)
                    marks << QStringLiteral("?");
                Statement st(m_db, QStringLiteral("INSERT INTO Himoku (") + cols.join(QLatin1Char(','))
                                       + QStringLiteral(") VALUES (") + marks.join(QLatin1Char(',')) + QLatin1Char(')'));
                for (int c = 0; c < cols.size(); ++c)
                    st.bind(c + 1, c == 0 ? QVariant(code) : toDb(cols.at(c), r.v.value(cols.at(c))));
                st.exec();
            } else if (r.modified) {
                QStringList sets;
                for (int c = 1; c < cols.size(); ++c)
                    sets << cols.at(c) + QStringLiteral(" = ?");
                Statement st(m_db, QStringLiteral("UPDATE Himoku SET ") + sets.join(QLatin1Char(','))
                                       + QStringLiteral(" WHERE CODE = ?"));
                for (int c = 1; c < cols.size(); ++c)
                    st.bind(c, toDb(cols.at(c), r.v.value(cols.at(c))));
                st.bind(int(cols.size()), r.code());
                st.exec();
            }
        }
        if (m_group.modified) {
            Statement st(m_db, QStringLiteral("UPDATE Himoku SET SIMEBI = ?, SIMESHIFT = ?, SIMEHOLIDAYSHIFT = ?, "
                                              "SIMEADDDAY = ?, SIMEHISTROY = ? WHERE CODE = ?"));
            int n = 0;
            for (const char *c : {"SIMEBI", "SIMESHIFT", "SIMEHOLIDAYSHIFT", "SIMEADDDAY", "SIMEHISTROY"})
                st.bind(++n, toDb(QLatin1String(c), m_group.v.value(QLatin1String(c))));
            st.bind(++n, m_kind);
            st.exec();
        }
    }, why);
    if (!saved)
        return false;
    // Committed: only now do the held rows take their codes and lose their marks.
    for (const auto &[index, code] : newCodes)
        m_rows[index].v.insert(kCode, code);
    for (THimokuRow &r : m_rows) {
        r.inserted = false;
        r.modified = false;
    }
    m_group.modified = false;
    m_deletedCodes.clear();
    return true;
}
