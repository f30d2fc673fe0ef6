#include <QAction>
#include <QApplication>
#include <QPdfWriter>
#include <QTimer>
#include <QTemporaryDir>
#include <QtTest>

#include "JournalPageDriver.h"
#include "PdfReader.h"
#include "PreviewPrint.h"
#include "controls/BevelLabel.h"
#include "data/HimokuCache.h"
#include "main/FrameMemoList.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"
#include "printing/ReportDiary.h"
#include "printing/ReportPreView.h"

using namespace Qt::StringLiterals;

// The diary report of the diary page, on a book from the template, in the
// calendar and the list form, printed to PDF and read back with poppler.
class TestReportDiary : public QObject, private JournalPageDriver
{
    Q_OBJECT

    TFrameMemoList *openDiary()
    {
        if (!start() || !window->SelectPage(pgNikki))
            return nullptr;
        return qobject_cast<TFrameMemoList *>(window->frameOf(pgNikki));
    }

    void addDay(const QDate &date, const QString &text)
    {
        Table &t = *DatMod->MemoTbl;
        t.append();
        t.fieldByName(u"RECDATE"_s)->setAsDate(date);
        t.fieldByName(u"MEMO"_s)->setAsString(text);
        t.post();
    }

    static TDiarySource sourceOf(TFrameMemoList *page)
    {
        TDiarySource s;
        for (const auto &row : page->MemoClt())
            s.MemoClt.append({row.RECDATE, row.MEMO});
        s.First = page->firstDate();
        s.Last = page->lastDate();
        return s;
    }

    // The first holiday the book knows in the month (the template ships them).
    static QDate holidayIn(int year, int month)
    {
        for (QDate d(year, month, 1); d.month() == month; d = d.addDays(1))
            if (!GetHolidayName(d).isEmpty())
                return d;
        return QDate();
    }

private slots:
    void init() { makeBook(); }
    void cleanup() { dropWorld(); }

