#pragma once

#include <memory>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include "controls/MyDBGrid.h"
#include "main/OldValueHeader.h"

class DataSet;
class Field;

// The previous value of one grid column.
struct TOldDataRec
{
    QString FieldName;
    QVariant Value;
    QString Text;
};

// Keeps the value last entered in each column of a journal page's detail grid
// and shows it in the header over the column, so one click repeats it in the
// current or a new line. The header's sections follow the grid's visible
// columns from its left column on; the first section stands over the
// indicator. Until bound to a header and a grid every call does nothing.
class TOldDataClass
{
public:
    TOldDataClass() = default;

    void Bind(TOldValueHeader *header, TMyDBGrid *grid);
    bool bound() const { return m_header && m_grid; }
    // One empty record per grid column (visible or not).
    void ResetValues();
    void RebuildSections();
    // After column widths changed or the grid scrolled sideways.
    void Relayout();
    // A field of the grid's data set changed: its value is remembered (unless
    // suspended) and its section shows the field's text.
    void FieldChanged(Field &field);
    void ShowFieldText(Field &field);
    // The record of a field name; throws "No Data" when the grid has no column for it.
    TOldDataRec &FindRec(const QString &fieldName);
    // Writes a section's remembered value into the current line (left in edit
    // state for the caller to post). False when nothing was written.
    bool ApplyValue(int sectionIndex);
    // The grid column of a section: -1 for the first section and past the last.
    int ColumnOfSection(int sectionIndex) const;
    int ColumnIdOfSection(int sectionIndex) const;
    QString FieldOfSection(int sectionIndex) const;

    bool Suspended = false;

private:
    struct Entry
    {
        int id;
        int column;
    };
    QPointer<TOldValueHeader> m_header;
    QPointer<TMyDBGrid> m_grid;
    QList<TOldDataRec> m_recs;
    QList<Entry> m_entries;
    // The context of the grid's signals: they end with this object, not
    // with the widgets that outlive it while a page is taken down.
    std::unique_ptr<QObject> m_context = std::make_unique<QObject>();
};
