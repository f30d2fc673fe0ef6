#pragma once

// A book from the shipped template, open in the data module, for the import
// and export tests; and a snapshot of every table to compare books row by row.

#include <QtTest>

#include "BookFixture.h"
#include "data/HimokuCache.h"
#include "platform/db/Database.h"

namespace ImportFixture {

// Every row of every table of the book as text, table by table.
inline QStringList snapshot(Database &db)
{
    QStringList rows;
    for (const QString &table : db.tableNames()) {
        Statement st(db, QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table));
        while (st.next()) {
            QStringList cells{table};
            for (int c = 0; c < st.columnCount(); ++c)
                cells << (st.isNull(c) ? QStringLiteral("<null>") : st.textValue(c));
            rows << cells.join(QLatin1Char('|'));
        }
    }
    return rows;
}

inline int scalarInt(Database &db, const QString &sql, const QVariantList &params = {})
{
    return db.scalar(sql, params).toInt();
}

inline QByteArray utf8(const QString &s)
{
    return s.toUtf8();
}

} // namespace ImportFixture
