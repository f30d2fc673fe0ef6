#include "main/OldDataClass.h"

#include <QHeaderView>
#include <QScrollBar>

#include "controls/MyDBGrid.h"
#include "data/MeisaiDefaults.h"
#include "main/OldValueHeader.h"
#include "platform/db/DataSet.h"
#include "platform/db/Field.h"
#include "platform/system/Exception.h"

void TOldDataClass::Bind(TOldValueHeader *header, TMyDBGrid *grid)
{
    const bool first = m_grid != grid;
    m_header = header;
    m_grid = grid;
    if (first && grid) {
        // The sections follow the grid's column widths and sideways scrolling.
        QObject::connect(grid->horizontalHeader(), &QHeaderView::sectionResized, m_context.get(), [this] { Relayout(); });
        QObject::connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, m_context.get(), [this] { Relayout(); });
        QObject::connect(grid->horizontalHeader(), &QHeaderView::geometriesChanged, m_context.get(), [this] { Relayout(); });
    }
    ResetValues();
    RebuildSections();
}

void TOldDataClass::ResetValues()
{
    m_recs.clear();
    if (!bound())
        return;
    for (const TMyDBGridColumn &c : m_grid->columns())
        m_recs << TOldDataRec{c.fieldName, QVariant(), QString()};
}

void TOldDataClass::Relayout()
{
    if (bound())
        RebuildSections();
}

void TOldDataClass::RebuildSections()
{
    if (!bound())
        return;
    m_header->clear();
    m_entries.clear();
    // Over the indicator and the frame: up to where the cells begin.
    m_header->addSection(std::max(1, m_grid->viewport()->geometry().left()), QString(), Qt::AlignLeft, false);
    m_entries << Entry{-1, -1};
    const QList<TMyDBGridColumn> cols = m_grid->columns();
    const int left = std::max(0, m_grid->leftCol());
    for (int i = left; i < cols.size(); ++i) {
        if (!cols[i].visible || m_grid->isColumnHidden(i))
            continue;
        QString text;
        Qt::Alignment align = Qt::AlignLeft;
        for (const TOldDataRec &r : std::as_const(m_recs))
            if (r.FieldName == cols[i].fieldName)
                text = r.Text;
        if (Field *f = m_grid->columnField(i);
            f && (f->dataType() == FieldType::Currency || f->dataType() == FieldType::Float))
            align = Qt::AlignRight;
        // The first column shown may be cut at the left edge: its section is what is visible of it.
        int width = m_grid->columnWidth(i);
        if (i == left)
            width = m_grid->horizontalHeader()->sectionViewportPosition(i) + width;
        const int id = m_header->addSection(std::max(1, width), text, align, true);
        m_entries << Entry{id, i};
    }
}

TOldDataRec &TOldDataClass::FindRec(const QString &fieldName)
{
    for (TOldDataRec &r : m_recs)
        if (r.FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return r;
    throw Exception(QStringLiteral("No Data"));
}

void TOldDataClass::FieldChanged(Field &field)
{
    if (!bound())
        return;
    if (!Suspended) {
        for (TOldDataRec &r : m_recs)
            if (r.FieldName.compare(field.fieldName(), Qt::CaseInsensitive) == 0) {
                r.Value = field.value();
                r.Text = field.displayText();
            }
    }
    ShowFieldText(field);
}

void TOldDataClass::ShowFieldText(Field &field)
{
    if (!bound() || m_entries.size() < 2)
        return;
    const QList<TMyDBGridColumn> cols = m_grid->columns();
    for (int i = 1; i < m_entries.size(); ++i) {
        const int column = m_entries[i].column;
        if (column < 0 || column >= cols.size()
            || cols[column].fieldName.compare(field.fieldName(), Qt::CaseInsensitive) != 0)
            continue;
        m_header->setSectionText(m_header->indexOfId(m_entries[i].id), field.displayText());
        return;
    }
}

int TOldDataClass::ColumnOfSection(int sectionIndex) const
{
    if (sectionIndex <= 0 || sectionIndex >= m_entries.size())
        return -1;
    return m_entries[sectionIndex].column;
}

int TOldDataClass::ColumnIdOfSection(int sectionIndex) const
{
    if (sectionIndex <= 0 || sectionIndex >= m_entries.size())
        return -1;
    return m_entries[sectionIndex].id;
}

QString TOldDataClass::FieldOfSection(int sectionIndex) const
{
    const int column = ColumnOfSection(sectionIndex);
    if (!bound() || column < 0 || column >= m_grid->columns().size())
        return QString();
    return m_grid->columns().at(column).fieldName;
}

bool TOldDataClass::ApplyValue(int sectionIndex)
{
    const QString name = FieldOfSection(sectionIndex);
    if (name.isEmpty())
        return false;
    const TOldDataRec &rec = FindRec(name);
    DataSet *ds = m_grid->dataSet();
    if (!ds || !ds->isActive())
        return false;
    Field *field = ds->findField(name);
    if (!field)
        return false;
    ds->edit();
    if (field->dataType() == FieldType::String)
        field->setText(rec.Value.isNull() ? QString() : rec.Value.toString());
    else
        field->setValue(rec.Value);
    if (name == QLatin1String("AiteCode") || name == QLatin1String("SelfCode"))
        SetAiteSelfCode(*field, rec.Value);
    return true;
}
