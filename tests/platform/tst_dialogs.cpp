#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "DialogQueue.h"
#include "platform/system/Exception.h"
#include "platform/db/Abort.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/IdleHook.h"
#include "platform/ui/InputMethod.h"
#include "platform/ui/WaitCursor.h"

namespace {
// An object whose event handler throws what it is told to.
class Thrower : public QObject
{
public:
    std::function<void()> action;
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) {
            action();
            return true;
        }
        return QObject::event(e);
    }
};
} // namespace

// Message dialogs with their buttons and captions, the scripted answers tests
// rely on, and what happens to exceptions that reach the event loop.
class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void scriptedAnswersInOrder()
    {
        DialogQueue dialogs;
        dialogs.answer(mrYes, QStringLiteral("削除")).answer(mrCancel).input(QStringLiteral("家計簿2"))
            .cancelInput().openFile(QStringLiteral("/x/a.pbk")).saveFile(QString()).folder(QStringLiteral("/books"));
        QCOMPARE(MessageDlg(QStringLiteral("削除しますか？"), MsgDlgType::Confirmation, mbYesNo), int(mrYes));
        QCOMPARE(MessageDlg(QStringLiteral("保存しますか？"), MsgDlgType::Warning, mbYesNoCancel), int(mrCancel));
        QString name = QStringLiteral("old");
        QVERIFY(InputQuery(QStringLiteral("新規"), QStringLiteral("名前"), name));
        QCOMPARE(name, QStringLiteral("家計簿2"));
        QCOMPARE(InputBox(QStringLiteral("新規"), QStringLiteral("名前"), QStringLiteral("def")), QStringLiteral("def"));
        QCOMPARE(OpenFileDialog(nullptr, QStringLiteral("開く"), QString(), QString()), QStringLiteral("/x/a.pbk"));
        QVERIFY(SaveFileDialog(nullptr, QStringLiteral("保存"), QString(), QString()).isEmpty());
        QCOMPARE(SelectFolderDialog(nullptr, QStringLiteral("フォルダ"), QString()), QStringLiteral("/books"));
        QVERIFY(dialogs.done());
        QCOMPARE(dialogs.shown().first().caption, QStringLiteral("確認"));
        QCOMPARE(dialogs.shown().at(1).caption, QStringLiteral("警告"));
    }

    void helpSaysNoHelpFile()
    {
        DialogQueue dialogs;
        dialogs.answer(mrOk, QStringLiteral("ヘルプファイルはインストールされていません。"));
        ShowHelp(1234);
        QVERIFY(dialogs.done());
        QCOMPARE(dialogs.shown().first().caption, QStringLiteral("情報"));
    }

    void unexpectedDialogFailsWithItsText_data()
    {
        QTest::addColumn<bool>("queueAnswer");
        QTest::addColumn<QString>("reason");
        QTest::newRow("nothing queued") << false << "unexpected message dialog";
        QTest::newRow("other text expected") << true << "expected text containing \"別の\"";
    }
    void unexpectedDialogFailsWithItsText()
    {
        QFETCH(bool, queueAnswer);
        QFETCH(QString, reason);
        DialogScript::start();
        if (queueAnswer)
            DialogScript::push({DialogScript::Kind::Message, mrOk, QString(), QStringLiteral("別の")});
        try {
            MessageDlg(QStringLiteral("ファイルが壊れています。"), MsgDlgType::Error, mbOK);
            QFAIL("the dialog did not throw");
        } catch (const EUnexpectedDialog &e) {
            QVERIFY2(e.message().contains(QStringLiteral("ファイルが壊れています。")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
        QCOMPARE(DialogScript::failures().size(), 1);
        QVERIFY(DialogScript::failures().first().contains(QStringLiteral("ファイルが壊れています。")));
        DialogScript::stop();
    }

    void wrongKindOfDialogFails()
    {
        DialogScript::start();
        DialogScript::push({DialogScript::Kind::Input, mrOk, QStringLiteral("x"), QString()});
        QVERIFY_THROWS_EXCEPTION(EUnexpectedDialog, MessageDlg(QStringLiteral("t"), MsgDlgType::Information, mbOK));
        DialogScript::stop();
    }

    void offscreenWithoutScriptRefuses()
    {
        // Nobody could press a button: the dialog must not wait for ever.
        QVERIFY_THROWS_EXCEPTION(EUnexpectedDialog, MessageDlg(QStringLiteral("誰も答えない"), MsgDlgType::Information, mbOK));
    }

    // The real window: captions of the kinds, Japanese button texts, and which
    // button Escape means.
    void realMessageBox_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<uint>("buttons");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("press");     // a button text, or "<escape>"
        QTest::addColumn<int>("result");
        QTest::newRow("confirmation yes/no/cancel")
            << int(MsgDlgType::Confirmation) << uint(mbYesNoCancel) << "確認"
            << QStringList{"はい", "いいえ", "キャンセル"} << "いいえ" << int(mrNo);
        QTest::newRow("escape is cancel")
            << int(MsgDlgType::Warning) << uint(mbYesNoCancel) << "警告"
            << QStringList{"はい", "いいえ", "キャンセル"} << "<escape>" << int(mrCancel);
        QTest::newRow("escape is no without cancel")
            << int(MsgDlgType::Confirmation) << uint(mbYesNo) << "確認"
            << QStringList{"はい", "いいえ"} << "<escape>" << int(mrNo);
        QTest::newRow("batch replacement")
            << int(MsgDlgType::Confirmation) << uint(mbYes | mbNo | mbAbort | mbYesToAll) << "確認"
            << QStringList{"はい", "いいえ", "中止", "すべてはい"} << "すべてはい" << int(mrYesToAll);
        QTest::newRow("abort") << int(MsgDlgType::Confirmation) << uint(mbYes | mbNo | mbAbort) << "確認"
            << QStringList{"はい", "いいえ", "中止"} << "中止" << int(mrAbort);
        QTest::newRow("error ok") << int(MsgDlgType::Error) << uint(mbOK) << "エラー"
            << QStringList{"OK"} << "OK" << int(mrOk);
        QTest::newRow("information ok/cancel") << int(MsgDlgType::Information) << uint(mbOKCancel) << "情報"
            << QStringList{"OK", "キャンセル"} << "OK" << int(mrOk);
        QTest::newRow("help stays open") << int(MsgDlgType::Confirmation) << uint(mbYes | mbNo | mbHelp) << "確認"
            << QStringList{"はい", "いいえ", "ヘルプ"} << "はい" << int(mrYes);
    }
    void realMessageBox()
    {
        QFETCH(int, type);
        QFETCH(uint, buttons);
        QFETCH(QString, caption);
        QFETCH(QStringList, texts);
        QFETCH(QString, press);
        QFETCH(int, result);
        DialogScript::setRefuseUnscripted(false);
        QString seenCaption, seenBody;
        QStringList seenTexts;
        bool helpLeftItOpen = false;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seenCaption = box->windowTitle();
            seenBody = box->text();
            QPushButton *target = nullptr;
            for (QAbstractButton *b : box->buttons()) {
                seenTexts << b->text();
                if (b->text() == press)
                    target = qobject_cast<QPushButton *>(b);
                if (b->text() == QStringLiteral("ヘルプ")) {
                    // The help note is itself a modal box: close it, then check.
                    QTimer::singleShot(0, box, [] {
                        if (auto *note = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                            note->accept();
                    });
                    b->click();
                    helpLeftItOpen = box->isVisible();
                }
            }
            if (press == QLatin1String("<escape>"))
                QTest::keyClick(box, Qt::Key_Escape);
            else if (target)
                target->click();
        });
        const int got = MessageDlg(QStringLiteral("本文\r二行目"), MsgDlgType(type), buttons);
        DialogScript::setRefuseUnscripted(true);
        QCOMPARE(seenCaption, caption);
        QCOMPARE(seenBody, QStringLiteral("本文\n二行目")); // "\r" breaks the line as written
        seenTexts.sort();
        texts.sort();
        QCOMPARE(seenTexts, texts);
        QCOMPARE(got, result);
        if (buttons & mbHelp)
            QVERIFY(helpLeftItOpen);
    }

    // Exceptions that leave an event handler: EAbort says nothing, anything else
    // is shown in the standard error box, and the loop goes on.
    void exceptionsReachingTheLoop_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown"); // empty: no box
        QTest::newRow("abort is silent") << 0 << "";
        QTest::newRow("own exception") << 1 << "書き込めません。";
        QTest::newRow("std exception") << 2 << "engine said no";
        QTest::newRow("anything else") << 3 << "不明なエラーが発生しました。";
    }
    void exceptionsReachingTheLoop()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        DialogQueue dialogs;
        if (!shown.isEmpty())
            dialogs.errorBox(shown);
        Thrower thrower;
        thrower.action = [kind] {
            switch (kind) {
            case 0: Abort();
            case 1: throw Exception(QStringLiteral("書き込めません。"));
            case 2: throw std::runtime_error("engine said no");
            default: throw 42;
            }
        };
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        bool after = false;
        QTimer::singleShot(0, this, [&] { after = true; });
        QTRY_VERIFY(after);
        QVERIFY(dialogs.done());
        QCOMPARE(dialogs.shown().size(), shown.isEmpty() ? 0 : 1);
    }

    // Idle comes when a real event loop runs out of events and is about to wait.
    void idleHook()
    {
        QEventLoop loop;
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); }); // fails the test, never waited out
        auto connection = connect(IdleHook::instance(), &IdleHook::idle, &loop, [&] { loop.exit(0); });
        QCOMPARE(loop.exec(), 0);
        disconnect(connection);

        // An exception in idle work is shown like any other, and idle goes on.
        DialogQueue dialogs;
        dialogs.errorBox(QStringLiteral("idle broke"));
        bool thrown = false;
        connection = connect(IdleHook::instance(), &IdleHook::idle, &loop, [&] {
            if (!thrown) {
                thrown = true;
                QTimer::singleShot(0, &loop, [] {}); // something to wake the loop again
                throw Exception(QStringLiteral("idle broke"));
            }
            loop.exit(0);
        });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);
        disconnect(connection);
        QVERIFY(thrown);
        QVERIFY(dialogs.done());
    }

    void waitCursorNestsAndSurvivesExceptions()
    {
        QVERIFY(!QGuiApplication::overrideCursor());
        {
            WaitCursor outer;
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            try {
                WaitCursor inner;
                throw Exception(QStringLiteral("x"));
            } catch (const Exception &) {
            }
            QVERIFY(QGuiApplication::overrideCursor());
        }
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void inputMethodSwitch()
    {
        QLineEdit edit;
        SetInputMethodOff(&edit);
        QVERIFY(!edit.testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(edit.inputMethodHints() & Qt::ImhPreferNumbers);
        SetInputMethodOn(&edit);
        QVERIFY(edit.testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(!(edit.inputMethodHints() & Qt::ImhPreferNumbers));
    }
};

int main(int argc, char **argv)
{
    Application app(argc, argv);
    TestDialogs test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_dialogs.moc"
