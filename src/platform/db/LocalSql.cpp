#include "LocalSql.h"

QString LocalSql::translate(const QString &sql)
{
    return sql;
}

QString LocalSql::tableName(const QString &fileName)
{
    return fileName;
}
