#include "platform/ui/DialogScript.h"

#include <cstdio>

#include <QGuiApplication>
#include <QQueue>

namespace {
struct ScriptState
{
    bool active = false;
    QQueue<DialogScript::Answer> queue;
    QList<DialogScript::Shown> shown;
    QStringList failures;
};

bool refuseUnscripted = true;

ScriptState &state()
{
    static ScriptState s;
    return s;
}

bool headless()
{
    return refuseUnscripted && (QGuiApplication::platformName() == QLatin1String("offscreen")
        || qgetenv("QT_QPA_PLATFORM") == "offscreen");
}

QString describe(DialogScript::Kind kind, const QString &caption, const QString &text)
{
    return QStringLiteral("%1 「%2」: %3").arg(DialogScript::kindName(kind), caption, text);
}
} // namespace

void DialogScript::setRefuseUnscripted(bool refuse)
{
    refuseUnscripted = refuse;
}

void DialogScript::start()
{
    ScriptState &s = state();
    s = ScriptState();
    s.active = true;
}

void DialogScript::stop()
{
    state() = ScriptState();
}

bool DialogScript::isActive()
{
    return state().active;
}

void DialogScript::push(const Answer &answer)
{
    state().queue.enqueue(answer);
}

int DialogScript::pending()
{
    return int(state().queue.size());
}

QList<DialogScript::Shown> DialogScript::shown()
{
    return state().shown;
}

QStringList DialogScript::failures()
{
    return state().failures;
}

QString DialogScript::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Any: return QStringLiteral("any dialog");
    case Kind::Message: return QStringLiteral("message dialog");
    case Kind::Input: return QStringLiteral("input box");
    case Kind::OpenFile: return QStringLiteral("open dialog");
    case Kind::SaveFile: return QStringLiteral("save dialog");
    case Kind::Folder: return QStringLiteral("folder dialog");
    case Kind::ErrorBox: return QStringLiteral("standard error box");
    }
    return QString();
}

namespace {
// The reason the next answer does not fit, or an empty text when it does.
QString mismatch(const ScriptState &s, DialogScript::Kind kind, const QString &text)
{
    if (s.queue.isEmpty())
        return QStringLiteral("unexpected ");
    const DialogScript::Answer &a = s.queue.head();
    if (a.kind != DialogScript::Kind::Any && a.kind != kind)
        return QStringLiteral("expected %1, got ").arg(DialogScript::kindName(a.kind));
    if (!a.expect.isEmpty() && !text.contains(a.expect))
        return QStringLiteral("expected text containing \"%1\", got ").arg(a.expect);
    return QString();
}
} // namespace

bool DialogScript::answerFor(Kind kind, const QString &caption, const QString &text, Answer *answer)
{
    ScriptState &s = state();
    if (!s.active) {
        if (!headless())
            return false;
        const QString what = QStringLiteral("unanswered ") + describe(kind, caption, text);
        std::fprintf(stderr, "%s\n", qPrintable(what));
        throw EUnexpectedDialog(what);
    }
    s.shown.append({kind, caption, text});
    const QString why = mismatch(s, kind, text);
    if (!why.isEmpty()) {
        const QString what = why + describe(kind, caption, text);
        s.failures.append(what);
        throw EUnexpectedDialog(what);
    }
    *answer = s.queue.dequeue();
    return true;
}

bool DialogScript::answerErrorBox(const QString &caption, const QString &text)
{
    ScriptState &s = state();
    if (!s.active) {
        if (!headless())
            return false;
        std::fprintf(stderr, "%s\n", qPrintable(describe(Kind::ErrorBox, caption, text)));
        return true;
    }
    s.shown.append({Kind::ErrorBox, caption, text});
    const QString why = mismatch(s, Kind::ErrorBox, text);
    if (!why.isEmpty())
        s.failures.append(why + describe(Kind::ErrorBox, caption, text));
    else
        s.queue.dequeue();
    return true;
}
