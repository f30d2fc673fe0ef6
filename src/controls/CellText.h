#pragma once

#include <functional>

#include <QString>

class QLineEdit;

// Text rules shared by the grids and edit boxes.

// A one-line text: control characters (line breaks, tabs, …) and the Unicode
// line and paragraph separators are taken out, so a pasted block of lines
// cannot end up inside a name.
QString OneLineText(const QString &text);

// Keeps a line edit to one line whatever is typed or pasted into it.
void KeepOneLine(QLineEdit *edit);

// The text an amount cell shows: the whole amount when it fits in width
// pixels (advance measures a text), otherwise a run of '#' that fits, so a
// cell never shows the tail of a number as if it were the number.
QString FitAmountText(const QString &text, int width, const std::function<int(const QString &)> &advance);
