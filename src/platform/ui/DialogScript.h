#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/system/Exception.h"

// Scripted answers for the dialogs of platform/ui. While a script is active
// every dialog takes the next answer from the queue instead of showing a window.
// A dialog with no answer left, or one whose text or kind does not fit the
// answer, is recorded as a failure (with its text) and throws EUnexpectedDialog
// so the code under test stops there and the test sees why.
//
// Without an active script, on the offscreen platform (tests, CI) nobody could
// answer a dialog: it is printed to stderr and treated as unexpected as well,
// rather than blocking for ever.
class DialogScript
{
public:
    enum class Kind { Any, Message, Input, OpenFile, SaveFile, Folder, ErrorBox };

    struct Answer
    {
        Kind kind = Kind::Any;
        int result = 1;      // a ModalResult: mrOk, mrYes, mrCancel, ...
        QString text;        // typed text (input box) or chosen path (file dialogs)
        QString expect;      // when not empty, the dialog's text must contain it
    };

    struct Shown
    {
        Kind kind;
        QString caption;
        QString text;
    };

    static void start();
    static void stop();
    static bool isActive();

    static void push(const Answer &answer);
    // Answers not yet used.
    static int pending();
    // Every dialog shown since start(), in order.
    static QList<Shown> shown();
    // Descriptions of unexpected or mismatched dialogs since start().
    static QStringList failures();

    // Used by the dialogs themselves. Gives the answer for a dialog that is about
    // to be shown; throws EUnexpectedDialog when there is none that fits. Returns
    // false when no script is active and a real window may be shown.
    static bool answerFor(Kind kind, const QString &caption, const QString &text, Answer *answer);
    // The standard error box cannot throw (it runs where exceptions end); it
    // records a failure instead when no answer fits.
    static bool answerErrorBox(const QString &caption, const QString &text);

    static QString kindName(Kind kind);

    // On the offscreen platform an unscripted dialog is refused (see above); a
    // test that drives a real dialog window switches that off for its duration.
    static void setRefuseUnscripted(bool refuse);
};

class EUnexpectedDialog : public Exception
{
public:
    using Exception::Exception;
};
