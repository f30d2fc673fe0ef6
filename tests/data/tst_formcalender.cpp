#include <QtTest>

#include <functional>
#include <memory>

#include <QAbstractTableModel>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "data/BookSchema.h"
#include "data/DatModSql.h"
#include "data/FormCalender.h"
#include "data/FormNonHoliday.h"
#include "data/HimokuCache.h"
#include "data/RecordNumbers.h"
#include "platform/db/Database.h"
#include "DialogQueue.h"
#include "BookFixture.h"
#include "TestEnv.h"

using namespace Qt::StringLiterals;

namespace {

using BookFixture::loadSeed;

// The official holidays of a year, "YYYY-MM-DD name" per day.
QStringList officialHolidays(int year)
{
    QFile f(QFINDTESTDATA("japanese_holidays_1990_2030.txt"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList days;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(QString::number(year) + u'-'))
            days << line;
    }
    return days;
}

QStringList holidaysOf(const QList<TDayRow> &days)
{
    QStringList out;
    for (const TDayRow &r : days)
        if (r.Type == 1)
            out << r.RecDate.toString(Qt::ISODate) + u' ' + r.Name;
    return out;
}

QStringList storedDays(Database &db, int year)
{
    QStringList out;
    Statement st(db, u"SELECT RECDATE, NAME, TYPE FROM DateList WHERE RECDATE LIKE ? ORDER BY RECDATE, rowid"_s);
    st.bind(1, QString::number(year) + u"-%"_s);
    while (st.next())
        out << u"%1 %2 %3"_s.arg(st.textValue(0), st.textValue(1)).arg(st.intValue(2));
    return out;
}

using BookFixture::addDay;

int rowOf(const QList<TDayRow> &days, const QDate &date)
{
    for (int i = 0; i < days.size(); ++i)
        if (days[i].RecDate == date)
            return i;
    return -1;
}

// Runs `act` on the next modal window of type T as soon as it is up (polled from
// the event loop the modal window runs).
template <class T>
void onNextModal(const std::function<void(T *)> &act)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

} // namespace

// A new book with the day rules of the template (DateMast.tsv, counter 37).
class TestFormCalender : public QObject
{
    Q_OBJECT

    BookFixture::SeedBook m_book;
    Database &db() { return m_book.db; }
    int m_saves = 0;

private slots:
    void init()
    {
        m_book.open();
        loadSeed(db(), QFINDTESTDATA("../../resources/seed/DateMast.tsv"), u"DateMast"_s);
        RecordNumbers::SetDataNo(db(), u"DateMast.DB"_s, 37);
        m_saves = 0;
        TFormCalender::OnDataSaved = [this] { ++m_saves; };
        HoliDayList.clear();
    }
    void cleanup()
    {
        TFormCalender::OnDataSaved = nullptr;
        HoliDayList.clear();
        m_book.close();
    }

