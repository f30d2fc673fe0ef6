#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include "DialogQueue.h"
#include "TestEnv.h"
#include "data/BookFolders.h"
#include "data/BookStartup.h"
#include "data/DatMod.h"
#include "data/FormInputNewName.h"
#include "data/FormNewData.h"
#include "data/FormStartData.h"
#include "data/ModalForm.h"
#include "data/MyRegistryIniFile.h"
#include "management/FormFirstUse.h"
#include "management/FormHenkan.h"
#include "management/FormHenkanKouza.h"
#include "management/FormOldDataInport.h"
#include "management/ImportVer1Data.h"
#include "../management/Ver1Fixture.h"
#include "platform/db/Table.h"

using namespace Qt::StringLiterals;

// A new user on a fresh machine (an empty HOME): the first start shows the
// welcome note and the new-book wizard, makes a book from the template and
// opens it; closing writes its first backup generation; the second start opens
// the same book directly, asking nothing. The start-up routines are driven as
// the program's start-up runs them, with the user's answers queued.
class TestFirstStart : public QObject
{
    Q_OBJECT

private slots:
    void firstAndSecondStart()
    {
        TestEnv env;
        ModalForms::clear();
        QString bookFolder;

        // ---- first start ----
        {
            TDatMod dm;
            InstallBookStartup(dm);
            DialogQueue dialogs;
            ModalForms::push([](QDialog &d) { return dynamic_cast<TFormFirstUse &>(d).windowTitle() == u"はじめに"_s
                                                         ? int(mrOk) : int(mrCancel); });
            ModalForms::push([](QDialog &d) {
                auto &w = dynamic_cast<TFormNewData &>(d);
                w.ActMyDocument->setChecked(true); // the documents folder, as offered
                w.ActiOKExecute();
                return w.result();
            });
            ModalForms::push([](QDialog &d) {
                auto &s = dynamic_cast<TFormStartData &>(d);
                s.setItemIndex(0);
                s.BtnExecuteClick();
                return s.result();
            });
            ModalForms::push([](QDialog &) { return int(mrOk); }); // the proposed name and place
            dialogs.answer(mrOk, u"家計簿1　を作成しました。"_s);

            ShowFirstUseNote(nullptr);
            QVERIFY(dm.OpenAtStartup());
            QVERIFY(dialogs.done());
            QCOMPARE(ModalForms::pending(), 0);
            QVERIFY(dm.FolderReady && dm.DataOpen && !dm.StartupCancelled);
            QCOMPARE(dm.BookName, u"家計簿1"_s);
            bookFolder = dm.DataFolder;
            QCOMPARE(bookFolder, QDir::homePath() + "/Documents/PomuZenitDir/家計簿1");
            QVERIFY(dm.HimokuTbl->isActive());
            dm.CloseAndBackUp(true);
        }
        QVERIFY(QFile::exists(QDir::homePath() + "/Documents/PomuZenitDir/AutoBackUp/家計簿1_1.pbk"));

        // ---- second start: no note, no wizard, no question ----
        {
            TDatMod dm;
            InstallBookStartup(dm);
            DialogQueue dialogs;
            ShowFirstUseNote(nullptr);
            QVERIFY(dm.OpenAtStartup());
            QVERIFY(dialogs.done());
            QVERIFY(dm.FolderReady && dm.DataOpen && !dm.StartupCancelled);
            QCOMPARE(dm.BookName, u"家計簿1"_s);
            QCOMPARE(dm.DataFolder, bookFolder);
            dm.CloseAndBackUp(true);
        }
        QVERIFY(QFile::exists(QDir::homePath() + "/Documents/PomuZenitDir/AutoBackUp/家計簿1_2.pbk"));
    }

    // The welcome wizard's "Ver1のデータを読み込む": the first version's
    // folder becomes the first book, opened at once.
    void firstStartReadsFirstVersionData()
    {
        TestEnv env;
        ModalForms::clear();
        const QString oldFolder = env.path(u"ver1"_s);
        QVERIFY(Ver1Fixture::writeFolder(oldFolder, Ver1Fixture::standardData()));

        TDatMod dm;
        InstallBookStartup(dm);
        InstallVer1Import();
        DialogQueue dialogs;
        ModalForms::push([](QDialog &d) {
            auto &w = dynamic_cast<TFormNewData &>(d);
            w.ActMyDocument->setChecked(true);
            w.ActiOKExecute();
            return w.result();
        });
        ModalForms::push([](QDialog &d) {
            auto &s = dynamic_cast<TFormStartData &>(d);
            s.setItemIndex(1); // "Ver1のデータを読み込む"
            s.BtnExecuteClick();
            return s.result();
        });
        ModalForms::push([oldFolder](QDialog &d) {
            auto &f = dynamic_cast<TFormOldDataInport &>(d);
            f.LbEditOther->setText(oldFolder);
            f.FrBtnNextClick();
            return f.result();
        });
        dialogs.input(u"家計簿1"_s);
        ModalForms::push([](QDialog &d) {
            auto &h = dynamic_cast<TFormHenkan &>(d);
            h.FrBtnExecClick();
            return h.result();
        });
        ModalForms::push([](QDialog &d) {
            auto &k = dynamic_cast<TFormHenkanKouza &>(d);
            k.FrBtnExecClick(); // every account cash
            return k.result();
        });
        dialogs.answer(mrOk, u"収入合計："_s);

        QVERIFY(dm.OpenAtStartup());
        QVERIFY(dialogs.done());
        QCOMPARE(ModalForms::pending(), 0);
        QVERIFY(dm.FolderReady && dm.DataOpen && !dm.StartupCancelled);
        QCOMPARE(dm.BookName, u"家計簿1"_s);
        QCOMPARE(dm.DataFolder, QDir::homePath() + "/Documents/PomuZenitDir/家計簿1");
        QCOMPARE(CurrentBookName(), u"家計簿1"_s);
        QCOMPARE(dm.MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0"_s).toInt(), 9);
        QCOMPARE(dm.MainDatabase.scalar(u"SELECT SUM(KINGAKU) FROM Master WHERE KASICODE = 100"_s).toDouble(),
                 12194.5);
        dm.CloseAndBackUp(false);
    }
};

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"
