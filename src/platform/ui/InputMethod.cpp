#include "platform/ui/InputMethod.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QWidget>

void SetInputMethodOff(QWidget *editor)
{
    if (!editor)
        return;
    editor->setAttribute(Qt::WA_InputMethodEnabled, false);
    editor->setInputMethodHints(editor->inputMethodHints() | Qt::ImhPreferNumbers | Qt::ImhLatinOnly
                                | Qt::ImhNoPredictiveText);
    // A focused editor's input method framework learns of the change at once.
    if (editor->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

void SetInputMethodOn(QWidget *editor)
{
    if (!editor)
        return;
    editor->setAttribute(Qt::WA_InputMethodEnabled, true);
    editor->setInputMethodHints(editor->inputMethodHints()
                                & ~(Qt::ImhPreferNumbers | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText));
    if (editor->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

bool IsInputMethodOpen(const QWidget *editor)
{
    return editor && editor->testAttribute(Qt::WA_InputMethodEnabled);
}

bool IsInputMethodToggleKey(int key)
{
    switch (key) {
    case Qt::Key_Zenkaku_Hankaku:
    case Qt::Key_Zenkaku:
    case Qt::Key_Hankaku:
    case Qt::Key_Kanji:
    case Qt::Key_Eisu_toggle:
        return true;
    default:
        return false;
    }
}
