#include "controls/GridUtils.h"

#include <QAction>
#include <QFont>
#include <QHeaderView>

#include "controls/MyDBGrid.h"
#include "controls/ShapeBtn.h"

bool IsGridEditing(const TMyDBGrid *grid, QAction *action, bool visibleWhileEditing)
{
    const bool editing = grid && grid->editorMode();
    if (action)
        action->setVisible(visibleWhileEditing ? editing : !editing);
    return editing;
}

bool SetGridColumnVisible(TMyDBGrid *grid, const QString &field, bool visible, const QString &title)
{
    if (!grid)
        return false;
    // The grid's own column list: it exists before the grid has any data.
    const int count = int(grid->columns().size());
    for (int i = 0; i < count; ++i) {
        TMyDBGridColumn c = grid->column(i);
        if (c.fieldName.compare(field, Qt::CaseInsensitive) != 0)
            continue;
        c.visible = visible;
        if (!title.isEmpty())
            c.caption = title;
        grid->setColumn(i, c);
        return true;
    }
    return false;
}

void SetGridFont(TMyDBGrid *grid, const QFont &font)
{
    if (!grid)
        return;
    grid->setFont(font);
    // The titles are painted by the grid with the header's font.
    if (QHeaderView *header = grid->horizontalHeader())
        header->setFont(font);
    if (QHeaderView *rows = grid->verticalHeader())
        rows->setFont(font);
}

void AlternateColumnColors(TMyDBGrid *grid, const QColor &a, const QColor &b)
{
    if (!grid)
        return;
    const int count = int(grid->columns().size());
    for (int i = 0; i < count; ++i) {
        TMyDBGridColumn c = grid->column(i);
        c.color = i % 2 ? a : b;
        grid->setColumn(i, c);
    }
}

void SetShapeBtnColors(TShapeBtn *button, const QColor &color, const QColor &downColor, const QColor &downEdgeColor,
                       const QColor &shadowCornerColor, const QColor &shadowWallColor, const QColor &upEdgeColor,
                       const QColor &hotColor)
{
    if (!button)
        return;
    button->setColor(color);
    button->setDownColor(downColor);
    button->setDownEdgeColor(downEdgeColor);
    button->setShadowCornerColor(shadowCornerColor);
    button->setShadowWallColor(shadowWallColor);
    button->setUpEdgeColor(upEdgeColor);
    button->setHotColor(hotColor);
}
