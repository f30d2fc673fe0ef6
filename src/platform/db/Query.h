#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "platform/db/MemoryDataSet.h"

class Database;

// A named parameter of a query (":Code"), bound by name.
class Param
{
public:
    explicit Param(const QString &name = QString()) : m_name(name) {}
    QString name() const { return m_name; }
    QVariant value() const { return m_value; }
    void setValue(const QVariant &value) { m_value = value; }
    bool isNull() const { return !m_value.isValid() || m_value.isNull(); }
    void clear() { m_value = QVariant(); }
    void setAsInteger(int v) { m_value = qlonglong(v); }
    void setAsFloat(double v) { m_value = v; }
    void setAsCurrency(Currency v) { m_value = QVariant::fromValue(v); }
    void setAsDate(const QDate &v) { m_value = v; }
    void setAsBoolean(bool v) { m_value = v; }
    void setAsString(const QString &v) { m_value = v; }
    int asInteger() const { return m_value.toInt(); }
    QString asString() const { return m_value.toString(); }

    // The parameter of that name in the list, the case and a leading colon
    // not counting; null when there is none.
    static Param *find(QList<Param> &params, const QString &name);

private:
    QString m_name;
    QVariant m_value;
};

// An SQL text as a list of lines, with named parameters. The text is written in
// the book's local-SQL dialect and goes through LocalSql::translate before it is
// prepared, so the texts can stand as the program has them.
//
// Open runs a SELECT and holds its rows in memory (results are lists and pages,
// not whole tables; a Table is the cursor for browsing a large table). ExecSQL
// runs any other statement and sets RowsAffected.
//
// RequestLive makes the result of a SELECT on one table editable: posts and
// deletes write the row back at once (by the table's primary key, or by rowid,
// which the query then reads alongside), and only columns of that table are written.
class Query : public MemoryDataSet
{
public:
    explicit Query(Database &db);
    ~Query() override;

    Database &database() const { return m_db; }

    // The text, one line per entry: SQL.clear(); SQL << "SELECT *" << "FROM \"Himoku.db\"";
    QStringList SQL;
    QString sqlText() const { return SQL.join(QLatin1Char('\n')); }

    // Parameters named in the text, in order of appearance. paramByName makes
    // a parameter the text names; an unknown name throws EDataSetError.
    QList<Param> &params();
    Param &paramByName(const QString &name);
    Param *findParam(const QString &name);

    void execSQL();
    int rowsAffected() const { return m_rowsAffected; }

    bool requestLive() const { return m_live; }
    void setRequestLive(bool live) { m_live = live; }
    // The table a live result writes to; found from the FROM clause unless set.
    QString updateTableName() const { return m_updateTable; }
    void setUpdateTableName(const QString &name) { m_updateTable = name; }
    bool canModify() const override;

protected:
    void internalOpen() override;
    void internalRefresh() override;
    void writeRow(MemoryRow &row, bool inserting, QVector<QVariant> &values) override;
    bool removeRow(MemoryRow &row) override;

private:
    void syncParams();
    QString preparedText() const;

    Database &m_db;
    QList<Param> m_params;
    QString m_paramSource;
    int m_rowsAffected = 0;
    bool m_live = false;
    QString m_updateTable;
    QString m_liveTable;           // SQL name of the table a live result writes
    QString m_liveKey;             // its key column, or empty for rowid
    bool m_readRowId = false;      // a live result on an unkeyed table reads rowid too
    friend class Provider;
};
