#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "ImportFixture.h"
#include "controls/FrameBtn.h"
#include "data/DatMod.h"
#include "data/ModalForm.h"
#include "management/FrameDataKanri.h"
#include "management/imexport/FormImExport.h"
#include "management/imexport/FormImport.h"
#include "controls/MyDBNavigator.h"
#include "management/imexport/FormMatchList.h"
#include "management/imexport/FormProgress.h"
#include "management/imexport/FormSelectAite.h"
#include "management/imexport/FormZei.h"
#include "management/imexport/FrameFieldMatch.h"
#include "management/imexport/ImportReviewPage.h"
#include "management/imexport/ImportRowsModel.h"
#include "platform/system/ShiftJis.h"
#include "platform/ui/DialogScript.h"

using namespace Qt::StringLiterals;
using ImportFixture::scalarInt;
using ImportFixture::snapshot;

namespace {

// A bank statement: date, description, withdrawal, deposit... here one amount
// column with the sign of the movement and the category in the text.
const QString kStatement = u"取引日,摘要,金額,残高\r\n"
                           u"2026/01/05,食費,\"1,200\",98800\r\n"
                           u"2026/01/10,給与,\"250,000\",348800\r\n"
                           u"2026/01/12,日用品,\"3,400\",345400\r\n"_s;

void acceptAite(const QString &name)
{
    ModalForms::push([name](QDialog &d) {
        auto &f = dynamic_cast<TFormSelectAite &>(d);
        f.CmbBoxAite->setCurrentText(name);
        return f.BtnOKClick() ? int(mrOk) : int(mrCancel);
    });
}
void acceptZei()
{
    ModalForms::push([](QDialog &d) {
        dynamic_cast<TFormZei &>(d).BtnOKClick();
        return int(mrOk);
    });
}

} // namespace

// The import window, its field matching and the import and export dialog, as
// the user drives them, on books made from the shipped template.
class TestImportWizard : public QObject, private BookFixture::BookPlace
{
    Q_OBJECT

    Database &db() { return dm->MainDatabase; }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = env->path(name);
        TestEnv::writeFile(path, bytes);
        return path;
    }
    void matchStatement(TFrameFieldMatch &page)
    {
        page.RGrpFieldName->button(1)->click();
        page.CmbBoxThousand->setCurrentIndex(1);
        page.SetTarget(0, u"日付"_s);
        page.SetTarget(1, u"費目"_s);
        page.SetTarget(2, u"金額"_s);
    }

