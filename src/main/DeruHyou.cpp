#include "main/DeruHyou.h"

#include "platform/db/LocalSql.h"
#include "platform/db/Database.h"

QString BookedLinesCondition()
{
    return QStringLiteral("(COALESCE(RESERVED, 0) = 0)");
}

QString MonthSumsSql(const QString &codeField, bool includeReserved)
{
    // Only the two side columns are allowed: the name goes into the text.
    const QString code = codeField.compare(QLatin1String("KASICODE"), Qt::CaseInsensitive) == 0
                             ? QStringLiteral("KASICODE")
                             : QStringLiteral("KARICODE");
    QString sql = QStringLiteral("SELECT RECDATE, %1, SUM(KINGAKU) FROM \"Master.DB\" "
                                 "WHERE (RECDATE BETWEEN :StartDate AND :EndDate) AND (%1 IS NOT NULL)")
                      .arg(code);
    if (!includeReserved)
        sql += QStringLiteral(" AND ") + BookedLinesCondition();
    sql += QStringLiteral(" GROUP BY RECDATE, %1").arg(code);
    return LocalSql::translate(sql);
}

QList<TDayCodeSum> ReadMonthSums(Database &db, const QDate &start, const QDate &end, const QString &codeField,
                                 bool includeReserved)
{
    QList<TDayCodeSum> sums;
    if (!start.isValid() || !end.isValid() || end < start)
        return sums;
    Statement st(db, MonthSumsSql(codeField, includeReserved));
    st.bind(QStringLiteral(":StartDate"), start);
    st.bind(QStringLiteral(":EndDate"), end);
    while (st.next()) {
        TDayCodeSum s;
        s.Date = QDate::fromString(st.textValue(0), Qt::ISODate);
        s.Code = int(st.intValue(1));
        s.Amount = Currency::fromDouble(st.doubleValue(2));
        if (s.Date.isValid())
            sums << s;
    }
    return sums;
}
