#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

class Database;
class Statement;

// One row of "Himoku.db" as the settings dialog edits it: every column by its
// name, plus the row's number in the order list (LcIndex), which tells rows
// apart before a new one has a code.
struct THimokuRow
{
    QVariantMap v;
    int lcIndex = 0;
    bool inserted = false;
    bool modified = false;

    int code() const { return v.value(QStringLiteral("CODE")).toInt(); }
    QString name() const { return v.value(QStringLiteral("NAME")).toString(); }
    bool visible() const { return v.value(QStringLiteral("VISIBLE")).toBool(); }
    bool system() const { return v.value(QStringLiteral("SYSTEM")).toBool(); }
    int pos() const { return v.value(QStringLiteral("POS")).toInt(); }
    QVariant value(const QString &column) const { return v.value(column); }
    // Sets a column; a value equal to the held one changes nothing.
    void set(const QString &column, const QVariant &value);
};

// The categories (page kind 1 income, 2 expense) or accounts (3) of the open
// book as the settings dialog edits them. Edits stay here until save(), which
// writes them all in one transaction; nothing of the book changes before.
//
// Rows are kept in the order list's order: visible rows first, then hidden ones,
// each group as POS orders it. The order list shows the visible rows, or every
// row when hidden ones are shown too; the rows it shows carry POS = their line
// in it (0, 1, 2 ...), hidden rows left out keep their POS.
class THimokuRows
{
public:
    explicit THimokuRows(Database &db);

    // Reads the page's rows (the group rows 1 to 3 belong to the closing-day
    // group, not to the list) and renumbers the shown rows.
    void load(int pageKind, bool showHidden);
    int pageKind() const { return m_kind; }
    bool showHidden() const { return m_showHidden; }
    void setShowHidden(bool show);

    const QList<THimokuRow> &rows() const { return m_rows; }
    THimokuRow &row(int index) { return m_rows[index]; }
    // The page's group row (code = page kind): the closing day of the page.
    THimokuRow &group() { return m_group; }
    int indexOfLc(int lcIndex) const;
    int indexOfCode(int code) const;
    // The rows the order list shows, as indexes into rows(), in list order.
    QList<int> shown() const;
    bool hasChanges() const;

    // Moves the shown row at list line `from` to line `to` (both from 0) and
    // renumbers POS; false when either line is outside the list.
    bool moveShown(int from, int to);
    // POS of every shown row := its line; a change makes the row modified.
    void renumber();

    // The first free name stem + n (n from 1), looked up in the whole table
    // and among the rows held here.
    QString newName(const QString &stem) const;
    // Adds a new row of the page kind with the new-row defaults, named from
    // `stem`, at list line `atLine` (-1: at the end); gives its index.
    int addRow(const QString &stem, int atLine, int firstAccount);
    // Whether the row at `index` may be called `name`; otherwise false with
    // the message to show. Names are unique over every page kind.
    bool nameFree(int index, const QString &name, QString *why) const;
    // Whether the row at `index` may be deleted; otherwise false with the
    // message to show. Rows not yet saved always may.
    bool canDelete(int index, QString *why) const;
    void removeRow(int index);
    // Drops every pending change: the rows as the book holds them.
    void cancelAll();

    // Writes every pending change in one transaction: new rows get their
    // codes, deleted rows go, changed rows are updated. False, with the
    // message in `why`, when the page has no visible row or the book refused;
    // the rows and their pending changes are then as before.
    bool save(QString *why);

    static QStringList columns();

private:
    QVariantMap defaults(int firstAccount) const;
    Database &m_db;
    int m_kind = 2;
    bool m_showHidden = false;
    int m_lcCount = 0;
    QList<THimokuRow> m_rows;
    THimokuRow m_group;
    QList<int> m_deletedCodes;
};