private slots:
    void init()
    {
        openPlace();
        const QString folder = makeBook(u"家計簿"_s);
        QVERIFY(!folder.isEmpty());
        QString f = folder;
        QVERIFY(dm->OpenBook(u"家計簿"_s, f));
    }
    void cleanup() { closePlace(); }

    void statementThroughTheWizard()
    {
        TFormImport form(db(), file(u"bank.csv"_s, toShiftJis(kStatement)), true);
        QVERIFY(form.Prepare());
        QVERIFY(form.ShowingMatching());
        TFrameFieldMatch &page = *form.FrameFieldMatch;
        QCOMPARE(page.VlLstField->rowCount(), 4);
        QCOMPARE(page.VlLstField->item(0, 0)->text(), u"フィールド0"_s);
        matchStatement(page);
        QCOMPARE(page.VlLstField->item(1, 0)->text(), u"摘要"_s);
        QCOMPARE(page.SoftGrid1->item(2, 2)->text(), u"食費"_s); // the preview starts after the captions
        form.FrameFieldMatchClrBtnOKClick();
        QVERIFY(!form.ShowingMatching());
        QCOMPARE(form.Review->LbRecCount->text(), u"3行"_s);
        QCOMPARE(form.Review->BtnSave->text(), u"次へ"_s);
        QCOMPARE(form.Review->Model->headerData(2, Qt::Horizontal).toString(), u"費目名"_s);

        const QStringList before = snapshot(db());
        acceptZei();
        acceptAite(u"普通預金"_s);
        form.BtnSaveClick();
        QVERIFY(form.ShowingConverted());
        QCOMPARE(form.Review->BvLbTitle->text(), u"変換されたデータ"_s);
        QCOMPARE(form.Review->BtnCancel->text(), u"戻る"_s);
        QCOMPARE(form.Review->Model->rowCount(), 3);
        QCOMPARE(form.Review->Model->data(form.Review->Model->index(1, 4)).toString(), u"普通預金"_s);
        // 戻る goes back one step, and nothing has been written.
        form.BtnCancelClick();
        QVERIFY(!form.ShowingConverted() && !form.ShowingMatching());
        QCOMPARE(snapshot(db()), before);
        acceptZei();
        acceptAite(u"普通預金"_s);
        form.BtnSaveClick();
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"3 行のデータをインポートしました。"_s);
        form.BtnSaveClick();
        QVERIFY(dialogs.done());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(scalarInt(db(), u"SELECT COUNT(*) FROM Master WHERE RECKIND = 201 AND KASICODE = 123"_s), 2);
        QCOMPARE(scalarInt(db(), u"SELECT COUNT(*) FROM Master WHERE KARICODE = 123 AND KASICODE = 101 "
                                 "AND KINGAKU = 250000"_s), 1);
        QCOMPARE(scalarInt(db(), u"SELECT ZEIATUKAI FROM Master WHERE KARICODE = 107"_s), 1);
    }

    void matchingRefusals_data()
    {
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<QString>("message");
        QTest::newRow("no date") << QStringList{u"費目"_s, u"金額"_s, u"未使用"_s} << u"日付フィールドが指定されていません。"_s;
        QTest::newRow("no category") << QStringList{u"日付"_s, u"金額"_s, u"未使用"_s}
                                     << u"費目フィールド　もしくは　入金先(借方)，出金元(貸方)フィールドが指定されていません。"_s;
        QTest::newRow("category and debit amount")
            << QStringList{u"日付"_s, u"費目"_s, u"借方金額"_s, u"貸方金額"_s}
            << u"費目フィールドと　借方金額，貸方金額フィールドは同時に指定できません。"_s;
        QTest::newRow("debit without credit") << QStringList{u"日付"_s, u"入金先(借方)"_s, u"金額"_s}
                                              << u"出金元(貸方)フィールドが指定されていません。"_s;
        QTest::newRow("no amount") << QStringList{u"日付"_s, u"費目"_s, u"数量"_s}
                                   << u"金額フィールドが指定されていません。"_s;
        QTest::newRow("debit tax alone") << QStringList{u"日付"_s, u"費目"_s, u"金額"_s, u"借方税扱"_s}
                                         << u"貸方税扱フィールドが指定されていません。"_s;
        QTest::newRow("good") << QStringList{u"日付"_s, u"費目"_s, u"金額"_s} << QString();
    }
    void matchingRefusals()
    {
        QFETCH(QStringList, targets);
        QFETCH(QString, message);
        TFieldMatching m;
        for (int i = 0; i < targets.size(); ++i)
            m.Keys << u"フィールド%1"_s.arg(i);
        m.Targets = targets;
        QCOMPARE(m.Check(), message);
    }

    void pageKeepsOneColumnPerTarget()
    {
        DialogQueue dialogs;
        TFormImport form(db(), file(u"t.csv"_s, "a,b,c\r\n1,2,3\r\n"), true);
        QVERIFY(form.Prepare());
        TFrameFieldMatch &page = *form.FrameFieldMatch;
        page.SetTarget(0, u"金額"_s);
        page.SetTarget(2, u"金額"_s);
        QCOMPARE(page.Target(0), u"未使用"_s);
        QCOMPARE(page.Target(2), u"金額"_s);
        QCOMPARE(page.SoftGrid1->item(1, 3)->text(), u"金額"_s);
        // Another delimiter rebuilds the list and clears the targets.
        dialogs.answer(mrOk, u"項目数が足りません。"_s);
        page.RGrpKugiri->button(1)->click();
        QCOMPARE(page.VlLstField->rowCount(), 0);
        page.RGrpKugiri->button(0)->click();
        QCOMPARE(page.Target(2), u"未使用"_s);
        QVERIFY(dialogs.done());
    }

    void matchingFileSavedAndLoaded()
    {
        const QString path = file(u"bank.csv"_s, toShiftJis(kStatement));
        const QString pfm = env->path(u"ImportField.pfm"_s);
        {
            TFormImport form(db(), path, true);
            QVERIFY(form.Prepare());
            matchStatement(*form.FrameFieldMatch);
            form.FrameFieldMatch->CmbBoxDate->setCurrentIndex(2);
            form.FrameFieldMatch->CmbBoxCurrencyString->setCurrentIndex(1);
            form.Import.AiteName = u"財布"_s;
            form.Import.ZeiKeyWords = {u"消費税"_s, QString(), u"切手"_s};
            form.Import.HimokuConvert.AddPairEx(u"スーパー"_s, u"食費"_s, 2, 2, 107);
            QVERIFY(form.FrameFieldMatch->SaveSettei(pfm));
        }
        TFormImport form(db(), path, true);
        QVERIFY(form.Prepare());
        TFrameFieldMatch &page = *form.FrameFieldMatch;
        QVERIFY(page.LoadSettei(pfm));
        QCOMPARE(page.RGrpFieldName->checkedId(), 1);
        QCOMPARE(page.CmbBoxThousand->currentIndex(), 1);
        QCOMPARE(page.CmbBoxDate->currentIndex(), 2);
        QCOMPARE(page.CmbBoxCurrencyString->currentIndex(), 1);
        QCOMPARE((QStringList{page.Target(0), page.Target(1), page.Target(2), page.Target(3)}),
                 (QStringList{u"日付"_s, u"費目"_s, u"金額"_s, u"未使用"_s}));
        QCOMPARE(form.Import.AiteName, u"財布"_s);
        QCOMPARE(form.Import.ZeiKeyWords, (QStringList{u"消費税"_s, QString(), u"切手"_s}));
        const int entry = form.Import.HimokuConvert.IndexOfFromName(u"スーパー"_s);
        QVERIFY(entry > 0);
        QCOMPARE(form.Import.HimokuConvert.ToName(entry), u"食費"_s);
        QCOMPARE(form.Import.HimokuConvert.GetCode(entry), -1); // found again by its name at save

        // A file that is no matching leaves the page as it was.
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"設定の呼び出しに失敗しました．"_s);
        QVERIFY(!page.LoadSettei(file(u"junk.pfm"_s, "{\"format\": 1}")));
        QCOMPARE(page.Target(1), u"費目"_s);
    }

    void taxDialogKeepsItsWords_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<bool>("syohizei");
        QTest::addColumn<bool>("zei");
        QTest::addColumn<QString>("memo");
        QTest::newRow("first use") << QStringList{} << true << true << QString();
        // Two lines are what an OK with an empty memo leaves: the boxes come
        // back as they were, and the words do not pile up in the memo.
        QTest::newRow("税 unticked") << QStringList{u"消費税"_s, QString()} << true << false << QString();
        QTest::newRow("with more words") << QStringList{QString(), u"税"_s, u"切手"_s} << false << true << u"切手"_s;
    }
    void taxDialogKeepsItsWords()
    {
        QFETCH(QStringList, words);
        QFETCH(bool, syohizei);
        QFETCH(bool, zei);
        QFETCH(QString, memo);
        TImportRun run(db());
        run.ZeiKeyWords = words;
        TFormZei form(run);
        QCOMPARE(form.ChkBoxSyohizei->isChecked(), syohizei);
        QCOMPARE(form.ChkBoxZei->isChecked(), zei);
        QCOMPARE(form.MemoKeyWord->toPlainText(), memo);
        form.BtnOKClick();
        QStringList expected{syohizei ? u"消費税"_s : QString(), zei ? u"税"_s : QString()};
        if (!memo.isEmpty())
            expected << memo;
        QCOMPARE(run.ZeiKeyWords, expected);
    }

    void progressCancelBelongsToOneStep()
    {
        TFormProgress progress;
        progress.Start(u"データ読み込み中"_s, 200);
        QVERIFY(!progress.Step(100));
        QCOMPARE(progress.ProgressBar1->value(), 50); // the bar shows the real fraction
        progress.BtnCancelClick();
        QVERIFY(progress.Step(101));
        QCOMPARE(progress.BtnCancel->text(), u"停止"_s);
        progress.Start(u"データ検証中"_s, 10);
        QVERIFY(!progress.Step(1));
        progress.Finish();
    }

    void encodingChosenByHand_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("readAs");
        QTest::addColumn<int>("failed");
        const QByteArray utf8Broken = kStatement.toUtf8() + "2026/01/20,\xE9\xA3\xFF,\"500\",0\r\n";
        QTest::newRow("shift-jis read as utf-8") << toShiftJis(kStatement) << 2 << u"UTF-8"_s << 3;
        QTest::newRow("utf-8 read as shift-jis") << kStatement.toUtf8() << 1 << u"Shift-JIS"_s << 3;
        QTest::newRow("utf-8 detected") << kStatement.toUtf8() << 0 << u"UTF-8"_s << 0;
        QTest::newRow("broken utf-8 detected") << utf8Broken << 0 << u"Shift-JIS"_s << 4;
        QTest::newRow("broken utf-8 chosen") << utf8Broken << 2 << u"UTF-8"_s << 1;
    }
    void encodingChosenByHand()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, chosen);
        QFETCH(QString, readAs);
        QFETCH(int, failed);
        TFormImport form(db(), file(u"bank.csv"_s, bytes), true);
        QVERIFY(form.Prepare());
        DialogQueue dialogs; // garbage names would bring the category dialog
        form.CmbBoxCharCode->setCurrentIndex(chosen);
        form.CmbBoxCharCodeChange();
        QVERIFY(form.ShowingMatching());
        QVERIFY(form.LbCharCode->text().contains(readAs));
        matchStatement(*form.FrameFieldMatch);
        form.FrameFieldMatchClrBtnOKClick();
        QVERIFY(!form.ShowingMatching());
        QCOMPARE(form.Import.FailedCount(form.Import.ImportClt), failed);
        int listed = 0;
        for (const auto &p : form.Import.ReadingList)
            listed += p.text.contains(u"文字コードが合いません"_s) ? 1 : 0;
        QCOMPARE(listed, failed);
        QCOMPARE(form.Import.ErrorsPresent, failed > 0);
        QVERIFY(dialogs.done());
        // The good rows carry the book's own names, never garbage.
        for (const auto &row : form.Import.ImportClt)
            if (row.good())
                QVERIFY(QStringList({u"食費"_s, u"給与"_s, u"日用品"_s})
                            .contains(form.Import.HimokuConvert.ToName(row.entry(fHimokuCode))));
        // 諸口 and the names of the good rows, nothing made of a failed line.
        QCOMPARE(form.Import.HimokuConvert.Count(), 1 + (failed >= 3 ? 0 : 3));
    }

    void ownFormatReadAgainInTheChosenEncoding()
    {
        const QString pep = file(u"e.pep"_s, (u"RuzuVizuraStlye_1\r\n1,0,0,1,2014/01/05,\"食費\",\"現金\",500,1,1,"
                                               "\"\",\"\",\"\",False,1,1,2,False\r\n"_s).toUtf8());
        TFormImport form(db(), pep, true);
        QVERIFY(form.Prepare());
        QCOMPARE(form.Import.FailedCount(form.Import.ImportClt), 0);
        QVERIFY(form.CmbBoxCharCode->isEnabled());
        form.CmbBoxCharCode->setCurrentIndex(1);
        form.CmbBoxCharCodeChange();
        QVERIFY(form.LbCharCode->text().contains(u"Shift-JIS"_s));
        QCOMPARE(form.Import.FailedCount(form.Import.ImportClt), 1);
        QCOMPARE(form.Review->Model->rowCount(), 1);
        const QStringList before = snapshot(db());
        DialogQueue dialogs;
        dialogs.answer(mrCancel, u"1行　読み飛ばします。"_s);
        form.BtnSaveClick();
        QVERIFY(dialogs.done());
        QCOMPARE(snapshot(db()), before);
    }

    void deletedListEntriesAreLookedUpAgain_data()
    {
        QTest::addColumn<bool>("fromConverted");
        QTest::newRow("from the rows read") << false;
        QTest::newRow("from the converted lines") << true;
    }
    void deletedListEntriesAreLookedUpAgain()
    {
        QFETCH(bool, fromConverted);
        TFormImport form(db(), file(u"bank.csv"_s, toShiftJis(kStatement)), true);
        QVERIFY(form.Prepare());
        // A loaded conversion list that takes 給与 for 食費.
        form.Import.HimokuConvert.AddPairEx(u"給与"_s, u"食費"_s, 0, 2, -1);
        matchStatement(*form.FrameFieldMatch);
        form.FrameFieldMatchClrBtnOKClick();
        if (fromConverted) {
            acceptZei();
            acceptAite(u"普通預金"_s);
            form.BtnSaveClick();
            QVERIFY(form.ShowingConverted());
        }
        int listed = 0;
        QString deleted;
        ModalForms::push([&](QDialog &d) {
            auto &f = dynamic_cast<TFormMatchList &>(d);
            listed = f.DBGrid1->rowCount();
            for (int r = 0; r < f.DBGrid1->rowCount(); ++r)
                if (f.DBGrid1->item(r, 0)->text() == u"給与")
                    f.DBGrid1->setCurrentCell(r, 1);
            deleted = f.DBGrid1->item(f.DBGrid1->currentRow(), 0)->text();
            f.DBNavigator1->click(TMyDBNavigator::Delete);
            return int(mrOk);
        });
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"レコードを削除してもよいですか？"_s);
        dialogs.answer(mrOk, u"設定が変更されましたので戻します。"_s);
        form.ClrBtnExcangeListClick();
        QVERIFY(dialogs.done());
        QVERIFY(listed >= 3);
        QCOMPARE(deleted, u"給与"_s);
        if (!fromConverted) {
            QCOMPARE(form.Import.HimokuConvert.IndexOfFromName(u"給与"_s), -1);
            QVERIFY(form.ShowingMatching());
            matchStatement(*form.FrameFieldMatch);
            form.FrameFieldMatchClrBtnOKClick();
        }
        QVERIFY(!form.ShowingMatching() && !form.ShowingConverted());
        // Every row read again names its own category: none points at an
        // entry renumbered by the deletion.
        QStringList names;
        for (const auto &row : form.Import.ImportClt)
            names << form.Import.HimokuConvert.ToName(row.entry(fHimokuCode));
        QCOMPARE(names, (QStringList{u"食費"_s, u"給与"_s, u"日用品"_s}));
        QCOMPARE(form.Review->Model->rowCount(), 3);
    }

    // The list's navigator: an entry's change is taken back by cancel, posted
    // by moving on, and closing posts the entry still being edited; a
    // declined delete keeps the entry.
    void matchListNavigator()
    {
        TConvertPearArray list(1);
        for (const char *name : {"給与", "食費", "日用品"}) {
            TConvertPear p;
            p.fromName = QString::fromUtf8(name);
            p.toName = p.fromName;
            p.kind = 2;
            list << p;
        }
        TFormMatchList f(list, true, false);
        TMyDBNavigator *nav = f.DBNavigator1;
        QVERIFY(!nav->BtnPost->isEnabled() && nav->BtnEdit->isEnabled());
        f.DBGrid1->item(0, 1)->setText(u"賞与"_s);
        QVERIFY(nav->BtnPost->isEnabled() && nav->BtnCancel->isEnabled());
        nav->click(TMyDBNavigator::Cancel);
        QCOMPARE(f.DBGrid1->item(0, 1)->text(), u"給与"_s);
        QVERIFY(!nav->BtnCancel->isEnabled());

        static_cast<QComboBox *>(f.DBGrid1->cellWidget(0, 2))->setCurrentText(u"収入費目"_s);
        nav->click(TMyDBNavigator::Next); // posts
        QCOMPARE(f.DBGrid1->currentRow(), 1);
        nav->click(TMyDBNavigator::Cancel); // nothing left to take back
        QCOMPARE(static_cast<QComboBox *>(f.DBGrid1->cellWidget(0, 2))->currentText(), u"収入費目"_s);

        DialogQueue dialogs;
        dialogs.answer(mrCancel, u"レコードを削除してもよいですか？"_s);
        nav->click(TMyDBNavigator::Delete);
        QVERIFY(dialogs.done());
        QCOMPARE(f.DBGrid1->rowCount(), 3);

        // Typing into the cell's editor starts the edit at the first key:
        // cancel takes it back before the text is handed in.
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.DBGrid1->setCurrentCell(1, 1);
        f.DBGrid1->editItem(f.DBGrid1->item(1, 1)); // as a double click does
        auto *editor = f.DBGrid1->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QVERIFY(!nav->BtnCancel->isEnabled());
        QTest::keyClicks(editor, u"xyz"_s);
        QVERIFY(nav->BtnCancel->isEnabled());
        nav->click(TMyDBNavigator::Cancel);
        QCOMPARE(f.DBGrid1->item(1, 1)->text(), u"食費"_s);
        QVERIFY(!nav->BtnCancel->isEnabled());

        nav->click(TMyDBNavigator::Last);
        f.DBGrid1->item(2, 1)->setText(u"雑費"_s);
        QVERIFY(f.Post());
        QCOMPARE(list.size(), 4);
        QCOMPARE(list.at(1).kind, 1);
        QCOMPARE(list.at(2).toName, u"食費"_s);
        QCOMPARE(list.at(3).toName, u"雑費"_s);
    }

    void overwriteIsAskedOnce_data()
    {
        QTest::addColumn<bool>("matchingFile");
        QTest::addColumn<QStringList>("questions");
        QTest::newRow("export") << false << QStringList{u"上書きしますか？"_s, u"0 レコード　出力しました。"_s};
        QTest::newRow("matching file") << true << QStringList{u"上書きしますか？"_s};
    }
    void overwriteIsAskedOnce()
    {
        QFETCH(bool, matchingFile);
        QFETCH(QStringList, questions);
        // The real file dialog and message boxes, answered as a user would:
        // the existing file chosen, then はい to every question.
        const QString path = env->path(matchingFile ? u"ImportField.pfm"_s : u"ruzuvizura.pep"_s);
        TestEnv::writeFile(path, "old");
        QObject context; // ends the polling with the test
        QStringList asked;
        bool running = true;
        int polls = 0;
        std::function<void()> poll = [&] {
            if (!running)
                return;
            QTimer::singleShot(10, &context, poll); // before answering: answers run nested loops
            QWidget *w = QApplication::activeModalWidget();
            if (auto *fd = qobject_cast<QFileDialog *>(w)) {
                fd->selectFile(path);
                QMetaObject::invokeMethod(fd, "accept"); // as its 保存 button does
            } else if (auto *box = qobject_cast<QMessageBox *>(w)) {
                asked << box->text();
                for (QAbstractButton *b : box->buttons())
                    if (box->buttonRole(b) == QMessageBox::YesRole || box->buttonRole(b) == QMessageBox::AcceptRole) {
                        b->click();
                        break;
                    }
            } else if (w && ++polls > 500) {
                w->close(); // something unexpected: end it rather than hang
            }
        };
        DialogScript::setRefuseUnscripted(false);
        QTimer::singleShot(10, &context, poll);
        if (matchingFile) {
            TFormImport form(db(), file(u"bank.csv"_s, toShiftJis(kStatement)), true);
            QVERIFY(form.Prepare());
            form.FrameFieldMatch->ClrBtnSaveSetteiClick();
        } else {
            TFormImExport dialog(db());
            dialog.BtnExportClick();
            QVERIFY(dialog.Done());
        }
        running = false;
        DialogScript::setRefuseUnscripted(true);
        QCOMPARE(asked, questions);
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll() != "old");
    }

    void cancelledReadingStaysOnThePage()
    {
        TFormImport form(db(), file(u"bank.csv"_s, toShiftJis(kStatement)), true);
        QVERIFY(form.Prepare());
        matchStatement(*form.FrameFieldMatch);
        form.Progress->Start(QString(), 1);
        form.Progress->BtnCancelClick();
        // A cancel pressed before does not carry over into this reading.
        form.FrameFieldMatchClrBtnOKClick();
        QVERIFY(!form.ShowingMatching());
    }

    void dialogExportsAndComesBackAfterACancelledImport()
    {
        Statement ins(db(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, SHOPCODE, HINMEICODE, "
                            "PERSONCODE, KARICODE, KASICODE, RESERVED, LOOKUPNO, RECEIPTNO, RECKIND, STYLE, ORIGIN, "
                            "ZEIATUKAI) VALUES (1, 1, '2014-01-05', 500, 1, 0, 0, 0, 107, 100, 0, 0, 0, 1, 1, 2, 1)"_s);
        ins.exec();
        const QString csv = env->path(u"out.csv"_s);
        DialogQueue dialogs;
        ModalForms::push([&](QDialog &d) {
            auto &f = dynamic_cast<TFormImExport &>(d);
            f.FrBtnSyousaiEx->setChecked(true);
            f.CmbBoxDate->setCurrentIndex(3);
            f.BtnExportClick();
            return f.result();
        });
        dialogs.saveFile(csv).answer(mrOk, u"1 レコード　出力しました。"_s);
        TFormImExport dialog(db());
        dialog.RunImportExport();
        QVERIFY(dialog.Done());
        QFile out(csv);
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QStringList lines = fromShiftJis(out.readAll()).split(u"\r\n"_s);
        QCOMPARE(lines.value(0), u"\"データNo\",\"伝票No\",\"行No\",\"日付\",\"借方科目\",\"貸方科目\",\"金額\",\"数量\","
                                 "\"税扱\",\"品名\",\"店名\",\"使用者\",\"予約\""_s);
        QCOMPARE(lines.value(1), u"\"1\",\"0\",\"1\",\"01/05/14\",\"食費\",\"現金\",\"500\",\"1\",\"内税\",\"\",\"\",\"\",\"\""_s);

        // Import: the file chosen, the import window cancelled, the dialog back.
        const QStringList before = snapshot(db());
        TFormImExport again(db());
        int shown = 0;
        ModalForms::push([&](QDialog &d) {
            ++shown;
            auto &f = dynamic_cast<TFormImExport &>(d);
            f.FrBtnSyousaiIm->setChecked(true);
            f.BtnImportClick();
            return f.result();
        });
        dialogs.openFile(csv);
        bool importShown = false;
        ModalForms::push([&](QDialog &d) {
            importShown = dynamic_cast<TFormImport *>(&d) != nullptr;
            return int(mrCancel);
        });
        ModalForms::push([&](QDialog &) {
            ++shown;
            return int(mrCancel);
        });
        again.RunImportExport();
        QCOMPARE(shown, 2);
        QVERIFY(importShown);
        QVERIFY(!again.Done());
        QCOMPARE(snapshot(db()), before);
        QVERIFY(dialogs.done());
    }

    void pageButtonOpensTheDialog()
    {
        QWidget window;
        auto *page = new TFrameDataKanri(&window);
        page->ApplicationEvents1Idle();
        QVERIFY(page->FrBtnImExport->isEnabled());
        bool shown = false;
        bool quitWhenLastClosed = true;
        ModalForms::push([&](QDialog &d) {
            shown = dynamic_cast<TFormImExport *>(&d) != nullptr;
            // With the main window hidden, closing a choice dialog of the
            // import must not end the program.
            quitWhenLastClosed = QGuiApplication::quitOnLastWindowClosed();
            return int(mrCancel);
        });
        QVERIFY(QGuiApplication::quitOnLastWindowClosed());
        page->FrBtnImExport->click();
        QVERIFY(shown);
        QVERIFY(!quitWhenLastClosed);
        QVERIFY(QGuiApplication::quitOnLastWindowClosed());
    }
};

QTEST_MAIN(TestImportWizard)
#include "tst_importwizard.moc"
