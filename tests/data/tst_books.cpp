#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "TestEnv.h"
#include "data/BookFolders.h"
#include "data/BookStartup.h"
#include "data/DatMod.h"
#include "data/FormInputNewName.h"
#include "data/FormNewData.h"
#include "data/FormSelectData.h"
#include "data/FormStartData.h"
#include "data/ModalForm.h"
#include "data/MyRegistryIniFile.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"

using namespace Qt::StringLiterals;

// New books from the template, the book list, the start-up opening with zero,
// one and several books, moved folders, copies and the chooser. Books are
// restored from the template into the test's own folder; dialogs and forms are
// answered from queues.
class TestBooks : public QObject, private BookFixture::BookPlace
{
    Q_OBJECT

private:
    static constexpr int CopyAllRows = TFormNewData::CopyAll;

    // Books made here are registered without becoming the current one.
    QString makeBook(const QString &name, bool registered = true)
    {
        return BookPlace::makeBook(name, registered, false);
    }
    static void exec(const QString &folder, const QString &sql)
    {
        Database db;
        db.open(folder + "/PomuZenitData.db");
        db.exec(sql);
    }
    static int count(const QString &folder, const QString &sql)
    {
        Database db;
        db.open(folder + "/PomuZenitData.db");
        return db.scalar(sql).toInt();
    }
    // Every column of the journal's row 0, as stored.
    static QStringList rowZero(const QString &folder)
    {
        Database db;
        db.open(folder + "/PomuZenitData.db");
        Statement st(db, "SELECT * FROM Master WHERE DATANO = 0");
        QStringList out;
        if (!st.next())
            return out;
        for (int c = 0; c < st.columnCount(); ++c)
            out << st.columnName(c) + '=' + (st.isNull(c) ? u"NULL"_s : st.value(c).toString());
        return out;
    }
    // The user's part in the name-and-place form: the name typed, OK.
    static void typeNewName(const QString &name, QString *title = nullptr)
    {
        ModalForms::push([name, title](QDialog &d) {
            auto &f = dynamic_cast<TFormInputNewName &>(d);
            if (title)
                *title = f.LbNewNameTitle->text();
            if (!name.isNull())
                f.EditKakeiboName->setText(name);
            return int(mrOk);
        });
    }
    static void cancelForm()
    {
        ModalForms::push([](QDialog &) { return int(mrCancel); });
    }

private slots:
    void init() { openPlace(InstallBookStartup); }
    void cleanup()
    {
        closePlace();
        ModalForms::clear();
    }

    void newBookName_data()
    {
        QTest::addColumn<QStringList>("registered");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QStringList() << u"家計簿1"_s;
        QTest::newRow("1 and 2") << QStringList{u"家計簿1"_s, u"家計簿2"_s} << u"家計簿3"_s;
        QTest::newRow("gap at 1") << QStringList{u"家計簿2"_s} << u"家計簿1"_s;
        QTest::newRow("other names") << QStringList{u"家計簿"_s, u"家計簿01"_s} << u"家計簿1"_s;
    }
    void newBookName()
    {
        QFETCH(QStringList, registered);
        QFETCH(QString, expected);
        for (const QString &name : registered)
            RegisterBook(name, place() + "/" + name, false);
        QCOMPARE(NewBookName(), expected);
    }

