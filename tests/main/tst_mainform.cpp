#include <QDir>
#include <QPointer>
#include <QLabel>
#include <QSignalSpy>
#include <QFile>
#include <QScreen>
#include <QTabBar>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "TestEnv.h"
#include "controls/ColorPageControl.h"
#include "controls/FrameBtn.h"
#include "data/DatMod.h"
#include "data/DatModSchema.h"
#include "data/FormatSettings.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "main/FrameInterface.h"
#include "main/FramePlaceholder.h"
#include "main/FormCalclater.h"
#include "main/FormMemoRandum.h"
#include "main/MainForm.h"
#include "management/FrameDataKanri.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"

// A page whose answers the test sets: whether it may be left, whether its
// commit at shut-down succeeds, fails or throws.
class TestPage : public QFrame, public IFrameInterface, public IFrameCloseCommit
{
    Q_OBJECT
public:
    explicit TestPage(QWidget *parent) : QFrame(parent) {}
    void RefreshPage() override { ++refreshes; }
    void InitPage() override { ++inits; }
    int ReleaseOrder() override { return 2; }
    bool LeavePage() override { return mayLeave; }
    int PageNo() override { return pgYosan; }
    bool CommitForClose() override
    {
        ++commits;
        if (throwOnCommit)
            throw std::runtime_error("データ番号を取得できません");
        return mayLeave;
    }
    static inline bool mayLeave = true;
    static inline bool throwOnCommit = false;
    static inline int commits = 0;
    static inline int inits = 0;
    static inline int refreshes = 0;
};

// A page that cannot open on its book (damaged or held by another process).
class FailingPage : public QFrame, public IFrameInterface
{
    Q_OBJECT
public:
    explicit FailingPage(QWidget *parent) : QFrame(parent) { made = this; }
    void RefreshPage() override {}
    void InitPage() override
    {
        ++inits;
        throw EDatabaseError(QStringLiteral("database disk image is malformed"), 11);
    }
    int ReleaseOrder() override { return 2; }
    bool LeavePage() override { return true; }
    int PageNo() override { return pgYosan; }
    static inline QPointer<FailingPage> made;
    static inline int inits = 0;
};