    // A month as a calendar: seven columns, the page's weeks as rows, the
    // neighbouring months' days included, the holiday's name after a blank,
    // the diary texts, red for Sundays and holidays, one page numbered - 1 -.
    void monthAsCalendar()
    {
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        addDay(QDate(2026, 5, 10), u"花を贈る"_s);
        addDay(QDate(2026, 5, 20), u"歯医者"_s);
        page->ShowDate(QDate(2026, 5, 10));
        page->RefreshPage();
        QCOMPARE(page->view(), TFrameMemoList::mvMonth);
        const QDate holiday = holidayIn(2026, 5);
        QVERIFY2(holiday.isValid(), "the template book lists no holiday in May 2026");

        TFrameLrpMemoList report;
        report.SetSource(sourceOf(page));
        report.LRItemTitle->SetText(u"2026年 5月"_s);
        report.SetColCount(7);
        report.SetRowCount(int(page->MemoClt().size()) / 7);
        report.Relayout();
        QCOMPARE(report.LRGridPnlMain->width() % 7, 0);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"calendar.pdf"_s);
        QString why;
        QVERIFY2(report.PrintToPdf(file, &why), qPrintable(why));
        QCOMPARE(PdfPageCount(file), 1);
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(u"2026年 5月"_s), qPrintable(text));
        QVERIFY(text.contains(u"10日(日)"_s));
        QVERIFY(text.contains(u"26日(日)"_s));   // 26 April opens the first week
        QVERIFY(text.contains(u"花を贈る"_s));
        QVERIFY(text.contains(u"歯医者"_s));
        const QLocale ja(QLocale::Japanese);
        QVERIFY(text.contains(u"%1日(%2) %3"_s.arg(holiday.day())
                                  .arg(ja.dayName(holiday.dayOfWeek(), QLocale::ShortFormat), GetHolidayName(holiday))));
        QVERIFY(text.contains(QRegularExpression(u"- ?1 ?-"_s)));
        QVERIFY(PdfPageRedPixels(file, 1) > 0);
    }

    // The month as a list of a week per page: seven rows of one column, the
    // holiday's name on its own line, numbered - n/5 -; the last page's cells
    // after the last day are framed and empty, not missing.
    void monthAsListOverPages()
    {
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        addDay(QDate(2026, 5, 31), u"月末の記録"_s);
        page->ShowDate(QDate(2026, 5, 10));
        page->RefreshPage();
        TDiarySource source = sourceOf(page);
        // Only the month's own days, as the list prints them.
        source.MemoClt.erase(std::remove_if(source.MemoClt.begin(), source.MemoClt.end(),
                                            [](const TDiarySource::Day &d) { return d.RECDATE.month() != 5; }),
                             source.MemoClt.end());
        QCOMPARE(source.MemoClt.size(), 31);
        TFrameLrpMemoList report;
        report.SetSource(source);
        report.SetColCount(1);
        report.SetRowCount(7);
        report.Relayout();
        QTemporaryDir dir;
        const QString file = dir.filePath(u"list.pdf"_s);
        QString why;
        QVERIFY2(report.PrintToPdf(file, &why), qPrintable(why));
        QCOMPARE(PdfPageCount(file), 5);
        const QString first = PdfPageText(file, 1);
        QVERIFY2(first.contains(u"1日(金)"_s), qPrintable(first));
        QVERIFY(first.contains(u"7日(木)"_s));
        QVERIFY(!first.contains(u"8日(金)"_s));
        QVERIFY(first.contains(QRegularExpression(u"- ?1/5 ?-"_s)));
        const QDate holiday = holidayIn(2026, 5);
        if (holiday.isValid() && holiday.day() <= 7) {
            const QStringList lines = first.split(u'\n');
            const QString name = GetHolidayName(holiday);
            bool onItsOwnLine = false;
            for (const QString &line : lines)
                if (line.contains(name) && !line.contains(u"日("_s))
                    onItsOwnLine = true;
            QVERIFY2(onItsOwnLine, qPrintable(first));
        }
        const QString last = PdfPageText(file, 5);
        QVERIFY(last.contains(u"31日(日)"_s));
        QVERIFY(last.contains(u"月末の記録"_s));
        QVERIFY(last.contains(QRegularExpression(u"- ?5/5 ?-"_s)));
        for (int p = 1; p <= 5; ++p)
            QVERIFY(PdfPageHasInk(file, p));
    }

    // 印刷 on the page's tool bar: the report kind follows the view (the
    // month as the calendar, a week as a list of seven days), one preview,
    // printed to PDF with the page's title and the diary text.
    void printAction_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("notShown");
        QTest::newRow("calendar") << int(TFrameMemoList::mvMonth) << int(lpNikkiAMonth) << QString();
        QTest::newRow("week") << int(TFrameMemoList::mvWeek) << int(lpNikkiAWeek) << u"20日(水)"_s;
    }
    void printAction()
    {
        QFETCH(int, view);
        QFETCH(int, kind);
        QFETCH(QString, notShown);
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        addDay(QDate(2026, 5, 11), u"花を贈る"_s);
        page->ShowDate(QDate(2026, 5, 11));
        page->SetView(TFrameMemoList::TMemoView(view));
        page->RefreshPage();
        QTemporaryDir dir;
        const QString file = dir.filePath(u"diary.pdf"_s);
        const PreviewPrint shown = PrintThroughPreview(page->ActionPrint, file, true);
        QVERIFY(shown.printed);
        QCOMPARE(shown.kind, kind);
        QVERIFY(!FormLrpPreView);
        QCOMPARE(page->DTPicker->date(), QDate(2026, 5, 11));
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(page->LbYearMonth->text().trimmed()), qPrintable(text));
        QVERIFY(text.contains(u"11日(月)"_s));
        QVERIFY(text.contains(u"花を贈る"_s));
        if (!notShown.isEmpty())
            QVERIFY(!text.contains(notShown));
        QVERIFY(PdfPageHasInk(file, 1));
    }
};

QTEST_MAIN(TestReportDiary)
#include "tst_reportdiary.moc"
