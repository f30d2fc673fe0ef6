#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "TestEnv.h"
#include "controls/FrameBtn.h"
#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/FormInputNewName.h"
#include "data/FormNewData.h"
#include "data/FormSelectData.h"
#include "data/ModalForm.h"
#include "data/MyRegistryIniFile.h"
#include "management/FormFirstUse.h"
#include "management/FrameDataKanri.h"

using namespace Qt::StringLiterals;

// The management page as far as it is built: its page answers, the rescue
// layout, creating and choosing books from it, and the welcome note.
class TestFrameDataKanri : public QObject, private BookFixture::BookPlace
{
    Q_OBJECT

private slots:
    void init() { openPlace(); }
    void cleanup() { closePlace(); }

    void pageAnswersAndRescueLayout()
    {
        QWidget window;
        auto *page = new TFrameDataKanri(&window);
        QCOMPARE(FrameDataKanri, page);
        page->InitPage();
        IFrameInterface *frame = page;
        QCOMPARE(frame->PageNo(), 10);
        QCOMPARE(frame->ReleaseOrder(), 1);
        QVERIFY(frame->LeavePage());
        QVERIFY(page->LbRescure->isHidden());
        QVERIFY(page->FrBtnClose->isHidden());
        QVERIFY(!page->FrBtnLogIn->isHidden());

        page->SetRescueMode(true);
        QVERIFY(!page->LbRescure->isHidden());
        QCOMPARE(page->LbRescure->text(), u"正常に起動できませんでした。緊急モードです。"_s);
        QVERIFY(!page->FrBtnClose->isHidden());
        QVERIFY(page->FrBtnLogIn->isHidden());
        // Without a book only the book-independent buttons work.
        QVERIFY(!page->FrBtnBackUp->isEnabled());
        QVERIFY(!page->FrBtnLogOut->isEnabled());
        QVERIFY(page->FrBtnCreateNew->isEnabled());

        bool terminated = false;
        const auto old = TFrameDataKanri::TerminateProgram;
        TFrameDataKanri::TerminateProgram = [&terminated] { terminated = true; };
        page->FrBtnClose->click();
        TFrameDataKanri::TerminateProgram = old;
        QVERIFY(terminated);
        delete page;
        QCOMPARE(FrameDataKanri, nullptr);
    }

    void rescueCreatesAndOpensABook()
    {
        std::unique_ptr<TFrameDataKanri> made(TFrameDataKanri::CreateRescueFrame(nullptr));
        TFrameDataKanri &page = *made;
        QVERIFY(page.RescueMode());
        DialogQueue dialogs;
        ModalForms::push([](QDialog &d) {
            auto &w = dynamic_cast<TFormNewData &>(d);
            if (w.JvPageControl1->currentWidget() != w.TabSelectData)
                return int(mrCancel);
            w.FrBtnCreateNewClick();
            return w.result();
        });
        ModalForms::push([](QDialog &d) {
            auto &f = dynamic_cast<TFormInputNewName &>(d);
            return f.EditKakeiboName->text() == u"家計簿1"_s ? int(mrOk) : int(mrCancel);
        });
        dialogs.answer(mrOk, u"家計簿1　を作成しました。"_s);
        page.FrBtnCreateNew->click();
        QVERIFY(dialogs.done());
        QVERIFY(dm->DataOpen);
        QCOMPARE(dm->BookName, u"家計簿1"_s);
        QCOMPARE(BookFolder(u"家計簿1"_s), place() + "/家計簿1");
        QVERIFY(page.FrBtnBackUp->isEnabled());
        QVERIFY(!page.FrBtnLogIn->isEnabled());
        // The rescue layout stays, with the book's settings now at hand.
        QVERIFY(page.RescueMode());
        QVERIFY(page.FrHimoku->isEnabled());
        QVERIFY(page.FrTaxSet->isEnabled());
    }

    void cancelledCreationReopensTheFormerBook()
    {
        const QString folder = makeBook(u"A"_s);
        QString f = folder;
        QVERIFY(dm->OpenBook(u"A"_s, f));
        TFrameDataKanri page;
        DialogQueue dialogs;
        ModalForms::push([](QDialog &) { return int(mrCancel); });
        page.FrBtnCreateNewClick();
        QVERIFY(dm->DataOpen);
        QCOMPARE(dm->BookName, u"A"_s);
        QCOMPARE(BookNames(), QStringList{u"A"_s});
    }

    void otherOpenChoosesABook()
    {
        makeBook(u"A"_s);
        makeBook(u"B"_s);
        TFrameDataKanri page;
        DialogQueue dialogs;
        ModalForms::push([](QDialog &d) {
            auto &c = dynamic_cast<TFormSelectData &>(d);
            if (c.DetailMode)
                return int(mrCancel);
            c.SelectBook(int(BookNames().indexOf(u"A"_s)));
            c.ActionOpenExecute();
            return c.result();
        });
        page.FrBtnOtherOpenClick();
        QVERIFY(dm->DataOpen);
        QCOMPARE(dm->BookName, u"A"_s);

        // Logging out closes the book (writing its generation) and offers log-in.
        page.FrBtnLogOutClick();
        QVERIFY(!dm->DataOpen);
        QVERIFY(page.FrBtnLogIn->isEnabled());
        QVERIFY(QFile::exists(place() + "/AutoBackUp/A_1.pbk"));
        page.FrBtnLogInClick();
        QVERIFY(dm->DataOpen);
        QCOMPARE(dm->BookName, u"A"_s);
    }

    void welcomeNoteShowsOnce()
    {
        int shown = 0;
        ModalForms::push([&shown](QDialog &d) {
            auto &note = dynamic_cast<TFormFirstUse &>(d);
            shown += note.windowTitle() == u"はじめに"_s && FormFirstUse == &note;
            return int(mrOk);
        });
        ShowFirstUseNote(nullptr);
        QCOMPARE(shown, 1);
        QVERIFY(RegIni->readBool("MainForm", "v3FirstUseShow", false));
        ShowFirstUseNote(nullptr); // no handler queued: a second showing would throw
        QCOMPARE(shown, 1);
        QCOMPARE(FormFirstUse, nullptr);
    }
};

QTEST_MAIN(TestFrameDataKanri)
#include "tst_framedatakanri.moc"
