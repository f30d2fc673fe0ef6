#pragma once

#include <memory>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QStackedWidget>
#include <QToolBar>
#include <QtTest>

#include "TestEnv.h"
#include "controls/CurrencyGrid.h"
#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/DatModEvents.h"
#include "data/FormatSettings.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"
#include "main/FrameDeru.h"
#include "main/MainForm.h"
#include "main/MeisaiGrid.h"
#include "main/SlipPanel.h"
#include "platform/db/DataSetModel.h"

// The program as a user meets it, for the tests that drive the expense page:
// a temporary world with one book made from the template, the main window
// started on it, and the user's ways of typing into the page. A test class
// derives from it next to QObject and calls makeBook() and dropWorld() from its
// init() and cleanup().
struct JournalPageDriver
{
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TDatMod> dm;
    std::unique_ptr<TDatModSql> dmSql;
    std::unique_ptr<TMainForm> window;
    QString folder;

    // A new book "家計簿" from the template, registered as the current one.
    void makeBook()
    {
        env = std::make_unique<TestEnv>();
        FixProgramFormats();
        ResetProgramValues();
        TMainForm::ShowFirstUseNote = [](QWidget *) {};
        // The data module makes the per-user store.
        dm = std::make_unique<TDatMod>();
        RegIni->WriteStringAndUpdate(QStringLiteral("CurrentFolders"), QStringLiteral("DataPlace"),
                                     env->path(QStringLiteral("place")));
        folder = env->path(QStringLiteral("books/家計簿"));
        QDir().mkpath(folder);
        QVERIFY(CreateBookFromTemplate(folder));
        RegisterBook(QStringLiteral("家計簿"), folder, true);
    }

    // Starts the main window as the program does; the expense page it shows,
    // or nullptr when no book was opened.
    TFrameDeru *start()
    {
        if (!dm)
            dm = std::make_unique<TDatMod>();
        InstallTableEvents(*dm);
        dm->OnCheckHolidays = [] {};
        // The second data module, as the program's start-up makes it (the
        // category pickers fill from it).
        dmSql = std::make_unique<TDatModSql>(dm->MainDatabase);
        DatModSql = dmSql.get();
        window = std::make_unique<TMainForm>();
        MainForm = window.get();
        window->resize(1200, 800);
        window->show();
        window->activateWindow();
        // Typing needs the window active; a platform that cannot say so is not waited for.
        (void)QTest::qWaitForWindowActive(window.get());
        if (!DatMod || !DatMod->DataOpen)
            return nullptr;
        return qobject_cast<TFrameDeru *>(window->frameOf(pgDeru));
    }

    // Closes the program (the book is closed and backed up as at its end).
    void stop()
    {
        if (window)
            window->close();
        window.reset();
        MainForm = nullptr;
        dmSql.reset();
        dm.reset();
    }

    void dropWorld()
    {
        stop();
        env.reset();
    }

    // Clicks a cell of the monthly table.
    static void clickCell(TFrameDeru *page, int col, int row)
    {
        page->Hyou->model()->scrollIntoView(col, row);
        const QRect r = page->Hyou->cellRect(col, row);
        QVERIFY(!r.isEmpty());
        QTest::mouseClick(page->Hyou->viewport(), Qt::LeftButton, {}, r.center());
    }

    // The table back in front as the user gets it: a click on its column
    // button (a cell of a column with choices shows the selector instead).
    static void showTable(TFrameDeru *page)
    {
        QAction *button = page->columnButton(1);
        QVERIFY(button);
        // A button the narrow bar folded away is pressed from its menu.
        QWidget *w = page->ToolBar1->widgetForAction(button);
        if (w && w->isVisible())
            QTest::mouseClick(w, Qt::LeftButton);
        else
            button->trigger();
        QTRY_COMPARE(page->PnLeftStack->currentWidget(), page->Hyou);
        QVERIFY(page->Hyou->isVisible());
    }

    static int gridColumn(TFrameDeru *page, const QString &field)
    {
        const QList<TMyDBGridColumn> cols = page->MyDbGridMeisai->columns();
        for (int i = 0; i < cols.size(); ++i)
            if (cols[i].fieldName == field && cols[i].visible)
                return i;
        return -1;
    }

    // Japanese text arrives committed by the input method; plain keys otherwise.
    static void typeText(QLineEdit *editor, const QString &text)
    {
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 128;
        if (ascii)
            QTest::keyClicks(editor, text);
        else
            editor->insert(text);
    }

    // Types text into a column of the current line through its in-place
    // editor and leaves it with key.
    static void typeInto(TFrameDeru *page, const QString &field, const QString &text, Qt::Key key)
    {
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        const int col = gridColumn(page, field);
        QVERIFY2(col >= 0, qPrintable(field));
        const QModelIndex index = grid->dataModel()->index(grid->currentIndex().row(), col);
        QVERIFY(index.isValid());
        // Tab from the previous column may have opened the next editor: leave it unchanged.
        grid->postEditor();
        grid->setFocus();
        grid->setCurrentIndex(index);
        grid->edit(index);
        QTRY_VERIFY(grid->editorMode());
        auto *editor = qobject_cast<QLineEdit *>(grid->inplaceEditor());
        QVERIFY(editor);
        editor->setFocus();
        editor->selectAll();
        typeText(editor, text);
        QTest::keyClick(editor, key);
        // The key either closes the editor or moves it to the next column.
        if (key == Qt::Key_Return)
            QTRY_VERIFY(!grid->editorMode());
        else
            QTRY_VERIFY(!grid->editorMode() || grid->currentIndex().column() != col);
    }

    // Types into a slip header box: click, text, Enter.
    static void typeHeader(TSlipFieldEdit *box, const QString &text)
    {
        QTest::mouseClick(box, Qt::LeftButton);
        box->setFocus();
        box->selectAll();
        typeText(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }

    // A new line in the detail grid: Down appends one when none is being made.
    static void newLine(TFrameDeru *page)
    {
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        if (lines->state() == DataSetState::Insert)
            return;
        page->MyDbGridMeisai->setFocus();
        QTest::keyClick(page->MyDbGridMeisai, Qt::Key_Down);
        QTRY_VERIFY(lines->state() == DataSetState::Insert);
    }
};
