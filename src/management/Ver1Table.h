#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "platform/system/Exception.h"

// A first-version table that cannot be used: missing, damaged or without a
// field the conversion needs. The message names the file and is meant for the
// user as it stands.
class EVer1DataError : public Exception
{
public:
    using Exception::Exception;
};

// One table of the first version (a Paradox table in Shift-JIS), read whole.
// Texts come back as QString, dates as QDate, numbers as double, integers as
// int; an empty field is an invalid QVariant. Field names are the table's own,
// decoded from Shift-JIS.
//
//     Ver1Table t = Ver1Table::read(folder, u"店名.db"_s, {u"分類名"_s, u"店名"_s});
//     for (int r = 0; r < t.rowCount(); ++r) t.text(r, u"店名"_s);
class Ver1Table
{
public:
    // Reads folder/fileName; every name of required must be a field of it.
    // Throws EVer1DataError naming the file when it is missing, when its
    // header or length is not that of a table, or when a field is missing.
    static Ver1Table read(const QString &folder, const QString &fileName, const QStringList &required);

    QString fileName() const { return m_fileName; }
    QStringList fieldNames() const { return m_fields; }
    bool hasField(const QString &name) const { return m_fields.contains(name); }
    int rowCount() const { return int(m_rows.size()); }

    QVariant value(int row, const QString &field) const;
    QString text(int row, const QString &field) const { return value(row, field).toString(); }
    QDate date(int row, const QString &field) const { return value(row, field).toDate(); }
    double number(int row, const QString &field) const { return value(row, field).toDouble(); }

private:
    QString m_fileName;
    QStringList m_fields;
    QList<QVariantList> m_rows;
};
