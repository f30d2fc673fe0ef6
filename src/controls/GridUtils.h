#pragma once

#include <QColor>
#include <QString>

class QAction;
class QFont;
class TMyDBGrid;
class TShapeBtn;

// Routines for the data grids and shaped buttons that every page shares, kept
// in one place so that the pages do not each grow their own variant.

// True while the grid's in-place editor is open. With an action, its visibility
// follows: shown while editing when visibleWhileEditing, else shown while not.
bool IsGridEditing(const TMyDBGrid *grid, QAction *action = nullptr, bool visibleWhileEditing = true);
// Shows or hides the first column whose field name equals field (case
// ignored); a non-empty title becomes its caption. False when no column has it.
bool SetGridColumnVisible(TMyDBGrid *grid, const QString &field, bool visible, const QString &title = QString());
// The font of the grid's cells and of its titles.
void SetGridFont(TMyDBGrid *grid, const QFont &font);
// Columns with an odd index get colour a, the others colour b.
void AlternateColumnColors(TMyDBGrid *grid, const QColor &a, const QColor &b);
// The colours of a shaped button, in the order its painting uses them.
void SetShapeBtnColors(TShapeBtn *button, const QColor &color, const QColor &downColor, const QColor &downEdgeColor,
                       const QColor &shadowCornerColor, const QColor &shadowWallColor, const QColor &upEdgeColor,
                       const QColor &hotColor);
