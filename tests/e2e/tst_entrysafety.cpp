#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPaintDevice>
#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "controls/MySpeedButton.h"
#include "data/HimokuCache.h"
#include "data/MeisaiClientDataSet.h"
#include "main/FrameDeru.h"
#include "main/MeisaiGrid.h"
#include "main/ReceiptList.h"
#include "main/SlipPanel.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"

using namespace Qt::StringLiterals;

namespace {

// A paint device that keeps the texts drawn on it: what a widget shows, read
// back from its own painting.
class TextRecorder : public QPaintDevice
{
public:
    explicit TextRecorder(QSize size) : m_size(size) {}
    // Each text drawn with its width in pixels.
    QList<std::pair<QString, qreal>> texts() const { return m_engine.texts; }
    QPaintEngine *paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmWidthMM: return m_size.width() * 254 / 960;
        case PdmHeightMM: return m_size.height() * 254 / 960;
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    struct Engine : QPaintEngine
    {
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawImage(const QRectF &, const QImage &, const QRectF &, Qt::ImageConversionFlags) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawPolygon(const QPoint *, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath &) override {}
        void drawRects(const QRectF *, int) override {}
        void drawRects(const QRect *, int) override {}
        void drawLines(const QLineF *, int) override {}
        void drawLines(const QLine *, int) override {}
        void drawTextItem(const QPointF &, const QTextItem &item) override { texts.append({item.text(), item.width()}); }
        Type type() const override { return User; }
        QList<std::pair<QString, qreal>> texts;
    };
    QSize m_size;
    mutable Engine m_engine;
};

} // namespace

// Entry on the expense page must never lose or change an amount behind the
// user's back: the roads a new user took that crashed the program, overwrote
// a saved amount or dropped typed input without a word.
class TestEntrySafety : public QObject, public JournalPageDriver
{
    Q_OBJECT

    TFrameDeru *page = nullptr;
    int food = 0;

    TMeisaiClientDataSet *lines() const { return MeisaiClt(*DatMod); }
    TMeisaiGrid *grid() const { return page->MyDbGridMeisai; }
    QModelIndex cell(int row, const QString &field) const
    {
        return grid()->dataModel()->index(row, gridColumn(page, field));
    }
    void clickGridCell(int row, const QString &field)
    {
        const QModelIndex index = cell(row, field);
        QVERIFY(index.isValid());
        grid()->scrollTo(index);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(index).center());
    }
    int count(const QString &sql) { return DatMod->MainDatabase.scalar(sql).toInt(); }

    // The table cell of a day and 食費, loaded as by a click.
    void showFoodDay(const QDate &day)
    {
        QVERIFY(page->LoadCell(food, -1, false, day));
        QCOMPARE(page->curDate(), day);
        QCOMPARE(page->curCode(), food);
    }

    // Opens the in-place editor of a column on the current line and types.
    QLineEdit *openEditor(const QString &field, const QString &text)
    {
        const QModelIndex index = cell(grid()->currentIndex().row(), field);
        grid()->setFocus();
        grid()->setCurrentIndex(index);
        grid()->edit(index);
        if (!grid()->editorMode())
            return nullptr;
        auto *editor = qobject_cast<QLineEdit *>(grid()->inplaceEditor());
        if (!editor)
            return nullptr;
        editor->setFocus();
        editor->selectAll();
        typeText(editor, text);
        return editor;
    }

    // A receipt of the day with one line of 食費, saved.
    void saveReceipt(const QDate &day, const QString &item, const QString &amount)
    {
        QTest::mouseClick(page->FrBtnReceipt, Qt::LeftButton);
        QTRY_COMPARE(page->inputMode(), 2);
        QTest::mouseClick(page->SlipPanel->SpBtnNewReceipt, Qt::LeftButton);
        QTRY_VERIFY(ReceiptClt(*DatMod)->isActive() && ReceiptClt(*DatMod)->recordCount() >= 1);
        typeHeader(page->SlipPanel->DBEditDate, day.toString(u"yy/MM/dd"_s));
        newLine(page);
        typeInto(page, u"KARICODE"_s, u"食費"_s, Qt::Key_Tab);
        typeInto(page, u"HinmeiName"_s, item, Qt::Key_Tab);
        typeInto(page, u"KINGAKU"_s, amount, Qt::Key_Tab);
        lines()->checkBrowseMode();
        QVERIFY(page->SaveJournal());
        QCOMPARE(lines()->changeCount(), 0);
    }

    // A table-mode line of the shown cell, posted.
    void addLine(const QString &item, const QString &amount)
    {
        newLine(page);
        typeInto(page, u"HinmeiName"_s, item, Qt::Key_Tab);
        typeInto(page, u"KINGAKU"_s, amount, Qt::Key_Tab);
        lines()->checkBrowseMode();
    }