// The main window driven offscreen over a book made in the test's own folder.
class TestMainForm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TDatMod> dm;
    std::unique_ptr<TMainForm> window;

    QString makeBook(const QString &name, const QByteArray &ini = QByteArray())
    {
        const QString folder = env->path("books/" + name);
        BookFixture::writeEmptyBook(folder, QString(), ini);
        RegIni->WriteStringAndUpdate("DataFolders", name, folder);
        return folder;
    }
    TMainForm *openWindow()
    {
        window = std::make_unique<TMainForm>();
        MainForm = window.get();
        window->show();
        return window.get();
    }
    QString autoBackUp(const QString &book, int n) const
    {
        return env->path(QStringLiteral("place/AutoBackUp/%1_%2.pbk").arg(book).arg(n));
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        FixProgramFormats();
        ResetProgramValues();
        dm = std::make_unique<TDatMod>();
        RegIni->WriteStringAndUpdate("CurrentFolders", "DataPlace", env->path("place"));
        TestPage::mayLeave = true;
        TestPage::throwOnCommit = false;
        TestPage::commits = 0;
        TestPage::inits = 0;
        TestPage::refreshes = 0;
        // The welcome note is the management page's to test.
        TMainForm::ShowFirstUseNote = [](QWidget *) {};
    }
    void cleanup()
    {
        TMainForm::UnregisterPageFrame(pgYosan);
        window.reset();
        dm.reset();
        env.reset();
    }

    // Every tab has its caption and shows its page's frame, made once and kept;
    // the 支出 page is the one shown after the start-up opening.
    void everyPageCanBeShown()
    {
        DialogQueue dialogs;
        TMainForm::RegisterPageFrame<TestPage>(pgYosan);
        makeBook("家計簿");
        TMainForm *w = openWindow();
        QVERIFY(DatMod->DataOpen);
        QVERIFY(!w->inRescueLayout());
        QCOMPARE(w->currentPageNo(), int(pgDeru));
        QCOMPARE(w->MainPageControl->currentIndex(), int(pgDeru));
        QCOMPARE(w->windowTitle(), QStringLiteral("ぽむぬろ君v3 Zenit  [家計簿]"));

        const QStringList captions{"収入", "支出", "振替", "予算", "通帳", "集計",
                                   "日記", "抽出", "グラフ", "予約", "管理"};
        for (int page = 0; page < PageCount; ++page) {
            QCOMPARE(w->MainPageControl->tabText(page), captions[page]);
            // Click the tab as a user does.
            QTabBar *bar = w->MainPageControl->tabBar();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
            QCOMPARE(w->currentPageNo(), page);
            QWidget *frame = w->frameOf(page);
            QVERIFY(frame);
            QTRY_VERIFY(frame->isVisible());
            QCOMPARE(frame->parentWidget(), w->TabSheets[page]);
            // Pages whose class is not there yet show their caption.
            if (auto *placeholder = qobject_cast<TFramePlaceholder *>(frame)) {
                QCOMPARE(placeholder->caption(), captions[page]);
                QCOMPARE(placeholder->initCount, 1);
            } else {
                QVERIFY(TMainForm::HasPageFrame(page));
                QVERIFY(frame->objectName().endsWith('A'));
            }
        }
        QCOMPARE(w->createdFrames().size(), int(PageCount));
        // Back to an existing page: the same frame, refreshed, not made again.
        QWidget *yosan = w->frameOf(pgYosan);
        QCOMPARE(TestPage::refreshes, 0);
        QVERIFY(w->SelectPage(pgYosan));
        QCOMPARE(w->frameOf(pgYosan), yosan);
        QCOMPARE(TestPage::inits, 1);
        QCOMPARE(TestPage::refreshes, 1);
        QCOMPARE(w->freeableFrames().last(), yosan);
        QCOMPARE(w->createdFrames().size(), int(PageCount));
        // The idle work hides the frames not on show.
        w->IdleWork();
        QVERIFY(!w->frameOf(pgIri)->isVisibleTo(w->TabSheets[pgIri]));
        QVERIFY(dialogs.done());
    }

    // A page whose opening fails is gone entirely: nothing of it is left for
    // the window's end to touch, and the next showing makes it anew.
    void pageThatFailsToOpenLeavesNothingBehind()
    {
        DialogQueue dialogs;
        TMainForm::RegisterPageFrame<FailingPage>(pgYosan);
        makeBook("家計簿");
        TMainForm *w = openWindow();
        FailingPage::inits = 0;
        for (int attempt = 1; attempt <= 2; ++attempt) {
            bool failed = false;
            try {
                w->ShowPage(pgYosan);
            } catch (const EDatabaseError &) {
                failed = true;
            }
            QVERIFY(failed);
            QCOMPARE(FailingPage::inits, attempt);
            QVERIFY(FailingPage::made.isNull());
            QVERIFY(!w->frameOf(pgYosan));
            QVERIFY(!w->createdFrames().contains(nullptr));
        }
        window.reset();
        MainForm = nullptr;
        QVERIFY(dialogs.done());
    }

    // A page that refuses to be left keeps the window on it, whether the user
    // clicks another tab or the program asks to switch; the flush runs after
    // every switch that happens.
    void refusingPageKeepsWindowAndFlushFollowsSwitch()
    {
        DialogQueue dialogs;
        TMainForm::RegisterPageFrame<TestPage>(pgYosan);
        makeBook("家計簿");
        TMainForm *w = openWindow();
        QVERIFY(w->SelectPage(pgYosan));
        QCOMPARE(w->frameOf(pgYosan)->objectName(), QStringLiteral("TestPageA"));

        TestPage::mayLeave = false;
        QTabBar *bar = w->MainPageControl->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(pgTutyo).center());
        QCOMPARE(w->currentPageNo(), int(pgYosan));
        QCOMPARE(w->MainPageControl->currentIndex(), int(pgYosan));
        QVERIFY(!w->SelectPage(pgIri));
        QCOMPARE(w->currentPageNo(), int(pgYosan));
        QVERIFY(!w->frameOf(pgIri));

        // Something was written: the switch flushes it.
        TestPage::mayLeave = true;
        DatMod->DataChanged = true;
        QVERIFY(w->SelectPage(pgTutyo));
        QVERIFY(!DatMod->DataChanged);
        QVERIFY(DataIni);
        QVERIFY(dialogs.done());
    }

    // Closing saves the placement and writes an automatic backup generation of
    // the open book; a commit that fails or throws asks first.
    void closeAsksOnFailedCommitThenWritesPlacementAndBackUp()
    {
        TMainForm::RegisterPageFrame<TestPage>(pgYosan);
        makeBook("家計簿");
        RegIni->WriteIntegerAndUpdate("BackUp", "AutoBackUpCount", 2);
        TMainForm *w = openWindow();
        QVERIFY(w->SelectPage(pgYosan));

        {
            DialogQueue dialogs;
            TestPage::throwOnCommit = true;
            dialogs.answer(mrNo, TMainForm::ForceCloseText);
            QVERIFY(!w->close());
            QVERIFY(w->isVisible());
            QVERIFY(DatMod->DataOpen);
            QVERIFY(!QFile::exists(autoBackUp("家計簿", 1)));
            QVERIFY(dialogs.done());
        }
        {
            DialogQueue dialogs;
            TestPage::throwOnCommit = false;
            TestPage::mayLeave = false;
            dialogs.answer(mrYes, TMainForm::ForceCloseText);
            RegIni->eraseSection("MainForm");
            QVERIFY(w->close());
            QVERIFY(dialogs.done());
        }
        QCOMPARE(TestPage::commits, 2);
        QVERIFY(!DatMod->DataOpen);
        QVERIFY(QFile::exists(autoBackUp("家計簿", 1)));
        QVERIFY(w->windowTitle().endsWith(QStringLiteral("[オフライン]")));
        for (const char *key : {"Top", "Left", "Width", "Height", "Maximized"})
            QVERIFY2(RegIni->valueExists("MainForm", key), key);
    }

    // The first run opens maximised on the work area; later runs restore the
    // normal placement, also after closing while maximised.
    void placementFirstRunAndLater()
    {
        {
            DialogQueue dialogs;
            makeBook("家計簿");
            TMainForm *w = openWindow();
            QVERIFY(w->windowState() & Qt::WindowMaximized);
            const QRect work = w->screen()->availableGeometry();
            QCOMPARE(RegIni->readInteger("MainForm", "Width", 0), work.width() - 20);
            QCOMPARE(RegIni->readInteger("MainForm", "Height", 0), work.height() - 40);
            QVERIFY(RegIni->readBool("MainForm", "Maximized", false));
            QVERIFY(w->close());
            QVERIFY(dialogs.done());
            window.reset();
        }
        RegIni->WriteIntegerAndUpdate("MainForm", "Left", 30);
        RegIni->WriteIntegerAndUpdate("MainForm", "Top", 40);
        RegIni->WriteIntegerAndUpdate("MainForm", "Width", 700);
        RegIni->WriteIntegerAndUpdate("MainForm", "Height", 500);
        RegIni->WriteBoolAndUpdate("MainForm", "Maximized", false);
        {
            DialogQueue dialogs;
            TMainForm *w = openWindow();
            QVERIFY(!(w->windowState() & Qt::WindowMaximized));
            QCOMPARE(w->size(), QSize(700, 500));
            QCOMPARE(w->normalPlacement(), QRect(30, 40, 700, 500));
            w->setWindowState(Qt::WindowMaximized);
            QTRY_VERIFY(w->size() != QSize(700, 500));
            QVERIFY(w->close());
            QVERIFY(dialogs.done());
        }
        QVERIFY(RegIni->readBool("MainForm", "Maximized", false));
        QCOMPARE(RegIni->readInteger("MainForm", "Left", 0), 30);
        QCOMPARE(RegIni->readInteger("MainForm", "Top", 0), 40);
        QCOMPARE(RegIni->readInteger("MainForm", "Width", 0), 700);
        QCOMPARE(RegIni->readInteger("MainForm", "Height", 0), 500);
    }

    // The tool-bar view: pages on the window under the action tool bar, the
    // page actions (and their Alt keys) switch, a refusing page keeps its action.
    void toolBarView()
    {
        DialogQueue dialogs;
        TMainForm::RegisterPageFrame<TestPage>(pgYosan);
        makeBook("家計簿");
        RegIni->WriteIntegerAndUpdate("MainForm", "ViewStyle", 1);
        TMainForm *w = openWindow();
        QVERIFY(w->ActionToolBar1->isVisible());
        QVERIFY(!w->MainPageControl->isVisible());
        QCOMPARE(w->currentPageNo(), int(pgDeru));
        QVERIFY(w->PageActions[pgDeru]->isChecked());
        QVERIFY(w->frameOf(pgDeru)->isVisible());

        w->PageActions[pgYosan]->trigger();
        QCOMPARE(w->currentPageNo(), int(pgYosan));
        QVERIFY(w->frameOf(pgYosan)->isVisible());
        TestPage::mayLeave = false;
        w->PageActions[pgIri]->trigger();
        QCOMPARE(w->currentPageNo(), int(pgYosan));
        QVERIFY(w->PageActions[pgYosan]->isChecked());
        TestPage::mayLeave = true;
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_T, Qt::AltModifier);
        QTRY_COMPARE(w->currentPageNo(), int(pgTutyo));
        QVERIFY(dialogs.done());
    }

    // The calculator and notepad buttons open the windows the program's
    // start-up installs: the calculator made with the book's pages, the
    // notepad on its first use.
    void toolButtonsOpenTheirWindows()
    {
        DialogQueue dialogs;
        makeBook("家計簿");
        TMainForm *w = openWindow();
        QVERIFY(w->isVisible());
        QVERIFY(!w->FrBtnCalclatar->isHidden());
        QVERIFY(!w->FrBtnMemo->isHidden());
        QVERIFY(qobject_cast<TFormCalclater *>(w->calculator()));
        QTest::mouseClick(w->FrBtnCalclatar, Qt::LeftButton);
        QVERIFY(w->calculator()->isVisible());
        QTest::mouseClick(w->FrBtnMemo, Qt::LeftButton);
        QVERIFY(qobject_cast<TFormMemoRandum *>(w->notepad()));
        QVERIFY(w->notepad()->isVisible());
        QVERIFY(w->close());
        QVERIFY(dialogs.done());
    }

    // The top-right buttons: the notepad is made once and only with a book
    // open, and closed before the book closes; the help button turns the next
    // click into the no-help message; the item hint is hidden by the timer.
    void toolButtonsHelpAndHint()
    {
        DialogQueue dialogs;
        int notepadsMade = 0;
        QPointer<QWidget> notepad;
        TMainForm::NotepadFactory = [&](QWidget *owner) {
            ++notepadsMade;
            notepad = new QWidget(owner, Qt::Tool);
            return notepad.data();
        };
        makeBook("家計簿");
        TMainForm *w = openWindow();
        QTest::mouseClick(w->FrBtnMemo, Qt::LeftButton);
        QTest::mouseClick(w->FrBtnMemo, Qt::LeftButton);
        QCOMPARE(notepadsMade, 1);
        QVERIFY(notepad && notepad->isVisible());

        w->FrBtnHelp->SetDown(true);
        dialogs.answer(mrOk, NoHelpText());
        QTest::mouseClick(w->TabSheets[pgDeru], Qt::LeftButton);
        QVERIFY(!w->FrBtnHelp->down());

        QSignalSpy ticks(w, &TMainForm::hintTimerTick);
        w->ShowItemHint(w->frameOf(pgDeru), 100, 80, QStringLiteral("キャベツ"));
        QVERIFY(w->ST_Hinmei->isVisible());
        QCOMPARE(w->ST_Hinmei->text(), QStringLiteral("キャベツ"));
        QCOMPARE(w->ST_Hinmei->geometry().bottom() + 1,
                 w->frameOf(pgDeru)->mapTo(w, QPoint(100, 80)).y());
        QTRY_VERIFY_WITH_TIMEOUT(!w->ST_Hinmei->isVisible(), 5000);
        QVERIFY(ticks.count() >= 1);

        QVERIFY(w->close());
        QVERIFY(!notepad || !notepad->isVisible());
        TMainForm::NotepadFactory = nullptr;
        QVERIFY(dialogs.done());
    }

    // On a narrow window the tab row ends before the top-right buttons, so no
    // tab slides under them.
    void tabsLeaveRoomForTheButtons()
    {
        DialogQueue dialogs;
        makeBook("家計簿");
        TMainForm *w = openWindow();
        w->showNormal();
        w->resize(800, 560);
        QTRY_COMPARE(w->width(), 800);
        QTabBar *bar = w->MainPageControl->tabBar();
        const int barRight = bar->mapTo(w, QPoint(bar->width(), 0)).x();
        const int buttonsLeft = w->PnlTopMenu->mapTo(w, QPoint(0, 0)).x();
        QVERIFY2(barRight <= buttonsLeft, qPrintable(QString("%1 > %2").arg(barRight).arg(buttonsLeft)));
        QVERIFY(dialogs.done());
    }

    // The jump to an entry shows the page of the entry's origin; an origin of
    // no journal page does nothing.
    void jumpToEntry()
    {
        DialogQueue dialogs;
        makeBook("家計簿");
        TMainForm *w = openWindow();
        Table *master = DatMod->MasterTbl;
        auto append = [&](int dataNo, int origin) {
            master->append();
            master->fieldByName("DATANO")->setAsInteger(dataNo);
            master->fieldByName("RECDATE")->setAsDate(QDate(2024, 5, 1));
            master->fieldByName("KINGAKU")->setAsInteger(1200);
            master->fieldByName("ORIGIN")->setAsInteger(origin);
            master->post();
        };
        append(501, 1);
        append(502, 4);
        QVERIFY(w->JumpToDataNo(501));
        QCOMPARE(w->currentPageNo(), int(pgIri));
        QCOMPARE(w->MainPageControl->currentIndex(), int(pgIri));
        QVERIFY(!w->JumpToDataNo(502));
        QVERIFY(!w->JumpToDataNo(999));
        QCOMPARE(w->currentPageNo(), int(pgIri));
        QVERIFY(dialogs.done());
    }

    // Without account management the 振替 tab and action are hidden and the
    // later tabs move up one position; page numbers stay.
    void transferTabFollowsAccountManagement()
    {
        DialogQueue dialogs;
        makeBook("家計簿", "[State]\nKouzaUse=0\n");
        TMainForm *w = openWindow();
        QVERIFY(!KouzaUseFlag);
        QVERIFY(!w->MainPageControl->isTabVisible(pgKouza));
        QVERIFY(!w->PageActions[pgKouza]->isVisible());
        QCOMPARE(w->tabPosition(pgKouza), -1);
        QCOMPARE(w->tabPosition(pgYosan), 2);
        QCOMPARE(w->tabPosition(pgKanri), 9);
        QVERIFY(!w->SelectPage(pgKouza));
        QVERIFY(w->SelectPage(pgKanri));
        QCOMPARE(w->currentPageNo(), int(pgKanri));
        QCOMPARE(w->MainPageControl->currentIndex(), int(pgKanri));
        // Positions, not page numbers, decide the odd and even images.
        w->SetTabImagesByRate(92);
        QCOMPARE(w->tabImageIndex(pgIri), 0);    // position 0
        QCOMPARE(w->tabImageIndex(pgDeru), 1);   // position 1
        QCOMPARE(w->tabImageIndex(pgYosan), 0);  // position 2
        QCOMPARE(w->tabImageIndex(pgKanri), 4);  // the active tab
        QCOMPARE(w->tabImageIndex(pgKouza), -1);
        QVERIFY(dialogs.done());
    }

    // The currency decimals follow the book at every opening, not only the first.
    void currencyDecimalsFollowEveryOpening()
    {
        DialogQueue dialogs;
        makeBook("小数", "[State]\nCurrencyDecimals=2\n");
        TMainForm *w = openWindow();
        QCOMPARE(Formats().currencyDecimals, 2);
        const QString folder = makeBook("整数");
        DatMod->CloseAndBackUp(false);
        QString f = folder;
        QVERIFY(DatMod->OpenBook("整数", f));
        QCOMPARE(Formats().currencyDecimals, 0);
        QVERIFY(w->windowTitle().endsWith(QStringLiteral("[整数]")));
        QVERIFY(dialogs.done());
    }

    // Without a book the management page fills the window alone.
    void noBookShowsRescueLayout()
    {
        DialogQueue dialogs;
        TMainForm *w = openWindow();
        QVERIFY(w->inRescueLayout());
        QVERIFY(!w->MainPageControl->isVisible());
        QVERIFY(w->currentFrame() && w->currentFrame()->isVisible());
        QVERIFY(w->windowTitle().endsWith(QStringLiteral("[オフライン]")));
        QVERIFY(!w->CanLeavePage());
        auto *kanri = qobject_cast<TFrameDataKanri *>(w->currentFrame());
        QVERIFY(kanri && kanri->RescueMode());

        // A book opened from there brings the pages back, on the 支出 page.
        QString folder = makeBook("家計簿");
        QVERIFY(DatMod->OpenBook("家計簿", folder));
        QTRY_VERIFY(!w->inRescueLayout());
        QVERIFY(w->MainPageControl->isVisible());
        QCOMPARE(w->currentPageNo(), int(pgDeru));
        QVERIFY(w->windowTitle().endsWith(QStringLiteral("[家計簿]")));
        QVERIFY(w->close());
        QVERIFY(dialogs.done());
    }

    void roundAmount_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("half away") << 0 << "1234.5" << "1235";
        QTest::newRow("toward zero") << 1 << "1234.5" << "1234";
        QTest::newRow("up") << 2 << "1234.5" << "1235";
        QTest::newRow("half away negative") << 0 << "-1234.5" << "-1235";
        QTest::newRow("toward zero negative") << 1 << "-1234.5" << "-1234";
        QTest::newRow("up negative") << 2 << "-1234.5" << "-1234";
    }
    void roundAmount()
    {
        QFETCH(int, mode);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        TaxCalcMode = uint8_t(mode);
        Formats().currencyDecimals = 0;
        QCOMPARE(RoundAmount(Currency::fromString(value)).toString(0), expected);
    }

    void pageMargin_data()
    {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<int>("margin");
        QTest::newRow("640") << 640 << 0;
        QTest::newRow("800") << 800 << 0;
        QTest::newRow("859") << 859 << 0;
        QTest::newRow("860") << 860 << 1;
        QTest::newRow("1024") << 1024 << 3;
        QTest::newRow("1600") << 1600 << 9;
        QTest::newRow("2560") << 2560 << 9;
    }
    void pageMargin()
    {
        QFETCH(int, screenWidth);
        QFETCH(int, margin);
        QCOMPARE(TMainForm::PageMargin(screenWidth), margin);
    }

    void tabImageRate_data()
    {
        QTest::addColumn<double>("percentage");
        QTest::addColumn<int>("odd");
        QTest::addColumn<int>("even");
        QTest::newRow("0") << 0.0 << 0 << 0;
        QTest::newRow("89.9") << 89.9 << 0 << 0;
        QTest::newRow("90") << 90.0 << 1 << 0;
        QTest::newRow("95") << 95.0 << 1 << 1;
        QTest::newRow("100.9") << 100.9 << 1 << 1;
        QTest::newRow("101") << 101.0 << 2 << 1;
        QTest::newRow("110") << 110.0 << 2 << 2;
        QTest::newRow("119.9") << 119.9 << 2 << 2;
        QTest::newRow("120") << 120.0 << 3 << 3;
    }
    void tabImageRate()
    {
        QFETCH(double, percentage);
        QFETCH(int, odd);
        QFETCH(int, even);
        QCOMPARE(TMainForm::TabImageForRate(percentage, true), odd);
        QCOMPARE(TMainForm::TabImageForRate(percentage, false), even);
    }

    void seasonImages()
    {
        TMainForm w;
        w.SetSeasonImages(QDate(2024, 2, 29));
        QCOMPARE(w.seasonImages(), &w.ImageListSnow);
        w.SetSeasonImages(QDate(2024, 3, 1));
        QCOMPARE(w.seasonImages(), &w.ImageListSpring);
        w.SetSeasonImages(QDate(2024, 8, 31));
        QCOMPARE(w.seasonImages(), &w.ImageListSummer);
        w.SetSeasonImages(QDate(2024, 11, 30));
        QCOMPARE(w.seasonImages(), &w.ImageListApple);
        w.SetSeasonImages(QDate(2024, 12, 1));
        QCOMPARE(w.seasonImages(), &w.ImageListSnow);
        QCOMPARE(TMainForm::SpaceOutCaption(QStringLiteral("収入")), QStringLiteral(" 収 入 "));
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
