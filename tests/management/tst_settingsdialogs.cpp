#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "controls/ColorBtn.h"
#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "data/DatModEvents.h"
#include "data/FormatSettings.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "main/FrameDeru.h"
#include "main/MeisaiGrid.h"
#include "management/FormCltView.h"
#include "management/FormDecimals.h"
#include "management/FormLockDate.h"
#include "management/FormOtherOption.h"
#include "management/FormSimeTukiSet.h"
#include "management/FormTaxSet.h"
#include "management/FrameDataKanri.h"
#include "management/HimokuSonota.h"
#include "platform/db/Database.h"
#include "platform/ui/HintSwitch.h"

using namespace Qt::StringLiterals;

// The settings dialogs of the management page on a book from the shipped
// template: what each writes, that the program and the pages take it, and
// that cancelling writes nothing.
class TestSettingsDialogs : public QObject, public BookFixture::BookPlace
{
    Q_OBJECT

    QString folder;
    Database &db() { return dm->MainDatabase; }

    // The settings file as it is on disk, not as the store holds it.
    QString onDisk(const QString &section, const QString &key)
    {
        TMyMemIniFile file(TMyMemIniFile::fileIn(folder));
        return file.readString(section, key, u"<none>"_s);
    }

    // Runs the management page's button and answers its dialog with `play`.
    template <class Form> void runButton(TFrameBtn *button, std::function<int(Form &)> play)
    {
        ModalForms::push([play](QDialog &d) { return play(dynamic_cast<Form &>(d)); });
        button->click();
        QCOMPARE(ModalForms::pending(), 0);
    }

    std::unique_ptr<TFrameDeru> openExpensePage()
    {
        auto page = std::make_unique<TFrameDeru>();
        page->resize(1100, 700);
        page->InitPage();
        return page;
    }

    bool hasQuantityColumn(TFrameDeru &page)
    {
        for (const TMyDBGridColumn &c : page.MyDbGridMeisai->columns())
            if (c.fieldName == u"QUANTITY"_s)
                return true;
        return false;
    }

private slots:
    void init()
    {
        openPlace();
        folder = makeBook(u"家計簿"_s);
        QVERIFY(!folder.isEmpty());
        QString f = folder;
        QVERIFY(dm->OpenBook(u"家計簿"_s, f));
        QVERIFY(dm->DataOpen);
    }
    void cleanup()
    {
        Formats().currencyDecimals = 0;
        CurLockDate = QDate();
        CurSimeTuki = 12;
        CurShiftNendo = 0;
        TaxCalcMode = 0;
        SetHintsShown(true);
        closePlace();
    }

    void lockDate_data()
    {
        QTest::addColumn<QDate>("before");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QDate>("picked");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QDate>("after");
        QTest::addColumn<QString>("stored");
        QTest::newRow("set") << QDate() << true << QDate(2026, 3, 31) << true << QDate(2026, 3, 31)
                             << QString::number(DateToDayNumber(QDate(2026, 3, 31)));
        QTest::newRow("lifted") << QDate(2026, 1, 31) << false << QDate(2026, 1, 31) << true << QDate() << u"0"_s;
        QTest::newRow("cancelled") << QDate(2026, 1, 31) << true << QDate(2026, 6, 1) << false << QDate(2026, 1, 31)
                                   << QString::number(DateToDayNumber(QDate(2026, 1, 31)));
    }
    void lockDate()
    {
        QFETCH(QDate, before);
        QFETCH(bool, tick);
        QFETCH(QDate, picked);
        QFETCH(bool, ok);
        QFETCH(QDate, after);
        QFETCH(QString, stored);
        CurLockDate = before;
        CopyLockDate(*dm, before);
        DataIni->WriteFloatAndUpdate(u"Sime"_s, u"LockDate"_s, before.isValid() ? DateToDayNumber(before) : 0);
        TFrameDataKanri page;
        runButton<TFormLockDate>(page.FrBtnLockDate, [&](TFormLockDate &f) {
            // Opening shows the lock as it is: ticked with its date, or
            // unticked with today and the picker off.
            [&] {
                QCOMPARE(f.CBLockDate->isChecked(), before.isValid());
                QCOMPARE(f.DTPLockDate->isEnabled(), before.isValid());
                QCOMPARE(f.DTPLockDate->date(), before.isValid() ? before : QDate::currentDate());
            }();
            f.CBLockDate->setChecked(tick);
            f.DTPLockDate->setDate(picked);
            if (!ok)
                return int(mrCancel);
            f.ShapeBtnOK->click();
            return f.result();
        });
        QCOMPARE(CurLockDate, after);
        QCOMPARE(dm->MeisaiClt->CltLockDate, after);
        QCOMPARE(dm->ReceiptClt->CltLockDate, after);
        QCOMPARE(onDisk(u"Sime"_s, u"LockDate"_s).toDouble(), stored.toDouble());
    }

