#include "DialogQueue.h"

#include <QtTest>

DialogQueue::DialogQueue()
{
    DialogScript::start();
}

DialogQueue::~DialogQueue()
{
    QString why;
    const bool ok = done(&why);
    DialogScript::stop();
    if (!ok && QTest::currentTestFunction() && !QTest::currentTestFailed())
        QTest::qFail(qPrintable(QStringLiteral("dialog script: ") + why), __FILE__, __LINE__);
}

DialogQueue &DialogQueue::push(DialogScript::Kind kind, int result, const QString &text, const QString &expect)
{
    DialogScript::push({kind, result, text, expect});
    return *this;
}

DialogQueue &DialogQueue::answer(int modalResult, const QString &expectText)
{
    return push(DialogScript::Kind::Message, modalResult, QString(), expectText);
}

DialogQueue &DialogQueue::errorBox(const QString &expectText)
{
    return push(DialogScript::Kind::ErrorBox, mrOk, QString(), expectText);
}

DialogQueue &DialogQueue::input(const QString &text, const QString &expectPrompt)
{
    return push(DialogScript::Kind::Input, mrOk, text, expectPrompt);
}

DialogQueue &DialogQueue::cancelInput(const QString &expectPrompt)
{
    return push(DialogScript::Kind::Input, mrCancel, QString(), expectPrompt);
}

DialogQueue &DialogQueue::openFile(const QString &path)
{
    return push(DialogScript::Kind::OpenFile, path.isEmpty() ? mrCancel : mrOk, path, QString());
}

DialogQueue &DialogQueue::saveFile(const QString &path)
{
    return push(DialogScript::Kind::SaveFile, path.isEmpty() ? mrCancel : mrOk, path, QString());
}

DialogQueue &DialogQueue::folder(const QString &path)
{
    return push(DialogScript::Kind::Folder, path.isEmpty() ? mrCancel : mrOk, path, QString());
}

int DialogQueue::pending() const
{
    return DialogScript::pending();
}

QStringList DialogQueue::failures() const
{
    return DialogScript::failures();
}

QList<DialogScript::Shown> DialogQueue::shown() const
{
    return DialogScript::shown();
}

QStringList DialogQueue::shownTexts() const
{
    QStringList texts;
    for (const DialogScript::Shown &s : DialogScript::shown())
        texts << s.text;
    return texts;
}

bool DialogQueue::done(QString *why) const
{
    QStringList reasons = DialogScript::failures();
    if (DialogScript::pending() > 0)
        reasons << QStringLiteral("%1 answer(s) never used").arg(DialogScript::pending());
    if (why)
        *why = reasons.join(QStringLiteral("; "));
    return reasons.isEmpty();
}
