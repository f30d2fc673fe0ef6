#pragma once

class QWidget;

// Japanese input on or off for an editor. Dates, codes and amounts are typed in
// plain digits, so their editors switch the input method off; names leave it on.
void SetInputMethodOff(QWidget *editor);
void SetInputMethodOn(QWidget *editor);
// Whether the editor takes Japanese input now.
bool IsInputMethodOpen(const QWidget *editor);
// The keys of a Japanese keyboard that switch the input method on and off
// (半角/全角, 漢字, 英数). Where the input method framework does not take them
// itself, the editor that gets one switches its own input method.
bool IsInputMethodToggleKey(int key);