    void bookNameFault_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("usable");
        QTest::newRow("plain") << u"家計簿1"_s << true;
        QTest::newRow("blank inside") << u"my book"_s << true;
        QTest::newRow("equals sign") << u"a=b"_s << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("slash") << u"../other"_s << false;
        QTest::newRow("backslash") << u"a\\b"_s << false;
        QTest::newRow("dot") << u"."_s << false;
        QTest::newRow("dot dot") << u".."_s << false;
        QTest::newRow("colon") << u"a:b"_s << false;
        QTest::newRow("star") << u"a*"_s << false;
        QTest::newRow("quote") << u"a\"b"_s << false;
        QTest::newRow("pipe") << u"a|b"_s << false;
        QTest::newRow("newline") << u"a\nb"_s << false;
        QTest::newRow("leading blank") << u" a"_s << false;
        // The archives carry the name in Shift-JIS: what it cannot hold is refused.
        QTest::newRow("emoji") << u"家計簿😀"_s << false;
        QTest::newRow("outside Shift-JIS") << u"𠮷野家の家計"_s << false;
        QTest::newRow("Korean") << u"가계부"_s << false;
        QTest::newRow("circled digit") << u"家計簿①"_s << true;
        QTest::newRow("wave dash") << u"家計簿～２"_s << true;
        QTest::newRow("half-width kana") << u"ｶｹｲﾎﾞ"_s << true;
    }
    void bookNameFault()
    {
        QFETCH(QString, name);
        QFETCH(bool, usable);
        QCOMPARE(BookNameFault(name).isEmpty(), usable);
    }
    void bookNameFaultNamesTheCharacters()
    {
        const QString fault = BookNameFault(u"a😀b𠮷😀"_s);
        QVERIFY2(fault.startsWith(u"家計簿の名称に次の文字は使えません。"_s), qPrintable(fault));
        QVERIFY(fault.endsWith(u"😀 𠮷"_s));
        // Renaming asks again after saying why.
        RegisterBook(u"A"_s, place() + "/A", true);
        DialogQueue dialogs;
        dialogs.input(u"家計簿😀"_s).answer(mrOk, u"😀"_s).input(u"家計簿"_s);
        QString name = u"A"_s;
        QVERIFY(AskNewBookName(name));
        QCOMPARE(name, u"家計簿"_s);
    }

    // A book's folder is absolute whatever is typed or passed: no folder is the
    // place of new books, a relative one is refused, and the list never holds
    // a path that depends on the folder the program ran in.
    void bookFoldersAreAbsolute()
    {
        const auto typeNameAndFolder = [](const QString &name, const QString &dir) {
            ModalForms::push([name, dir](QDialog &d) {
                auto &f = dynamic_cast<TFormInputNewName &>(d);
                f.EditKakeiboName->setText(name);
                f.DirEditEditKakeiboDir->setText(dir);
                return int(mrOk);
            });
        };
        DialogQueue dialogs;
        TFormNewData wizard;
        typeNameAndFolder(u"相対"_s, u"relative/place"_s);
        dialogs.answer(mrOk, u"指定されたフォルダは使用できません。"_s);
        typeNameAndFolder(u"空"_s, QString());
        QString name, folder;
        QVERIFY(wizard.AskNewBookFolder(name, folder));
        QCOMPARE(name, u"空"_s);
        QCOMPARE(folder, place() + u"/空"_s);
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(dialogs.done());
        QVERIFY(!QFileInfo::exists(u"relative"_s));

        RegisterBook(u"R"_s, u"rel/../book"_s, false);
        QCOMPARE(BookFolder(u"R"_s), QDir::current().absoluteFilePath(u"book"_s));
    }

    void askNewBookNameRefusesTakenAndUnusableNames()
    {
        RegisterBook(u"家計簿1"_s, place() + "/x", false);
        DialogQueue dialogs;
        dialogs.input(u"家計簿1"_s, u"データの名称を入力してください。"_s)
            .input(u"a/b"_s, u"この名称はすでに使われています。"_s)
            .answer(mrOk, u"使えません"_s)
            .input(u"新しい本"_s);
        QString name = u"家計簿2"_s;
        QVERIFY(AskNewBookName(name));
        QCOMPARE(name, u"新しい本"_s);
        QVERIFY(dialogs.done());

        DialogQueue cancelled;
        cancelled.input(QString());
        QVERIFY(!AskNewBookName(name));
        QCOMPARE(name, u"新しい本"_s);
    }

    void registerAndUnregisterKeepCurrentSound()
    {
        RegisterBook(u"A"_s, place() + "/A", true);
        RegisterBook(u"B"_s, place() + "/B", false);
        UnregisterBook(u"A"_s);
        // The removed book must not stay current: the next start would read it
        // back and list it again with a folder that does not exist.
        QCOMPARE(CurrentBookName(), u"B"_s);
        QCOMPARE(BookNames(), QStringList{u"B"_s});
        RenameBook(u"B"_s, u"C"_s);
        QCOMPARE(CurrentBookName(), u"C"_s);
        QCOMPARE(BookFolder(u"C"_s), place() + "/B");
    }

    void firstStartMakesAndOpensABook()
    {
        DialogQueue dialogs;
        const QString base = env->path("chosen");
        // A file where the folder would go: the folder cannot be made.
        QFile blocker(env->path("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ModalForms::push([this, base](QDialog &d) {
            auto &w = dynamic_cast<TFormNewData &>(d);
            // Offered: the dedicated folder and the documents folder.
            if (!w.EditSenyoDir->text().endsWith("/PomuZenitDir") || !w.EditMyDocument->text().endsWith("/PomuZenitDir"))
                return int(mrCancel);
            w.ActSenyouDir->setChecked(true);
            w.EditSenyoDir->setText(env->path("blocker/books"));
            w.ActiOKExecute(); // refused by the write test: the page stays
            if (w.result() == mrOk)
                return int(mrCancel);
            w.EditSenyoDir->setText(base);
            w.ActiOKExecute();
            return w.result();
        });
        dialogs.answer(mrOk, u"指定されたフォルダは作成できません。"_s);
        ModalForms::push([](QDialog &d) {
            auto &s = dynamic_cast<TFormStartData &>(d);
            s.BtnExecuteClick(); // nothing chosen: refused with a message
            if (s.result() == mrOk)
                return int(mrCancel);
            s.setItemIndex(0);
            s.BtnExecuteClick();
            return s.result();
        });
        dialogs.answer(mrOk, u"どちらか選択してください。"_s);
        QString title;
        typeNewName(QString(), &title);
        dialogs.answer(mrOk, u"家計簿1　を作成しました。"_s);

        QVERIFY(dm->OpenAtStartup());
        QVERIFY(dialogs.done());
        QCOMPARE(title, u"データの名称を入力してください。"_s);
        QVERIFY(dm->DataOpen);
        QVERIFY(!dm->StartupCancelled);
        QCOMPARE(dm->BookName, u"家計簿1"_s);
        QCOMPARE(RegIni->readString("CurrentFolders", "DataPlace", QString()), base);
        QCOMPARE(BookFolder(u"家計簿1"_s), base + "/家計簿1");
        QCOMPARE(CurrentBookName(), u"家計簿1"_s);
        QVERIFY(dm->HimokuTbl->isActive());
    }

    void firstStartCancelledRegistersNothing()
    {
        DialogQueue dialogs;
        cancelForm();
        QVERIFY(!dm->OpenAtStartup());
        QVERIFY(!dm->DataOpen);
        QVERIFY(BookNames().isEmpty());
    }

    void oneBookOpensDirectly()
    {
        const QString folder = makeBook(u"家計簿1"_s);
        // A stale current name (the book was unlisted) never comes back.
        RegIni->WriteStringAndUpdate("CurrentFolders", "Current", u"消えた本"_s);
        DialogQueue dialogs;
        QVERIFY(dm->OpenAtStartup());
        QVERIFY(dm->DataOpen);
        QCOMPARE(dm->BookName, u"家計簿1"_s);
        QCOMPARE(BookNames(), QStringList{u"家計簿1"_s});
        QVERIFY(dialogs.done());
    }

    void severalBooksGoThroughTheChooser()
    {
        makeBook(u"A"_s);
        const QString b = makeBook(u"B"_s);
        makeBook(u"C"_s);
        RegIni->WriteStringAndUpdate("CurrentFolders", "Current", u"C"_s);
        DialogQueue dialogs;
        QString selectedAtFirst;
        ModalForms::push([&selectedAtFirst](QDialog &d) {
            auto &c = dynamic_cast<TFormSelectData &>(d);
            selectedAtFirst = c.selectedName();
            c.SelectBook(1);
            c.ActionOpenExecute();
            return c.result();
        });
        QVERIFY(dm->OpenAtStartup());
        QCOMPARE(selectedAtFirst, u"C"_s);
        QVERIFY(dm->DataOpen);
        QVERIFY(!dm->StartupCancelled);
        QCOMPARE(dm->BookName, u"B"_s);
        QCOMPARE(dm->DataFolder, b);
        QVERIFY(dialogs.done());
    }

    void chooserClosedWithoutABook()
    {
        makeBook(u"A"_s);
        makeBook(u"B"_s);
        DialogQueue dialogs;
        ModalForms::push([](QDialog &d) {
            dynamic_cast<TFormSelectData &>(d).CancelClick();
            return d.result();
        });
        dm->OpenAtStartup();
        QVERIFY(dm->StartupCancelled);
        QVERIFY(!dm->DataOpen);
    }

    void movedFolderIsCorrectedAndStored()
    {
        const QString old = makeBook(u"家計簿1"_s);
        const QString moved = place() + "/moved";
        QVERIFY(QDir().rename(old, moved));
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"家計簿のデータフォルダが見つかりません。"_s)
            .answer(mrYes, u"データフォルダの設定を修正しますか？"_s)
            .folder(moved)
            .answer(mrYes, u"修正したデータフォルダの設定を保存しますか"_s);
        QVERIFY(dm->OpenAtStartup());
        QVERIFY(dialogs.done());
        QVERIFY(dm->DataOpen);
        QCOMPARE(BookFolder(u"家計簿1"_s), moved);

        // In the chooser: the list shows the corrected folder after the opening.
        dm->CloseAndBackUp(false);
        makeBook(u"B"_s);
        const QString moved2 = place() + "/moved2";
        QVERIFY(QDir().rename(moved, moved2));
        TFormSelectData chooser;
        DialogQueue again;
        again.answer(mrOk, u"見つかりません"_s)
            .answer(mrYes, u"修正しますか"_s)
            .folder(moved2)
            .answer(mrYes, u"保存しますか"_s);
        ModalForms::push([moved2](QDialog &d) {
            auto &c = dynamic_cast<TFormSelectData &>(d);
            c.SelectBook(int(BookNames().indexOf(u"家計簿1"_s)));
            c.ActionOpenExecute();
            return c.result();
        });
        QCOMPARE(chooser.showModal(), int(mrOk));
        QCOMPARE(BookFolder(u"家計簿1"_s), moved2);
        QVERIFY(again.done());
    }

    void newBookNamesAreChecked()
    {
        RegisterBook(u"家計簿1"_s, place() + "/家計簿1", false);
        QDir().mkpath(place() + "/家計簿2");
        DialogQueue dialogs;
        TFormNewData wizard;
        QString title1, title2, title3;
        typeNewName(u"家計簿1"_s, &title1);   // taken: asked again in red
        typeNewName(u"../escape"_s, &title2); // not a folder name
        dialogs.answer(mrOk, u"使えません"_s);
        typeNewName(u"家計簿2"_s, &title3);   // existing folder: used after Yes
        dialogs.answer(mrNo, u"このフォルダはすでに存在します。"_s);
        cancelForm();
        QString name = u"家計簿2"_s, folder;
        QVERIFY(!wizard.AskNewBookFolder(name, folder));
        QCOMPARE(title2, u"この名称はすでに使われています。"_s);
        QVERIFY(dialogs.done());
        QVERIFY(!QFileInfo::exists(env->path("escape")));
        QCOMPARE(BookNames(), QStringList{u"家計簿1"_s});

        DialogQueue yes;
        typeNewName(u"家計簿2"_s);
        yes.answer(mrYes, u"このフォルダはすでに存在します。"_s);
        QVERIFY(wizard.AskNewBookFolder(name, folder));
        QCOMPARE(folder, place() + "/家計簿2");
    }

    void copyKeepsOrEmptiesByOption_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("journalRows");
        QTest::addColumn<int>("budgetRows");
        QTest::addColumn<int>("cardRows");
        QTest::newRow("everything") << 0 << 3 << 1 << 1;
        QTest::newRow("settings and cards") << 1 << 1 << 0 << 1;
        QTest::newRow("settings only") << 2 << 1 << 0 << 0;
    }
    void copyKeepsOrEmptiesByOption()
    {
        QFETCH(int, option);
        QFETCH(int, journalRows);
        QFETCH(int, budgetRows);
        QFETCH(int, cardRows);
        const QString source = makeBook(u"元"_s);
        exec(source, "INSERT INTO Master (DATANO, RECDATE, KINGAKU, HINMEICODE, STYLE) VALUES (1, '2024-05-01', 100, 0, 1),"
                     " (2, '2024-05-02', 200, 0, 1)");
        exec(source, "INSERT INTO Yosan (DATANO, RECDATE, HIMOKUCODE, KINGAKU) VALUES (1, '2024-05-01', 100, 5000)");
        exec(source, "INSERT INTO ReserveList (DATANO, RECEIPTNO, NAME) VALUES (1, 7, 'card')");
        exec(source, "INSERT INTO Memo (DATANO, RECDATE, MEMO) VALUES (1, '2024-05-01', 'diary')");
        exec(source, "INSERT INTO Himoku (CODE, NAME, BUNRUI) VALUES (150, 'mine', 2)");
        exec(source, "DELETE FROM AutoInc WHERE NAME = 'master.db'");
        exec(source, "INSERT INTO AutoInc (NAME, MAXNO) VALUES ('master.db', 77)");
        QFile memo(source + "/MemoRandum.txt");
        QVERIFY(memo.open(QIODevice::WriteOnly));
        memo.write("note");
        memo.close();

        DialogQueue dialogs;
        TFormNewData wizard;
        QString folder = source;
        QVERIFY(dm->OpenDataFolder(u"元"_s, folder));
        wizard.FrBtnCopyClick();
        QCOMPARE(wizard.LbEditDir->text(), source);
        wizard.setCopyOption(option);
        typeNewName(u"写し"_s);
        QVERIFY(wizard.CopyBook());
        QVERIFY(dialogs.done());

        const QString copy = BookFolder(u"写し"_s);
        QCOMPARE(copy, place() + "/写し");
        QCOMPARE(CurrentBookName(), u"写し"_s);
        QCOMPARE(dm->BookName, u"写し"_s);
        QCOMPARE(count(copy, "SELECT COUNT(*) FROM Master"), journalRows);
        QCOMPARE(count(copy, "SELECT COUNT(*) FROM Master WHERE DATANO = 0"), 1);
        // Row 0 of the copy is the one a new book has, column by column.
        const QString fresh = makeBook(u"新"_s, false);
        QCOMPARE(rowZero(copy), rowZero(fresh));
        QVERIFY(!rowZero(fresh).isEmpty());
        QCOMPARE(count(copy, "SELECT COUNT(*) FROM Yosan"), budgetRows);
        QCOMPARE(count(copy, "SELECT COUNT(*) FROM ReserveList"), cardRows);
        QCOMPARE(count(copy, "SELECT COUNT(*) FROM Memo"), 0);
        QCOMPARE(count(copy, "SELECT COUNT(*) FROM Himoku WHERE CODE = 150"), 1);
        QCOMPARE(count(copy, "SELECT MAXNO FROM AutoInc WHERE NAME = 'master.db'"), 77);
        QVERIFY(QFile::exists(copy + "/PomuZenitData.ini"));
        QFile copiedMemo(copy + "/MemoRandum.txt");
        QVERIFY(copiedMemo.open(QIODevice::ReadOnly));
        QCOMPARE(copiedMemo.readAll(), QByteArray("note"));
        // The source is untouched.
        QCOMPARE(count(source, "SELECT COUNT(*) FROM Master"), 3);
        QCOMPARE(count(source, "SELECT COUNT(*) FROM Memo"), 1);

        QVERIFY(dm->LoginAndOpen());
        QVERIFY(dm->DataOpen);
    }

    void copyOfAProtectedBookAsksItsPassword()
    {
        const QString source = makeBook(u"鍵"_s);
        {
            Database db;
            db.open(source + "/PomuZenitData.db");
            db.exec("INSERT INTO Memo (DATANO, RECDATE, MEMO) VALUES (1, '2024-05-01', 'diary')");
        }
        {
            // A plain book is protected by exporting it into an encrypted one.
            {
                Database enc;
                enc.open(source + "/enc.db", u"pw"_s, true);
                enc.exec("CREATE TABLE made (x)");
                enc.exec("DROP TABLE made");
            }
            Database plain;
            plain.open(source + "/PomuZenitData.db");
            plain.exec(QString("ATTACH DATABASE '%1' AS enc KEY 'pw'").arg(source + "/enc.db"));
            plain.exec("SELECT sqlcipher_export('enc')");
            plain.exec("DETACH DATABASE enc");
        }
        QVERIFY(QFile::remove(source + "/PomuZenitData.db"));
        QVERIFY(QFile::rename(source + "/enc.db", source + "/PomuZenitData.db"));
        int asked = 0;
        dm->OnAskPassword = [&asked](const QString &, QString &password) {
            ++asked;
            password = u"pw"_s;
            return true;
        };
        DialogQueue dialogs;
        TFormNewData wizard;
        QString folder = source;
        QVERIFY(dm->OpenDataFolder(u"鍵"_s, folder));
        wizard.setCopyOption(TFormNewData::CopySettingsOnly);
        typeNewName(u"鍵の写し"_s);
        QVERIFY(wizard.CopyBook());
        QCOMPARE(asked, 1);
        QVERIFY(dm->LoginAndOpen());
        QCOMPARE(dm->BookName, u"鍵の写し"_s);
        QCOMPARE(dm->MainDatabase.scalar("SELECT COUNT(*) FROM Memo").toInt(), 0);
        // The copy is as protected as its source.
        Database plain;
        plain.open(BookFolder(u"鍵の写し"_s) + "/PomuZenitData.db");
        QVERIFY(!plain.canRead());
    }

    void chooserEditsTheList()
    {
        const QString a = makeBook(u"A"_s);
        makeBook(u"B"_s);
        RegIni->WriteStringAndUpdate("CurrentFolders", "Current", u"A"_s);
        TFormSelectData chooser;
        chooser.SetDetailMode(true);
        chooser.StatusBook->setText(CurrentBookName());
        chooser.FillBookList();
        QCOMPARE(chooser.selectedName(), u"A"_s);
        QCOMPARE(chooser.LbEditDir->text(), a);
        QVERIFY(!chooser.grab().isNull()); // the list draws its selected book

        DialogQueue dialogs;
        // A folder already listed selects its book instead of adding it twice.
        dialogs.folder(a).answer(mrOk, u"すでに登録されています。"_s);
        chooser.SelectBook(1);
        chooser.AddList();
        QCOMPARE(chooser.selectedName(), u"A"_s);
        QCOMPARE(BookNames().size(), 2);

        // Removing the current book moves "Current" to one still listed.
        chooser.ActionDeleteExecute();
        QCOMPARE(BookNames(), QStringList{u"B"_s});
        QCOMPARE(CurrentBookName(), u"B"_s);
        QVERIFY(QFileInfo::exists(a + "/PomuZenitData.db"));
        dialogs.answer(mrOk, u"リストを空にすることはできません。"_s);
        chooser.ActionDeleteExecute();
        QCOMPARE(BookNames(), QStringList{u"B"_s});

        // Adding back under a new name; renaming keeps the folder.
        dialogs.folder(a).input(u"A2"_s);
        chooser.AddList();
        QCOMPARE(BookFolder(u"A2"_s), a);
        chooser.SelectBook(int(BookNames().indexOf(u"B"_s)));
        dialogs.input(u"B2"_s, u"データの名称を入力してください。"_s);
        chooser.RenameBook();
        QCOMPARE(CurrentBookName(), u"B2"_s);
        QVERIFY(!IsRegisteredBook(u"B"_s));
        QCOMPARE(chooser.selectedName(), u"B2"_s);

        // Relocating asks first; No changes nothing.
        const QString elsewhere = env->path("elsewhere");
        dialogs.folder(elsewhere).answer(mrNo, u" のデータフォルダを変更していいですか？"_s);
        chooser.SelectFolder();
        QCOMPARE(BookFolder(u"B2"_s), place() + "/B");
        chooser.SelectBook(int(BookNames().indexOf(u"B2"_s)));
        dialogs.folder(elsewhere).answer(mrYes, u"B2 のデータフォルダを変更していいですか？"_s);
        chooser.SelectFolder();
        QCOMPARE(BookFolder(u"B2"_s), elsewhere);
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestBooks)
#include "tst_books.moc"