    void closingMonth_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<bool>("startYear");
        QTest::addColumn<int>("shift");
        QTest::newRow("march, named by its start") << 3 << true << -1;
        QTest::newRow("march, named by its end") << 3 << false << 0;
        QTest::newRow("december ignores the naming") << 12 << true << 0;
    }
    void closingMonth()
    {
        QFETCH(int, month);
        QFETCH(bool, startYear);
        QFETCH(int, shift);
        TFrameDataKanri page;
        runButton<TFormSimeTukiSet>(page.FrNendo, [&](TFormSimeTukiSet &f) {
            // A book from the template closes in December, where the naming
            // has no meaning.
            [&] {
                QCOMPARE(f.ComboBox1->currentText(), u"1２月締め"_s);
                QVERIFY(!f.RadioGroup1->isEnabled());
            }();
            f.ComboBox1->setCurrentIndex(month - 1);
            [&] { QCOMPARE(f.RadioGroup1->isEnabled(), month != 12); }();
            (startYear ? f.RbStartYear : f.RbEndYear)->setChecked(true);
            f.ShapeBtnOK->click();
            return f.result();
        });
        QCOMPARE(int(CurSimeTuki), month);
        QCOMPARE(CurShiftNendo, shift);
        QCOMPARE(onDisk(u"Sime"_s, u"SimeTuki"_s), QString::number(month));
        QCOMPARE(onDisk(u"Sime"_s, u"ShiftNendo"_s), QString::number(shift));

        // Cancelling afterwards changes nothing.
        runButton<TFormSimeTukiSet>(page.FrNendo, [](TFormSimeTukiSet &f) {
            f.ComboBox1->setCurrentIndex(5);
            return int(mrCancel);
        });
        QCOMPARE(int(CurSimeTuki), month);
        QCOMPARE(onDisk(u"Sime"_s, u"SimeTuki"_s), QString::number(month));
    }

    void currencyDecimalsShowAtOnce()
    {
        TFrameDataKanri page;
        const Currency amount = Currency::fromDouble(1234.5);
        QCOMPARE(KingakuToStr(amount), u"1,235"_s);
        runButton<TFormDecimals>(page.FrDecimals, [](TFormDecimals &f) {
            f.RbTwo->setChecked(true);
            f.FrBtnOK->click();
            return f.result();
        });
        QCOMPARE(onDisk(u"State"_s, u"CurrencyDecimals"_s), u"2"_s);
        QCOMPARE(KingakuToStr(amount), u"1,234.50"_s);
        runButton<TFormDecimals>(page.FrDecimals, [](TFormDecimals &f) {
            [&] { QVERIFY(f.RbTwo->isChecked()); }();
            f.RbZero->setChecked(true);
            return int(mrCancel);
        });
        QCOMPARE(Formats().currencyDecimals, 2);
        QCOMPARE(onDisk(u"State"_s, u"CurrencyDecimals"_s), u"2"_s);
    }

    void taxRatesWithStartDates()
    {
        TFrameDataKanri page;
        const int counterBefore =
            db().scalar(u"SELECT MAXNO FROM AutoInc WHERE NAME = 'zeilist.db'"_s).toInt();
        runButton<TFormTaxSet>(page.FrTaxSet, [](TFormTaxSet &f) {
            // The template's four rates in start order.
            [&] {
                QCOMPARE(f.DBGrid1->rowCount(), 4);
                QCOMPARE(f.DBGrid1->item(3, 0)->text(), u"2019/10/01"_s);
                QCOMPARE(f.DBGrid1->item(3, 1)->text(), u"10"_s);
            }();
            f.SpBtnInsertClick();
            f.EditStartDate->setDate(QDate(2030, 4, 1));
            f.EditPercent->setValue(12.5);
            f.SpBtnPostClick();
            // Posting twice stays one row.
            f.SpBtnPostClick();
            // The 1989 rate goes.
            f.DBGrid1->setCurrentCell(0, 0);
            f.SpBtnDeleteClick();
            // The 1997 rate becomes 6 %.
            f.DBGrid1->setCurrentCell(0, 0);
            f.EditPercent->setValue(6);
            f.SpBtnPostClick();
            f.RGroundOffClick(1);
            f.close();
            return f.result();
        });
        QStringList rows;
        Statement st(db(), u"SELECT STARTDATE, PERCENT FROM ZeiList ORDER BY STARTDATE"_s);
        while (st.next())
            rows << st.textValue(0) + u" "_s + QString::number(st.doubleValue(1));
        QCOMPARE(rows, (QStringList{u"1997-04-01 6"_s, u"2014-04-01 8"_s, u"2019-10-01 10"_s, u"2030-04-01 12.5"_s}));
        // The new row took one number from the counter.
        QCOMPARE(db().scalar(u"SELECT DATANO FROM ZeiList WHERE STARTDATE = '2030-04-01'"_s).toInt(),
                 counterBefore + 1);
        QCOMPARE(int(TaxCalcMode), 1);
        QCOMPARE(onDisk(u"State"_s, u"TaxCalc"_s), u"1"_s);
    }

    void taxDialogClosedWithoutChangesWritesNothing()
    {
        TFrameDataKanri page;
        dm->DataChanged = false;
        runButton<TFormTaxSet>(page.FrTaxSet, [](TFormTaxSet &f) {
            f.DBGrid1->setCurrentCell(2, 0);
            f.close();
            return f.result();
        });
        QVERIFY(!dm->DataChanged);
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM ZeiList"_s).toInt(), 4);
    }

    void accountManagementSwitch()
    {
        TFrameDataKanri page;
        int arranged = 0;
        TFrameDataKanri::ArrangePages = [&arranged] { ++arranged; };
        const bool before = KouzaUseFlag;
        {
            DialogQueue dialogs;
            dialogs.answer(mrNo, before ? u"『行わない』"_s : u"『行う』"_s);
            page.FrKouzaUse->click();
            QVERIFY(dialogs.done());
        }
        QCOMPARE(KouzaUseFlag, before);
        QCOMPARE(arranged, 0);
        {
            DialogQueue dialogs;
            dialogs.answer(mrYes);
            page.FrKouzaUse->click();
            QVERIFY(dialogs.done());
        }
        TFrameDataKanri::ArrangePages = nullptr;
        QCOMPARE(KouzaUseFlag, !before);
        QCOMPARE(arranged, 1);
        QCOMPARE(onDisk(u"State"_s, u"KouzaUse"_s), !before ? u"1"_s : u"0"_s);
    }

    // The entry options of the settings dialog against what the expense page
    // does after its refresh.
    void pageOptionsReachTheExpensePage()
    {
        DataIni->WriteBoolAndUpdate(u"State"_s, u"KouzaUse"_s, false);
        auto page = openExpensePage();
        QVERIFY(!hasQuantityColumn(*page));
        QCOMPARE(page->Hyou->fixedCols(), 2);
        QVERIFY(!dm->MeisaiClt->CltCodeInput);

        THimokuSonota options;
        options.LoadPage(db(), 2);
        QVERIFY(options.ChkBoxZeiAutoData->isVisibleTo(&options));
        QVERIFY(!options.ChkBoxKouzaOnly->isVisibleTo(&options));
        options.ChkBoxQuantity->setChecked(true);
        options.ChkBoxYosan->setChecked(true);
        options.ChkBoxCode->setChecked(true);
        // "Enter moves right" turns "append at the last line" off.
        options.ChkBoxYoko->setChecked(true);
        QVERIFY(!options.ChkBoxAppendLeft->isEnabled());
        options.ChkBoxYoko->setChecked(false);
        QVERIFY(options.ChkBoxAppendLeft->isEnabled());
        QCOMPARE(onDisk(u"Deru"_s, u"UseQuantity"_s), u"1"_s);
        QCOMPARE(onDisk(u"Deru"_s, u"ShowYosanRitu"_s), u"1"_s);
        QCOMPARE(onDisk(u"Deru"_s, u"CodeInput"_s), u"1"_s);
        QCOMPARE(onDisk(u"Deru"_s, u"YokoMove"_s), u"0"_s);
        // The income page's section is untouched.
        QCOMPARE(onDisk(u"Iri"_s, u"UseQuantity"_s), u"<none>"_s);

        page->DetachDataSets();
        page->RefreshPage();
        QVERIFY(hasQuantityColumn(*page));
        QCOMPARE(page->Hyou->fixedCols(), 3);
        QVERIFY(dm->MeisaiClt->CltCodeInput);
    }

    void accountOptionsSeedTheirDefaults()
    {
        THimokuSonota options;
        options.LoadPage(db(), 3);
        QCOMPARE(onDisk(u"Kouza"_s, u"ShowKouzaOnly"_s), u"1"_s);
        QCOMPARE(onDisk(u"Kouza"_s, u"ReceiptAiteCODE"_s), u"100"_s);
        QVERIFY(options.ChkBoxKouzaOnly->isChecked());
        QVERIFY(!options.CmbReceipt->isVisibleTo(&options));
        // The first visible income and expense categories.
        QCOMPARE(options.CmbKinkenInCome->currentData().toInt(), onDisk(u"Kouza"_s, u"KinkenInComeCODE"_s).toInt());
        QVERIFY(onDisk(u"Kouza"_s, u"ZandakaTyouseiCODE"_s).toInt() > 100);
    }

    void otherOptions()
    {
        TFrameDataKanri page;
        const QString backUpFolder = env->path(u"backups"_s);
        int styleAsked = 0;
        TFormOtherOption::RunningViewStyle = [&styleAsked] {
            ++styleAsked;
            return 0;
        };
        TFormOtherOption::RunningTabImages = [] { return true; };
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"表示スタイルの変更は次回起動時から有効です。"_s);
            runButton<TFormOtherOption>(page.FrBtnOther, [&](TFormOtherOption &f) {
                [&] {
                    QVERIFY(!f.FrBtnNoHint->isChecked());
                    QCOMPARE(f.SpinEdit1->value(), 10);
                    QCOMPARE(f.SpinEdit1->maximum(), 20);
                    QVERIFY(f.CkBxTabImage->isEnabled());
                }();
                f.FrBtnNoHint->setChecked(true);
                f.SpinEdit1->setValue(0);
                f.JvDEAutoBackUpPlace->setText(backUpFolder);
                f.FrBtnStyleMenu->setChecked(true);
                [&] { QVERIFY(!f.CkBxTabImage->isEnabled()); }();
                f.FrBtnKakikataAuto->setChecked(true);
                f.ShapeBtnOKClick();
                return f.result();
            });
            QVERIFY(dialogs.done());
        }
        TFormOtherOption::RunningViewStyle = nullptr;
        TFormOtherOption::RunningTabImages = nullptr;
        QCOMPARE(styleAsked, 1);
        QVERIFY(RegIni->readBool(u"MainForm"_s, u"NoShowHint"_s, false));
        QCOMPARE(RegIni->readInteger(u"BackUp"_s, u"AutoBackUpCount"_s, -1), 0);
        QCOMPARE(RegIni->readString(u"BackUp"_s, u"BackUpPlace"_s, QString()), backUpFolder);
        QCOMPARE(RegIni->readInteger(u"MainForm"_s, u"ViewStyle"_s, -1), 1);
        QCOMPARE(RegIni->readInteger(u"MainForm"_s, u"KakikatAuto"_s, -1), 1);
        // Hints are off everywhere at once.
        QVERIFY(!HintsShown());
        QLabel label(u"x"_s);
        label.setToolTip(u"ヒント"_s);
        QHelpEvent tip(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
        QVERIFY(QCoreApplication::sendEvent(&label, &tip));
        QVERIFY(!QToolTip::isVisible());

        // Going back to the default backup folder stores the default (empty),
        // so the backups follow the data place again; cancel stores nothing.
        runButton<TFormOtherOption>(page.FrBtnOther, [&](TFormOtherOption &f) {
            f.JvDEAutoBackUpPlace->setText(TFormOtherOption::DefaultBackUpPlace(f.JvDEDefaultDataPlace->text()));
            f.FrBtnNoHint->setChecked(false);
            f.ShapeBtnOKClick();
            return f.result();
        });
        QCOMPARE(RegIni->readString(u"BackUp"_s, u"BackUpPlace"_s, u"<none>"_s), QString());
        QVERIFY(HintsShown());
        runButton<TFormOtherOption>(page.FrBtnOther, [&](TFormOtherOption &f) {
            f.SpinEdit1->setValue(20);
            return int(mrCancel);
        });
        QCOMPARE(RegIni->readInteger(u"BackUp"_s, u"AutoBackUpCount"_s, -1), 0);
    }

    void everyButtonOfTheOpenBook()
    {
        TFrameDataKanri page;
        page.ApplicationEvents1Idle();
        for (TFrameBtn *b : {page.FrHimoku, page.FrBtnPassword, page.FrCalender, page.FrNendo, page.FrTaxSet,
                             page.FrBtnLockDate, page.FrDecimals, page.FrKouzaUse, page.FrBtnBackUp})
            QVERIFY2(b->isEnabled(), qPrintable(b->text()));
        dm->CloseAndBackUp(false);
        page.ApplicationEvents1Idle();
        for (TFrameBtn *b : {page.FrHimoku, page.FrBtnPassword, page.FrCalender, page.FrNendo, page.FrTaxSet,
                             page.FrBtnLockDate, page.FrDecimals, page.FrKouzaUse, page.FrBtnBackUp})
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        QVERIFY(page.FrBtnOther->isEnabled());
        QVERIFY(page.FrBtnRestore->isEnabled());
        // The book buttons test for themselves: without a book no dialog comes.
        page.FrBtnLockDateClick();
        page.FrTaxSetClick();
        page.FrHimokuClick();
        QCOMPARE(ModalForms::pending(), 0);
    }

    void accessCode()
    {
        TFrameDataKanri page;
        {
            DialogQueue dialogs;
            dialogs.input(u"KW"_s, u"?"_s);
            page.SpeedButton1->click();
            QVERIFY(dialogs.done());
        }
        QVERIFY(!FormCltView);
        {
            DialogQueue dialogs;
            dialogs.input(u"kw"_s, u"?"_s);
            page.SpeedButton1->click();
            QVERIFY(dialogs.done());
        }
        QVERIFY(FormCltView);
        QCOMPARE(FormCltView->ValueListEditor1->item(0, 0)->text(), u"CltNewRecPos"_s);
        delete FormCltView;
    }
};

QTEST_MAIN(TestSettingsDialogs)
#include "tst_settingsdialogs.moc"
