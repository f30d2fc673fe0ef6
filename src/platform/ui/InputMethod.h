#pragma once

class QWidget;

// Japanese input on or off for an editor. Dates, codes and amounts are typed in
// plain digits, so their editors switch the input method off; names leave it on.
void SetInputMethodOff(QWidget *editor);
void SetInputMethodOn(QWidget *editor);