private slots:
    void init()
    {
        makeBook();
        page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        food = GetHimokuCodeByName(u"食費"_s, 2);
        QVERIFY(food > 0);
    }
    void cleanup()
    {
        page = nullptr;
        dropWorld();
    }

    // A new receipt line deleted before any save, then the table mode and F12:
    // the save that found nothing to write left the deletion in the log, and
    // the reload after the save saved again, without end.
    void deletedNewLineLeavesNothingToSave()
    {
        DialogQueue dialogs;
        QTest::mouseClick(page->FrBtnReceipt, Qt::LeftButton);
        QTRY_COMPARE(page->inputMode(), 2);
        QTest::mouseClick(page->SlipPanel->SpBtnNewReceipt, Qt::LeftButton);
        QTRY_VERIFY(ReceiptClt(*DatMod)->isActive() && ReceiptClt(*DatMod)->recordCount() == 1);
        newLine(page);
        typeInto(page, u"KARICODE"_s, u"食費"_s, Qt::Key_Right);
        typeInto(page, u"HinmeiName"_s, u"パン"_s, Qt::Key_Right);
        typeInto(page, u"KINGAKU"_s, u"100"_s, Qt::Key_Return);
        clickGridCell(0, u"HinmeiName"_s);
        QTRY_COMPARE(lines()->recNo(), 1);
        QCOMPARE(lines()->fieldByName(u"HinmeiName"_s)->asString(), u"パン"_s);
        page->DataSetDelete1->trigger();
        QVERIFY(lines()->isEmpty());

        QTest::mouseClick(page->FrBtnNormal, Qt::LeftButton);
        QTRY_COMPARE(page->inputMode(), 1);
        QTest::keyClick(grid(), Qt::Key_F12);
        QVERIFY(page->SaveJournal());
        QCOMPARE(lines()->changeCount(), 0);
        QCOMPARE(count(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0"_s), 0);
        QVERIFY(dialogs.done());
    }

    // Typing on a read-only receipt line in the table mode: the keys must not
    // find another line by its text and overwrite that line's amount.
    void typingOnReadOnlyLineChangesNothing()
    {
        DialogQueue dialogs;
        const QDate day = page->periodStart();
        saveReceipt(day, u"おにぎり"_s, u"150"_s);
        QTest::mouseClick(page->FrBtnNormal, Qt::LeftButton);
        QTRY_COMPARE(page->inputMode(), 1);
        showFoodDay(day);
        addLine(u"牛乳"_s, u"198"_s);
        QVERIFY(page->SaveJournal());
        QCOMPARE(lines()->recordCount(), 2);
        QCOMPARE(grid()->dataModel()->data(cell(0, u"HinmeiName"_s)).toString(), u"おにぎり"_s);

        clickGridCell(0, u"KINGAKU"_s);
        QTRY_COMPARE(grid()->currentIndex(), cell(0, u"KINGAKU"_s));
        QTest::keyClicks(grid(), u"100"_s);
        QCOMPARE(grid()->currentIndex(), cell(0, u"KINGAKU"_s));
        QVERIFY(!grid()->editorMode());
        QTest::keyClick(grid(), Qt::Key_Return);
        QVERIFY(page->SaveJournal());
        QCOMPARE(count(u"SELECT KINGAKU FROM Master WHERE HINMEICODE = "
                       "(SELECT CODE FROM HinmeiMast WHERE NAME = '牛乳')"_s),
                 198);
        QCOMPARE(count(u"SELECT SUM(KINGAKU) FROM Master WHERE DATANO > 0"_s), 348);
        QVERIFY(dialogs.done());
    }

    // A refused amount says why, keeps the typed text in the editor and
    // changes nothing; the corrected text then goes in.
    void refusedAmountSaysWhyAndKeepsTheText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters") << u"abc"_s << u"式が正しくありません。"_s;
        QTest::newRow("division by 0") << u"100/0"_s << u"0で除算できません。"_s;
        QTest::newRow("dangling operator") << u"10-"_s << u"式が正しくありません。"_s;
        QTest::newRow("full-width digits") << u"１２００"_s << u"式が正しくありません。"_s;
        QTest::newRow("10^15") << u"1000000000000000"_s << u"式が正しくありません。"_s;
    }
    void refusedAmountSaysWhyAndKeepsTheText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        DialogQueue dialogs;
        showFoodDay(QDate::currentDate());
        addLine(u"パン"_s, u"500"_s);

        dialogs.answer(mrOk, message);
        QLineEdit *editor = openEditor(u"KINGAKU"_s, typed);
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(dialogs.pending(), 0);
        QVERIFY(dialogs.done());
        QVERIFY(grid()->editorMode());
        QCOMPARE(qobject_cast<QLineEdit *>(grid()->inplaceEditor())->text(), typed);
        QCOMPARE(grid()->currentIndex(), cell(0, u"KINGAKU"_s));
        QCOMPARE(lines()->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(500));
        // Nor does a save go past the refused text.
        dialogs.answer(mrOk, message);
        QVERIFY(!page->SaveJournal());
        QVERIFY(dialogs.done());
        QCOMPARE(count(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0"_s), 0);

        editor = qobject_cast<QLineEdit *>(grid()->inplaceEditor());
        QVERIFY(editor);
        editor->setFocus();
        editor->selectAll();
        QTest::keyClicks(editor, u"320"_s);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!grid()->editorMode());
        QVERIFY(page->SaveJournal());
        QCOMPARE(count(u"SELECT KINGAKU FROM Master WHERE DATANO > 0"_s), 320);
        QVERIFY(dialogs.done());
    }

    // An amount emptied by the user is 0, never an empty field.
    void emptiedAmountIsZero()
    {
        DialogQueue dialogs;
        showFoodDay(QDate::currentDate());
        addLine(u"パン"_s, u"500"_s);
        QLineEdit *editor = openEditor(u"KINGAKU"_s, QString());
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Delete);
        QCOMPARE(editor->text(), QString());
        QTest::keyClick(editor, Qt::Key_Tab);
        QTRY_VERIFY(!grid()->editorMode() || grid()->currentIndex().column() != gridColumn(page, u"KINGAKU"_s));
        lines()->checkBrowseMode();
        QVERIFY(!lines()->fieldByName(u"KINGAKU"_s)->isNull());
        QVERIFY(page->SaveJournal());
        QCOMPARE(count(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0 AND KINGAKU = 0"_s), 1);
        QVERIFY(dialogs.done());
    }

    // From a freshly appended empty line, a click on the amount of the line
    // above puts the cursor on that amount, not on its item name.
    void clickLandsInTheClickedCell()
    {
        DialogQueue dialogs;
        showFoodDay(QDate::currentDate());
        addLine(u"パン"_s, u"100"_s);
        newLine(page);
        QCOMPARE(grid()->currentIndex().row(), 1);
        clickGridCell(0, u"KINGAKU"_s);
        QTRY_COMPARE(lines()->recNo(), 1);
        QCOMPARE(grid()->currentIndex(), cell(0, u"KINGAKU"_s));
        // The first key opens the editor with itself; the rest go into the editor.
        QTest::keyClick(grid(), Qt::Key_2);
        QTRY_VERIFY(grid()->editorMode());
        QCOMPARE(grid()->currentIndex(), cell(0, u"KINGAKU"_s));
        QTest::keyClicks(grid()->inplaceEditor(), u"50"_s);
        QTest::keyClick(grid()->inplaceEditor(), Qt::Key_Return);
        QTRY_COMPARE(lines()->fieldByName(u"HinmeiName"_s)->asString(), u"パン"_s);
        QVERIFY(page->SaveJournal());
        QCOMPARE(count(u"SELECT KINGAKU FROM Master WHERE DATANO > 0"_s), 250);
        QVERIFY(dialogs.done());
    }

    // 挿入 on the first of two saved lines: while the new line is being typed,
    // the grid still shows both saved lines below it.
    void insertedLineKeepsTheLinesBelowInSight()
    {
        DialogQueue dialogs;
        showFoodDay(QDate::currentDate());
        addLine(u"パン"_s, u"1200"_s);
        addLine(u"牛乳"_s, u"250"_s);
        QVERIFY(page->SaveJournal());
        QTRY_COMPARE(lines()->recordCount(), 2);
        lines()->first();
        page->InsertLine();
        QCOMPARE(lines()->state(), DataSetState::Insert);
        QCOMPARE(grid()->dataModel()->rowCount(), 3);

        TextRecorder recorder(grid()->size());
        grid()->render(&recorder);
        QStringList drawn;
        for (const auto &[text, width] : recorder.texts())
            drawn << text;
        for (const QString &item : {u"パン"_s, u"牛乳"_s, u"1,200"_s, u"250"_s})
            QVERIFY2(drawn.contains(item), qPrintable(drawn.join(u" | "_s)));
        QVERIFY(dialogs.done());
    }

    // An amount wider than its cell shows whole or as an overflow mark, in the
    // table and in the detail grid; never its last digits alone.
    void wideAmountIsNeverCut()
    {
        DialogQueue dialogs;
        const QDate today = QDate::currentDate();
        showFoodDay(today);
        addLine(u"家"_s, u"1000000004574"_s);
        showTable(page);
        const QString whole = u"1,000,000,004,574"_s;
        QTRY_COMPARE(page->Hyou->getValue(page->columnOfDate(today), page->rowOfCode(food)),
                     Currency::fromInt(1000000004574LL));

        // What each grid draws, with the room it has.
        struct Drawn
        {
            QString text;
            qreal width;
            int room;
        };
        QList<Drawn> table;
        page->Hyou->onDrawText = [&table](QPainter &, int, int, const QRect &rect, GridDrawState, QString &text,
                                          QFont &font, bool &) {
            table.append({text, qreal(QFontMetrics(font).horizontalAdvance(text)), rect.width()});
        };
        page->Hyou->model()->scrollIntoView(page->columnOfDate(today), page->rowOfCode(food));
        page->Hyou->viewport()->repaint();
        page->Hyou->onDrawText = nullptr;
        TextRecorder recorder(grid()->size());
        grid()->render(&recorder);
        QList<Drawn> detail;
        const int amountRoom = grid()->columnWidth(gridColumn(page, u"KINGAKU"_s));
        for (const auto &[text, width] : recorder.texts())
            detail.append({text, width, amountRoom});

        // A drawn amount is whole and fits its cell, or it is the overflow mark.
        auto check = [&whole](const QList<Drawn> &drawn, const char *where) {
            int marks = 0;
            for (const Drawn &d : drawn) {
                const bool mark = !d.text.isEmpty() && d.text.count(QLatin1Char('#')) == d.text.size();
                marks += mark ? 1 : 0;
                if (d.text == whole)
                    QVERIFY2(d.width <= d.room, qPrintable(QStringLiteral("%1: the amount is wider than its cell")
                                                               .arg(QLatin1String(where))));
                else if (!mark)
                    QVERIFY2(d.text.size() < 3 || !whole.endsWith(d.text),
                             qPrintable(QStringLiteral("%1 shows %2").arg(QLatin1String(where), d.text)));
            }
            QVERIFY2(marks > 0, where);
        };
        check(table, "table");
        check(detail, "detail grid");
        QVERIFY(dialogs.done());
    }

    // Lines and tabs pasted into a one-line field do not end up in the name.
    void pastedLinesBecomeOneLine()
    {
        DialogQueue dialogs;
        showFoodDay(QDate::currentDate());
        newLine(page);
        QLineEdit *editor = openEditor(u"HinmeiName"_s, QString());
        QVERIFY(editor);
        QGuiApplication::clipboard()->setText(u"パン\r\n牛乳\tバター\n"_s);
        editor->paste();
        QCOMPARE(editor->text(), u"パン牛乳バター"_s);
        QTest::keyClick(editor, Qt::Key_Tab);
        QTRY_COMPARE(lines()->fieldByName(u"HinmeiName"_s)->asString(), u"パン牛乳バター"_s);
        lines()->checkBrowseMode();

        // The same in a slip's header box.
        QTest::mouseClick(page->FrBtnReceipt, Qt::LeftButton);
        QTRY_COMPARE(page->inputMode(), 2);
        QTest::mouseClick(page->SlipPanel->SpBtnNewReceipt, Qt::LeftButton);
        QTRY_VERIFY(ReceiptClt(*DatMod)->isActive() && ReceiptClt(*DatMod)->recordCount() >= 1);
        TSlipFieldEdit *shop = page->SlipPanel->DBEditShop;
        shop->setFocus();
        shop->selectAll();
        QGuiApplication::clipboard()->setText(u"駅前\nスーパー\t"_s);
        shop->paste();
        QCOMPARE(shop->text(), u"駅前スーパー"_s);
        QTest::keyClick(shop, Qt::Key_Return);
        QCOMPARE(ReceiptClt(*DatMod)->fieldByName(u"ShopName"_s)->asString(), u"駅前スーパー"_s);
        QGuiApplication::clipboard()->clear();
        QVERIFY(dialogs.done());
    }

    // An impossible date typed into the day box says so and keeps the day;
    // the day before it is not loaded on the way either.
    void impossibleDateKeepsTheDay()
    {
        DialogQueue dialogs;
        const QDate day(2026, 2, 10);
        showFoodDay(day);
        page->Calender->setFocus();
        QTest::keyClick(page->Calender, Qt::Key_Home);
        QTest::keyClicks(page->Calender, u"2026/02/30"_s);
        QCOMPARE(page->Calender->text(), u"2026/02/30"_s);
        dialogs.answer(mrOk, u"無効な日付です。"_s);
        QTest::keyClick(page->Calender, Qt::Key_Return);
        QVERIFY(dialogs.done());
        QCOMPARE(page->Calender->text(), u"2026/02/10"_s);
        QCOMPARE(page->Calender->date(), day);
        QTRY_VERIFY(!page->cellLoadPending());
        QCOMPARE(page->curDate(), day);
        // A real day is taken at Enter.
        page->Calender->setFocus();
        QTest::keyClick(page->Calender, Qt::Key_Home);
        QTest::keyClicks(page->Calender, u"2026/02/28"_s);
        QTest::keyClick(page->Calender, Qt::Key_Return);
        QTRY_COMPARE(page->curDate(), QDate(2026, 2, 28));
        QVERIFY(dialogs.done());
    }

    // The tax total shown belongs to the shown cell.
    void taxTotalFollowsTheCell()
    {
        DialogQueue dialogs;
        const QDate day = page->periodStart();
        showFoodDay(day);
        addLine(u"消費税"_s, u"80"_s);
        QTRY_COMPARE(page->BbLbZeiKarigou->text(), u"80"_s);
        QVERIFY(page->SaveJournal());
        showFoodDay(day.addDays(1));
        QCOMPARE(page->BbLbZeiKarigou->text(), u"0"_s);
        showFoodDay(day);
        QCOMPARE(page->BbLbZeiKarigou->text(), u"80"_s);
        QVERIFY(dialogs.done());
    }

    // Loading lines runs the page's after-scroll work once: for a table cell
    // with and without lines, and for a slip.
    void afterScrollWorkRunsOncePerLoad()
    {
        DialogQueue dialogs;
        const QDate day = page->periodStart();
        showFoodDay(day);
        addLine(u"パン"_s, u"100"_s);
        QVERIFY(page->SaveJournal());
        int before = page->afterScrollRuns();
        showFoodDay(day.addDays(1));
        QCOMPARE(page->afterScrollRuns() - before, 1);
        before = page->afterScrollRuns();
        showFoodDay(day);
        QCOMPARE(lines()->recordCount(), 1);
        QCOMPARE(page->afterScrollRuns() - before, 1);

        saveReceipt(day, u"おにぎり"_s, u"150"_s);
        before = page->afterScrollRuns();
        page->ReceiptList->SlipLinesPending = true;
        page->ReceiptList->LoadSlipLines();
        QCOMPARE(lines()->recordCount(), 1);
        QCOMPARE(page->afterScrollRuns() - before, 1);
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestEntrySafety)
#include "tst_entrysafety.moc"
