#include "platform/ui/InputMethod.h"

#include <QWidget>

void SetInputMethodOff(QWidget *editor)
{
    if (!editor)
        return;
    editor->setAttribute(Qt::WA_InputMethodEnabled, false);
    editor->setInputMethodHints(editor->inputMethodHints() | Qt::ImhPreferNumbers | Qt::ImhLatinOnly
                                | Qt::ImhNoPredictiveText);
}

void SetInputMethodOn(QWidget *editor)
{
    if (!editor)
        return;
    editor->setAttribute(Qt::WA_InputMethodEnabled, true);
    editor->setInputMethodHints(editor->inputMethodHints()
                                & ~(Qt::ImhPreferNumbers | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText));
}