    void opensForAYearAndGeneratesItsDays()
    {
        QVERIFY(!FormCalender);
        TFormCalender form(db());
        QCOMPARE(FormCalender, &form);
        QCOMPARE(form.windowTitle(), u"カレンダー設定"_s);
        form.FirstYear = 2023;
        form.LastYear = 2025;
        form.ShowYear = 2024;
        form.show();
        QCOMPARE(form.CurYear, 2024);
        QCOMPARE(form.CbBoxYear->count(), 13); // 2018 .. 2030
        QCOMPARE(form.CbBoxYear->itemText(0), u"2018"_s);
        QCOMPARE(form.CbBoxYear->currentText(), u"2024"_s);
        // A year without days is generated from the rules, substitute days and
        // the equinoxes included, and nothing is written until saved.
        QCOMPARE(holidaysOf(form.days()), officialHolidays(2024));
        QVERIFY(form.changeCount() > 0);
        QVERIFY(storedDays(db(), 2024).isEmpty());

        // The grid shows the days; Sundays in red.
        QAbstractTableModel *model = form.DateListModel;
        QCOMPARE(model->rowCount(), form.days().size());
        const int sunday = rowOf(form.days(), QDate(2024, 2, 11));
        // Dates in the run's short format, as everywhere else.
        QCOMPARE(model->index(sunday, 0).data().toString(), u"24/02/11"_s);
        QCOMPARE(model->index(sunday, 2).data().toString(), u"建国記念の日"_s);
        QCOMPARE(model->index(sunday, 3).data().toString(), u"国民の祝日"_s);
        QCOMPARE(model->index(sunday, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
        const int monday = rowOf(form.days(), QDate(2024, 2, 12));
        QCOMPARE(model->index(monday, 1).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::black));

        form.Save();
        QCOMPARE(form.changeCount(), 0);
        QCOMPARE(m_saves, 1);
        QStringList expected;
        for (const QString &day : officialHolidays(2024))
            expected << day + u" 1"_s;
        QCOMPARE(storedDays(db(), 2024), expected);
        QCOMPARE(db().scalar(u"SELECT COUNT(DISTINCT DATANO) FROM DateList"_s).toInt(), expected.size());
        QCOMPARE(db().scalar(u"SELECT MIN(DATANO) FROM DateList"_s).toInt(), 1);
        // The holiday list follows the save.
        QVERIFY(IsHoliday(QDate(2024, 5, 6)));
        QCOMPARE(GetHolidayName(QDate(2024, 9, 23)), u"振替休日"_s);

        // Saving again with nothing changed writes nothing.
        form.Save();
        QCOMPARE(m_saves, 1);
    }

    void storedYearLoadsAsItIsAndRegenerationKeepsTheUsersDays()
    {
        addDay(db(), 1, QDate(2024, 1, 1), u"誕生日"_s, 6);
        addDay(db(), 2, QDate(2024, 1, 1), u"記念日"_s, 5);
        addDay(db(), 3, QDate(2024, 6, 1), u"創立記念"_s, 2);
        RecordNumbers::SetDataNo(db(), u"DateList.db"_s, 3);
        TFormCalender form(db());
        form.ShowYear = 2024;
        form.show();
        QCOMPARE(form.days().size(), 3);  // a year with days is not generated
        QCOMPARE(form.changeCount(), 0);

        form.FrBtnCreateHolidayClick();
        form.Save();
        const QStringList stored = storedDays(db(), 2024);
        // New Year's Day joins the user's two rows of that date; none is lost.
        QCOMPARE(stored.mid(0, 3),
                 (QStringList{u"2024-01-01 誕生日 6"_s, u"2024-01-01 記念日 5"_s, u"2024-01-01 元日 1"_s}));
        QVERIFY(stored.contains(u"2024-06-01 創立記念 2"_s));
        QCOMPARE(stored.size(), officialHolidays(2024).size() + 3);
        QVERIFY(IsTableHoliday(db(), false, QDate(2024, 1, 1)));
        // New rows got numbers after the counter's.
        QCOMPARE(db().scalar(u"SELECT MIN(DATANO) FROM DateList WHERE DATANO > 3"_s).toInt(), 4);
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM DateList WHERE DATANO IS NULL"_s).toInt(), 0);
    }

    void editsDeleteUndoAndCancelAll()
    {
        addDay(db(), 1, QDate(2024, 3, 1), u"社員旅行"_s, 2);
        addDay(db(), 2, QDate(2024, 3, 2), u"社員旅行"_s, 2);
        RecordNumbers::SetDataNo(db(), u"DateList.db"_s, 2);
        TFormCalender form(db());
        form.ShowYear = 2024;
        form.show();
        QAbstractTableModel *model = form.DateListModel;
        QVERIFY(model->setData(model->index(0, 2), u"旅行"_s));
        QVERIFY(model->setData(model->index(0, 3), u"個人の休日"_s));
        QVERIFY(model->setData(model->index(0, 4), u"メモ"_s));
        QVERIFY(model->setData(model->index(1, 3), u"何か"_s)); // no kind's name: その他
        QVERIFY(!model->setData(model->index(1, 0), u"2024/02/30"_s));
        QCOMPARE(form.days().at(0).Type, 4);
        QCOMPARE(form.days().at(1).Type, 7);
        QCOMPARE(form.changeCount(), 4);

        form.Undo();
        QCOMPARE(form.days().at(1).Type, 2);
        form.CancelAll();
        QCOMPARE(form.days().at(0).Name, u"社員旅行"_s);
        QCOMPARE(form.changeCount(), 0);

        // 削除 asks first; only Cancel keeps the row.
        form.MyDBGridDateList->setCurrentIndex(model->index(1, 0));
        {
            DialogQueue dialogs;
            dialogs.answer(mrCancel, u"レコードを削除してもよいですか？"_s)
                .answer(mrOk, u"レコードを削除してもよいですか？"_s);
            form.DeleteRow();
            QCOMPARE(form.days().size(), 2);
            form.DeleteRow();
            QCOMPARE(form.days().size(), 1);
            QVERIFY(dialogs.done());
        }
        // 追加 gives a blank row; one left blank is not stored.
        form.InsertRow();
        const int added = form.days().size() - 1;
        QCOMPARE(form.MyDBGridDateList->currentIndex().row(), added);
        for (int column : {0, 1, 2, 4})
            QVERIFY2(model->index(added, column).data().toString().isEmpty(), qPrintable(QString::number(column)));
        form.InsertRow();
        QVERIFY(model->setData(model->index(added, 0), u"24/12/29"_s));
        QVERIFY(model->setData(model->index(added, 2), u"年末休暇"_s));
        QVERIFY(model->setData(model->index(added, 3), u"会社の休日"_s));
        form.Save();
        QCOMPARE(storedDays(db(), 2024),
                 (QStringList{u"2024-03-01 社員旅行 2"_s, u"2024-12-29 年末休暇 2"_s}));
        QCOMPARE(db().scalar(u"SELECT DATANO FROM DateList WHERE NAME = '年末休暇'"_s).toInt(), 3);
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM DateList WHERE RECDATE IS NULL"_s).toInt(), 0);
    }

    void pendingChangesAreAskedAboutOnClose()
    {
        TFormCalender form(db());
        form.ShowYear = 2024;
        form.show();
        QVERIFY(form.changeCount() > 0); // the generated year
        {
            DialogQueue dialogs;
            dialogs.answer(mrCancel, u"編集中のデータがあります。\r保存しますか？"_s);
            form.reject();
            QVERIFY(form.isVisible());
            QVERIFY(dialogs.done());
        }
        {
            DialogQueue dialogs;
            dialogs.answer(mrNo, u"保存しますか"_s);
            form.SpBtnlClose->click();
            QVERIFY(!form.isVisible());
            QVERIFY(dialogs.done());
        }
        QVERIFY(storedDays(db(), 2024).isEmpty());
        QCOMPARE(form.CurYear, QDate::currentDate().year());

        form.ShowYear = 2025;
        form.show();
        {
            DialogQueue dialogs;
            dialogs.answer(mrYes, u"保存しますか"_s);
            form.reject();
            QVERIFY(dialogs.done());
        }
        QCOMPARE(storedDays(db(), 2025).size(), officialHolidays(2025).size());
    }

    // Without day rules the generation writes nothing, and closing asks nothing.
    void bookWithoutRulesClosesWithoutAQuestion()
    {
        db().exec(u"DELETE FROM DateMast"_s);
        TFormCalender form(db());
        form.ShowYear = 2024;
        form.show();
        QVERIFY(form.days().isEmpty());
        QCOMPARE(form.changeCount(), 0);
        DialogQueue dialogs;
        form.SpBtnlClose->click();
        QVERIFY(!form.isVisible());
        QVERIFY(dialogs.done());
    }

    void changingTheYearSavesTheShownOne()
    {
        TFormCalender form(db());
        form.ShowYear = 2024;
        form.show();
        form.CbBoxYear->setCurrentIndex(form.CbBoxYear->findText(u"2026"_s));
        emit form.CbBoxYear->activated(form.CbBoxYear->currentIndex());
        QCOMPARE(form.CurYear, 2026);
        QCOMPARE(storedDays(db(), 2024).size(), officialHolidays(2024).size());
        QCOMPARE(holidaysOf(form.days()), officialHolidays(2026));
        QVERIFY(storedDays(db(), 2026).isEmpty());
    }

    void rulesAreEditedAndSavedInTheirOwnView()
    {
        TFormCalender form(db());
        form.ShowYear = 2024;
        form.show();
        form.Save();
        QVERIFY(form.FrBtnDayDefClick());
        QVERIFY(form.showingRules());
        QCOMPARE(form.FrBtnDayDef->text(), u"戻る"_s);
        QVERIFY(form.PalBottom->isVisible());
        QVERIFY(!form.CbBoxYear->isVisible());
        QVERIFY(!form.FrBtnCreateHoliday->isVisible());
        QCOMPARE(form.Label1->text(), u"よろしかったら保存してください。"_s);
        QCOMPARE(form.rules().size(), 37);

        QAbstractTableModel *model = form.DayMastModel;
        // 元日: any year, January, day 1, any week and weekday.
        QCOMPARE(model->index(0, 0).data().toString(), u"元日"_s);
        QCOMPARE(model->index(0, 1).data().toString(), u"-"_s);
        QCOMPARE(model->index(0, 2).data().toString(), u"1"_s);
        QCOMPARE(model->index(0, 5).data().toString(), u"-"_s);
        QCOMPARE(model->index(0, 6).data().toString(), u"国民の祝日"_s);

        form.InsertRow();
        const int row = model->rowCount() - 1;
        QCOMPARE(form.rules().at(row).Rule.Type, 1); // a new rule is a national holiday
        QVERIFY(model->setData(model->index(row, 0), u"創立記念日"_s));
        QVERIFY(model->setData(model->index(row, 2), u"6"_s));
        QVERIFY(model->setData(model->index(row, 3), u"3"_s));
        QVERIFY(model->setData(model->index(row, 6), u"会社の休日"_s));
        QVERIFY(model->setData(model->index(row, 7), u"24/01/01"_s));
        QVERIFY(model->setData(model->index(row, 8), u"  /  /  "_s));
        QVERIFY(!model->setData(model->index(row, 2), u"13"_s));
        QCOMPARE(form.rules().at(row).Rule.StartDay, QDate(2024, 1, 1));
        QVERIFY(!form.rules().at(row).Rule.EndDay.isValid());

        // Back to the days with the rule unsaved: asked, and Yes saves it.
        {
            DialogQueue dialogs;
            dialogs.answer(mrYes, u"保存しますか"_s);
            QVERIFY(form.FrBtnDayDefClick());
            QVERIFY(dialogs.done());
        }
        QVERIFY(!form.showingRules());
        QCOMPARE(form.FrBtnDayDef->text(), u"休日の定義"_s);
        QCOMPARE(form.Label1->text(),
                 u"春分の日、秋分の日は毎年変動し修正が必要な場合があります。よろしかったら保存してください。"_s);
        Statement st(db(), u"SELECT DATANO, AMONTH, ADAY, TYPE, STARTDAY, ENDDAY FROM DateMast WHERE NAME = '創立記念日'"_s);
        QVERIFY(st.next());
        QCOMPARE(st.intValue(0), 38);
        QCOMPARE(st.intValue(1), 6);
        QCOMPARE(st.intValue(2), 3);
        QCOMPARE(st.intValue(3), 2);
        QCOMPARE(st.textValue(4), u"2024-01-01"_s);
        QVERIFY(st.isNull(5));

        // The year was saved before: generating it again adds the new day.
        form.FrBtnCreateHolidayClick();
        const int day = rowOf(form.days(), QDate(2024, 6, 3));
        QVERIFY(day >= 0);
        QCOMPARE(form.days().at(day).Name, u"創立記念日"_s);
        QCOMPARE(form.days().at(day).Type, 2);
        // Not a national holiday: no substitute or in-between day from it.
        QCOMPARE(holidaysOf(form.days()), officialHolidays(2024));
    }

    void bookOpeningOffersTheCalendarForAYearWithoutHolidays()
    {
        TDatModSql sql(db());
        DatModSql = &sql;
        // Yes in the missing-holiday dialog opens the calendar for that year;
        // closing it asks to save the generated days.
        QString calendarYear;
        onNextModal<TFormNonHoliday>([&](TFormNonHoliday *check) {
            onNextModal<TFormCalender>([&](TFormCalender *calendar) {
                calendarYear = calendar->CbBoxYear->currentText();
                calendar->SpBtnlClose->click();
            });
            check->FrCalender->click();
        });
        DialogQueue dialogs;
        dialogs.answer(mrYes, u"保存しますか"_s);
        QCOMPARE(sql.CheckBookHolidays(2027), int(mrYes));
        QVERIFY(dialogs.done());
        QCOMPARE(calendarYear, u"2027"_s);
        QCOMPARE(storedDays(db(), 2027).size(), officialHolidays(2027).size());
        QVERIFY(IsHoliday(QDate(2027, 1, 1)));

        // The year is set up now: nothing is shown.
        QCOMPARE(sql.CheckBookHolidays(2027), int(mrOk));
    }
};

QTEST_MAIN(TestFormCalender)
#include "tst_formcalender.moc"
