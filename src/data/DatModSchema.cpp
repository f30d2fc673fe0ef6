#include "data/DatModSchema.h"

#include "data/BookSchema.h"

namespace DatModSchema {

namespace {

QList<Column> convert(const QList<SchemaField> &defs)
{
    QList<Column> out;
    for (const SchemaField &d : defs)
        out.append(Column{d.name, d.type, d.size, d.calculated});
    return out;
}

} // namespace

QList<TableInfo> tables()
{
    QList<TableInfo> out;
    for (const TableDef &t : BookSchema::tables()) {
        TableInfo info{t.name, t.fileName, t.component, {}, {}};
        for (const IndexDef &i : t.indexes) {
            info.indexNames << i.name;
            info.indexFields << i.fields;
        }
        out.append(info);
    }
    return out;
}

QList<ViewInfo> filteredViews()
{
    QList<ViewInfo> out;
    for (const FilteredView &v : BookSchema::filteredViews())
        out.append(ViewInfo{v.component, v.fileName, v.filter});
    return out;
}

QList<Column> meisaiColumns()
{
    return convert(BookSchema::meisaiFields());
}

QList<Column> receiptCalcColumns()
{
    return convert(BookSchema::receiptCalcFields());
}

QString receiptFilter()
{
    return BookSchema::receiptFilter();
}

int currentLevel()
{
    return BookSchema::Level;
}

void createEmptyBook(Database &db)
{
    BookSchema::createEmptyBook(db);
}

QString databaseFileName()
{
    return BookSchema::databaseFileName();
}

} // namespace DatModSchema
