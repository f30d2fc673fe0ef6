#pragma once

#include <QColor>
#include <QRect>

class QAction;
class QComboBox;
class QPainter;
class QWidget;

// Routines for controls that forms of every page share: focus, and the year and
// month combo boxes whose items carry their number as item data.

// False without a control; focuses it when it can take the focus; true when it
// has the focus afterwards.
bool TrySetFocus(QWidget *control);
// Focuses it when it can take the focus; true when it could.
bool SetFocusIfCan(QWidget *control);

// Selects the item whose data equals the number, else writes the number as the
// combo's text (editable combos) and selects nothing.
void SelectComboNumber(QComboBox *combo, int number);
// Selects the item whose data equals the value; no change when none does.
void SelectComboObject(QComboBox *combo, int value);
// SelectComboObject, then writes the text when the combo shows another one.
void SelectComboObjectText(QComboBox *combo, int value, const QString &text);

// Years from this year - before to this year + after; then, for a plain
// QComboBox only, the given year (0 = this year) is selected or written as text.
void FillYearCombo(QComboBox *combo, int before, int after, int year = 0);
// The twelve months of a fiscal year that starts after the closing month (12
// starts at 1); then, for a plain QComboBox only, the given month (0 = this
// month) is selected.
void FillMonthCombo(QComboBox *combo, int simeTuki, int month = 0);

// The help context of a control (kept as its "helpContext" property).
void SetControlHelpContext(QWidget *control, int context);
// The help context of a control, else of the nearest parent that has one: -1
// without a control, 0 when none up to the window has one.
int HelpContextAt(const QWidget *control);

// Owner-drawn pop-up menus of the pages. A separator is 3 pixels high; any other
// item the given height times factor (truncated).
void MeasureMenuItem(const QAction *item, int &height, double factor);
// Paints one item: the background in the selected colour (selected and enabled)
// or the normal colour; a separator as an etched line; a selected enabled item
// with a raised 1-pixel frame; the icon 1 pixel from the left with the caption
// icon width + 8 further (5 in without an icon); an enabled caption in blue when
// selected, black otherwise; a disabled caption embossed.
void DrawMenuItem(QPainter &painter, const QAction *item, const QRect &rect, bool selected,
                  const QColor &selectedColor, const QColor &normalColor, int iconSize = 16);
