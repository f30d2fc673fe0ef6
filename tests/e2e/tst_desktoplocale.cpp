#include <cstdlib>

#include <sys/stat.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "data/HimokuCache.h"
#include "data/ModalForm.h"
#include "main/Startup.h"
#include "management/FormFirstUse.h"
#include "platform/db/Field.h"

using namespace Qt::StringLiterals;

// The program started as on a desktop whose locale is C.UTF-8 (set before the
// application exists, see main below) and whose file mask lets others read:
// its own start-up makes it Japanese and private all the same.
class TestDesktopLocale : public QObject, public JournalPageDriver
{
    Q_OBJECT

    Startup *startup = nullptr;

    static int mode(const QString &path)
    {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    }

private slots:
    void init()
    {
        // The program's own start-up comes first, as in the program.
        ::umask(022);
        startup = new Startup;
        startup->prepareApplication();
        makeBook();
    }
    void cleanup()
    {
        dropWorld();
        delete startup;
        startup = nullptr;
        ModalForms::clear();
    }

    // Dates with Japanese weekdays and Qt's standard dialogs in Japanese.
    void japaneseOnACDesktop()
    {
        QCOMPARE(QLocale::system().name(), u"C"_s);
        DialogQueue dialogs;
        TFrameDeru *page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        const int food = GetHimokuCodeByName(u"食費"_s, 2);
        QVERIFY(page->LoadCell(food, -1, false, QDate(2026, 11, 1)));
        newLine(page);
        QCOMPARE(MeisaiClt(*DatMod)->fieldByName(u"RECDATE"_s)->displayText(), u"26.11.01 日"_s);
        QCOMPARE(DateToStr(QDate(2026, 11, 1)), u"26/11/01"_s);

        QFileDialog files(window.get(), QString(), env->path(u"books"_s));
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.show();
        auto *buttons = files.findChild<QDialogButtonBox *>();
        QVERIFY(buttons);
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), u"キャンセル"_s);
        files.reject();
        QVERIFY(dialogs.done());
    }

    // The window shows the program's name once, and no name is added to the
    // titles of windows and dialogs by the platform.
    void titleOnce()
    {
        DialogQueue dialogs;
        QVERIFY(start());
        QCOMPARE(window->windowTitle(), u"ぽむぬろ君v3 Zenit  [家計簿]"_s);
        // Without a display name of its own the application has none to add.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QVERIFY(dialogs.done());
    }

    // Enter closes the welcome note.
    void enterClosesTheWelcomeNote()
    {
        bool closed = false;
        ModalForms::push([&closed](QDialog &note) {
            note.show();
            QTest::keyClick(&note, Qt::Key_Return);
            closed = !note.isVisible() && note.result() == int(mrOk);
            return note.result();
        });
        ShowFirstUseNote(nullptr);
        QVERIFY(closed);
        QCOMPARE(ModalForms::pending(), 0);
    }

    // The book folder, its files, the archive of the automatic backup and the
    // per-user settings are the user's alone.
    void privateFilesWhateverTheMask()
    {
        const QString place = env->path(u"private"_s);
        const QString folder = place + u"/家計簿2"_s;
        QVERIFY(QDir().mkpath(place));
        DialogQueue dialogs;
        dialogs.answer(mrYes, u"復元先のフォルダを作成しますか？"_s);
        QVERIFY(CreateBookFromTemplate(folder));
        // The registered book, opened and closed: its automatic backup.
        QVERIFY(start());
        stop();
        QCOMPARE(mode(folder), 0700);
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
        QVERIFY(!files.isEmpty());
        for (const QFileInfo &f : files)
            QVERIFY2(mode(f.filePath()) == 0600, qPrintable(f.fileName()));
        const QString backups = env->path(u"place/AutoBackUp"_s);
        const QFileInfoList archives = QDir(backups).entryInfoList(QDir::Files);
        QVERIFY(!archives.isEmpty());
        QCOMPARE(mode(backups), 0700);
        for (const QFileInfo &f : archives)
            QVERIFY2(mode(f.filePath()) == 0600, qPrintable(f.fileName()));
        QCOMPARE(mode(env->path(u"config/Kirafu/PomuZenit.ini"_s)), 0600);
        QVERIFY(dialogs.done());
    }
};

int main(int argc, char *argv[])
{
    // The desktop's own locale, whatever the machine running the tests has.
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("LANG", "C.UTF-8");
    qunsetenv("LANGUAGE");
    QApplication app(argc, argv);
    TestDesktopLocale test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktoplocale.moc"
