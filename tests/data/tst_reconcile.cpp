#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QtTest>

#include "BookFixture.h"
#include "TestEnv.h"
#include "data/DatMod.h"
#include "data/DatModSchema.h"
#include "data/MeisaiSave.h"
#include "data/ModalForm.h"
#include "data/MyRegistryIniFile.h"
#include "data/ReconcileErrorForm.h"
#include "platform/db/ClientDataSet.h"
#include "platform/ui/Dialogs.h"

// Rows the apply could not write, settled in the reconcile dialog: a change
// another connection made meanwhile, a refused insert and a conflicting delete.
class TestReconcile : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TDatMod> dm;
    QString folder;

    ClientDataSet &clt() { return *dm->MeisaiClt; }
    void otherConnection(const QString &sql)
    {
        Database other;
        other.open(folder + "/PomuZenitData.db");
        other.exec(sql);
    }
    double kingaku() { return dm->MainDatabase.scalar("SELECT KINGAKU FROM Master WHERE DATANO = 1").toDouble(); }

    struct Seen
    {
        QString caption, kind;
        QStringList headers, actions, rows;
        bool conflictsOnly = false, conflictsEnabled = false, changedEnabled = false;
    };
    static Seen look(TReconcileErrorForm &f)
    {
        Seen s;
        s.caption = f.windowTitle();
        s.kind = f.UpdateType->text();
        for (int c = 0; c < f.UpdateData->columnCount(); ++c)
            s.headers << f.UpdateData->horizontalHeaderItem(c)->text();
        for (ReconcileAction a : f.actions())
            s.actions << QString::number(int(a));
        for (int r = 0; r < f.UpdateData->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < f.UpdateData->columnCount(); ++c)
                cells << (f.UpdateData->item(r, c) ? f.UpdateData->item(r, c)->text() : QString());
            s.rows << cells.join('|');
        }
        s.conflictsOnly = f.ConflictsOnly->isChecked();
        s.conflictsEnabled = f.ConflictsOnly->isEnabled();
        s.changedEnabled = f.ChangedOnly->isEnabled();
        return s;
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        dm = std::make_unique<TDatMod>();
        folder = env->path("book");
        QVERIFY(BookFixture::writeEmptyBook(folder, QString(), QByteArray(), [](Database &db) {
            db.exec("INSERT INTO Master (DATANO,GYONO,RECDATE,KINGAKU,KARICODE,KASICODE,STYLE,RECEIPTNO,LOOKUPNO) "
                    "VALUES (1,1,'2024-05-01',100,201,101,1,0,0)");
            db.exec("UPDATE AutoInc SET MAXNO = 1 WHERE NAME = 'master.db'");
        }));
        RegIni->WriteStringAndUpdate("DataFolders", "B", folder);
        QString path = folder;
        QVERIFY(dm->OpenBook("B", path));
        clt().setCommandText("SELECT * FROM MASTER.DB WHERE DATANO > 0");
        clt().open();
        clt().OnReconcileError = HandleReconcileError;
        MeisaiSaveState = TMeisaiSaveState();
    }
    void cleanup()
    {
        ModalForms::clear();
        dm.reset();
        env.reset();
    }

    // A change another connection made meanwhile reaches the dialog through the save.
    void conflictingChange_data()
    {
        QTest::addColumn<int>("action");   // -1: the Cancel button
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<double>("stored");
        QTest::newRow("cancel button aborts") << -1 << "" << false << 999.0;
        QTest::newRow("skip") << int(ReconcileAction::Skip) << "" << false << 999.0;
        QTest::newRow("merge") << int(ReconcileAction::Merge) << "" << true << 150.0;
        // A correction is tried again; the table still differs from the row's old
        // values, so the dialog comes back with the corrected value to apply.
        QTest::newRow("correct, edited") << int(ReconcileAction::Correct) << "777" << false << 999.0;
        QTest::newRow("correct, not edited") << int(ReconcileAction::Correct) << "" << false << 999.0;
    }
    void conflictingChange()
    {
        QFETCH(int, action);
        QFETCH(QString, edit);
        QFETCH(bool, saved);
        QFETCH(double, stored);
        otherConnection("UPDATE Master SET KINGAKU = 999 WHERE DATANO = 1");
        clt().first();
        clt().edit();
        clt()["KINGAKU"].setValue(QVariant::fromValue(Currency::fromDouble(150)));
        clt().post();
        Seen seen;
        ModalForms::push([&](QDialog &d) {
            auto &f = dynamic_cast<TReconcileErrorForm &>(d);
            seen = look(f);
            if (action < 0) {
                f.selectAction(ReconcileAction::Correct);
                return int(mrCancel);
            }
            f.selectAction(ReconcileAction(action));
            if (!edit.isEmpty())
                f.UpdateData->item(0, 1)->setText(edit);
            return int(mrOk);
        });
        QString retried;
        if (action == int(ReconcileAction::Correct))
            ModalForms::push([&](QDialog &d) {
                auto &f = dynamic_cast<TReconcileErrorForm &>(d);
                retried = f.UpdateData->item(0, 1)->text();
                return int(mrCancel);
            });
        QCOMPARE(ApplyMeisaiUpdates(), saved);
        if (action == int(ReconcileAction::Correct))
            QCOMPARE(retried, edit.isEmpty() ? QString("150") : edit);
        QCOMPARE(ModalForms::pending(), 0);
        QCOMPARE(seen.caption, QString("更新エラー - MeisaiClt"));
        QCOMPARE(seen.kind, QString("変更"));
        QCOMPARE(seen.headers, (QStringList{"項目名", "変更値", "衝突値", "元の値"}));
        QCOMPARE(seen.actions.size(), 5);
        QVERIFY(seen.conflictsOnly && seen.conflictsEnabled && seen.changedEnabled);
        QCOMPARE(seen.rows, QStringList{"KINGAKU|150|999|100"});
        QCOMPARE(kingaku(), stored);
        QCOMPARE(clt().changeCount() == 0, saved);
    }

    void refusedInsertHasNoConflict()
    {
        dm->MainDatabase.exec("CREATE TRIGGER refuse BEFORE INSERT ON Master BEGIN SELECT RAISE(ABORT, 'no room'); END");
        // Appended behind the last line, so no line moves down to make room.
        clt().last();
        clt().next();
        clt().append();
        clt()["DATANO"].setValue(2);
        clt()["KINGAKU"].setValue(QVariant::fromValue(Currency::fromDouble(5)));
        clt().post();
        Seen seen;
        QString message;
        ModalForms::push([&](QDialog &d) {
            auto &f = dynamic_cast<TReconcileErrorForm &>(d);
            seen = look(f);
            message = f.ErrorMsg->toPlainText();
            return int(mrCancel);
        });
        QCOMPARE(clt().applyUpdates(1), 1);
        QCOMPARE(seen.kind, QString("挿入"));
        QCOMPARE(seen.headers, (QStringList{"項目名", "挿入値"}));
        QCOMPARE(seen.actions, (QStringList{QString::number(int(ReconcileAction::Skip)),
                                            QString::number(int(ReconcileAction::Cancel)),
                                            QString::number(int(ReconcileAction::Correct))}));
        QVERIFY(!seen.conflictsEnabled && !seen.conflictsOnly);
        QVERIFY(seen.rows.contains("DATANO|2") && seen.rows.contains("KINGAKU|5"));
        QVERIFY(message.contains("no room"));
        QCOMPARE(clt().changeCount(), 1);
    }

    void conflictingDeleteShowsOldValues()
    {
        otherConnection("UPDATE Master SET KINGAKU = 300 WHERE DATANO = 1");
        clt().first();
        clt().remove();
        Seen seen;
        ModalForms::push([&](QDialog &d) {
            seen = look(dynamic_cast<TReconcileErrorForm &>(d));
            return int(mrOk);   // skip
        });
        clt().applyUpdates(1);
        QCOMPARE(seen.kind, QString("削除"));
        QCOMPARE(seen.headers, (QStringList{"項目名", "元の値"}));
        QVERIFY(!seen.changedEnabled);
        QVERIFY(seen.rows.contains("KINGAKU|100"));
        QCOMPARE(kingaku(), 300.0);
    }
};

QTEST_MAIN(TestReconcile)
#include "tst_reconcile.moc"
