#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/ui/DialogScript.h"
#include "platform/ui/Dialogs.h"

// Scripted answers for every dialog the code under test shows. Make one at the
// start of a test, queue the answers in the order the dialogs will come, run the
// code. A dialog with no answer, or whose kind or text does not fit, throws
// EUnexpectedDialog inside the code under test and is kept in failures(); when
// the queue goes out of scope with answers left or failures recorded, the
// current test fails with the dialogs' texts.
//
//     DialogQueue dialogs;
//     dialogs.answer(mrYes, "削除しますか").errorBox("使用できません");
//     ... code under test ...
//     QVERIFY(dialogs.done());
class DialogQueue
{
public:
    DialogQueue();
    ~DialogQueue();
    DialogQueue(const DialogQueue &) = delete;
    DialogQueue &operator=(const DialogQueue &) = delete;

    // A message dialog (MessageDlg, ShowMessage) answered with a ModalResult;
    // expectText, when given, must be part of its text.
    DialogQueue &answer(int modalResult, const QString &expectText = QString());
    // The standard error box of an exception that reached the event loop.
    DialogQueue &errorBox(const QString &expectText = QString());
    // The input box answered OK with text, or cancelled.
    DialogQueue &input(const QString &text, const QString &expectPrompt = QString());
    DialogQueue &cancelInput(const QString &expectPrompt = QString());
    // Open, save and folder dialogs answered with a path; an empty path cancels.
    DialogQueue &openFile(const QString &path);
    DialogQueue &saveFile(const QString &path);
    DialogQueue &folder(const QString &path);

    int pending() const;
    QStringList failures() const;
    QList<DialogScript::Shown> shown() const;
    // Texts of the dialogs shown so far.
    QStringList shownTexts() const;
    // True when every answer was used and nothing unexpected came; otherwise
    // false with the reason in `why`.
    bool done(QString *why = nullptr) const;

private:
    DialogQueue &push(DialogScript::Kind kind, int result, const QString &text, const QString &expect);
};
