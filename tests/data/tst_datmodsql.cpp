#include <QtTest>

#include <functional>
#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "data/BookSchema.h"
#include "data/DatModSql.h"
#include "data/FormNonHoliday.h"
#include "data/FormSelecterHimoku.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"
#include "BookFixture.h"
#include "TestEnv.h"

using namespace Qt::StringLiterals;

namespace {

void exec(Database &db, const QString &sql, const QVariantList &params = {})
{
    Statement st(db, sql);
    for (int i = 0; i < params.size(); ++i)
        st.bind(i + 1, params.at(i));
    st.exec();
}

void addHimoku(Database &db, int code, int pos, const QString &name, int bunrui, bool visible = true)
{
    exec(db, u"INSERT INTO Himoku (CODE, POS, NAME, BUNRUI, VISIBLE, TOKUBETU) VALUES (?, ?, ?, ?, ?, 0)"_s,
         {code, pos, name, bunrui, visible});
}

// Item (or shop) rows: a master row and its list row under a category.
void addItem(Database &db, const QString &prefix, int code, const QString &name, int himoku, int oya, int ko,
             bool visible = true)
{
    exec(db, u"INSERT INTO %1Mast (CODE, NAME) VALUES (?, ?)"_s.arg(prefix), {code, name});
    exec(db, u"INSERT INTO %1List (DATANO, HIMOKUCODE, OYACODE, KOCODE, VISIBLE) VALUES (NULL, ?, ?, ?, ?)"_s.arg(prefix),
         {himoku, oya, ko, visible});
}

void addHolidays(Database &db, int year, int count)
{
    for (int i = 0; i < count; ++i)
        exec(db, u"INSERT INTO DateList (DATANO, RECDATE, NAME, TYPE) VALUES (NULL, ?, '祝日', 1)"_s,
             {QDate(year, 1, 1).addDays(i * 3)});
}

QStringList textsOf(const TListItems &items)
{
    QStringList texts;
    for (const TListItem &i : items)
        texts << i.Text;
    return texts;
}

QList<int> codesOf(const QComboBox &box)
{
    QList<int> codes;
    for (int i = 0; i < box.count(); ++i)
        codes << box.itemData(i).toInt();
    return codes;
}

QStringList textsOf(const QComboBox &box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

// Runs `act` on the next modal window as soon as it is up (polled from the event
// loop the modal window runs). The watch ends with the window or when the
// returned pointer is deleted.
QPointer<QTimer> onNextModal(const std::function<void(QWidget *)> &act)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
    return timer;
}

} // namespace

// The seed book plus categories: income 101 給与; expense 202 住居 (POS 1), 201
// 食費 (POS 2), hidden 203 旧費目 (POS 3); credit card 301 (BUNRUI 9). Seed:
// hidden groups 1..3 (BUNRUI 1..3, POS 0), hidden 11..13 (BUNRUI 0, POS -1), cash 100.
class TestDatModSql : public QObject
{
    Q_OBJECT

    BookFixture::SeedBook m_book;
    Database &db() { return m_book.db; }
    std::unique_ptr<TDatModSql> m_sql;

private slots:
    void init()
    {
        m_book.open();
        addHimoku(db(), 101, 5, u"給与"_s, 1);
        addHimoku(db(), 202, 1, u"住居"_s, 2);
        addHimoku(db(), 201, 2, u"食費"_s, 2);
        addHimoku(db(), 203, 3, u"旧費目"_s, 2, false);
        addHimoku(db(), 301, 4, u"カード"_s, 9);
        m_sql = std::make_unique<TDatModSql>(db());
        DatModSql = m_sql.get();
    }
    void cleanup()
    {
        m_sql.reset();
        QVERIFY(!DatModSql);
        m_book.close();
    }

    void himokuLists_data()
    {
        QTest::addColumn<int>("listKind");
        QTest::addColumn<int>("subKind");
        QTest::addColumn<bool>("withAll");
        QTest::addColumn<bool>("withCode");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("income") << 1 << 0 << false << false << QStringList{u"給与"_s} << QList<int>{101};
        QTest::newRow("expense with all")
            << 2 << 0 << true << false << QStringList{u"すべて"_s, u"住居"_s, u"食費"_s} << QList<int>{0, 202, 201};
        QTest::newRow("accounts") << 3 << 0 << false << false << QStringList{u"現金"_s, u"カード"_s}
                                  << QList<int>{100, 301};
        // Hidden rows too: the input categories, the hidden expense and the
        // group rows whose BUNRUI is above 1.
        QTest::newRow("move targets")
            << 4 << 0 << false << false
            << QStringList{u"口座フリー入力用"_s, u"金券入力用"_s, u"レシート入力用"_s, u"支出"_s, u"住居"_s,
                           u"食費"_s, u"旧費目"_s, u"口座"_s, u"現金"_s, u"カード"_s}
            << QList<int>{11, 12, 13, 2, 202, 201, 203, 3, 100, 301};
        QTest::newRow("income and expense") << 6 << 0 << false << false
                                            << QStringList{u"給与"_s, u"住居"_s, u"食費"_s}
                                            << QList<int>{101, 202, 201};
        QTest::newRow("all") << 0 << 0 << false << false
                             << QStringList{u"給与"_s, u"住居"_s, u"食費"_s, u"現金"_s, u"カード"_s}
                             << QList<int>{101, 202, 201, 100, 301};
        QTest::newRow("expense and accounts") << 0 << 1 << false << false
                                              << QStringList{u"住居"_s, u"食費"_s, u"現金"_s, u"カード"_s}
                                              << QList<int>{202, 201, 100, 301};
        QTest::newRow("income and accounts") << 0 << 2 << false << false
                                             << QStringList{u"給与"_s, u"現金"_s, u"カード"_s}
                                             << QList<int>{101, 100, 301};
        QTest::newRow("with code") << 1 << 0 << true << true << QStringList{u"すべて"_s, u"101: 給与"_s}
                                   << QList<int>{0, 101};
    }
    void himokuLists()
    {
        QFETCH(int, listKind);
        QFETCH(int, subKind);
        QFETCH(bool, withAll);
        QFETCH(bool, withCode);
        QComboBox box;
        if (withCode)
            m_sql->FillHimokuCodeCombo(&box, listKind, withAll, subKind);
        else
            m_sql->FillHimokuCombo(&box, listKind, withAll, subKind);
        QTEST(textsOf(box), "texts");
        QTEST(codesOf(box), "codes");

        TListItems items;
        m_sql->GetHimokuList(items, listKind, withAll ? u"すべて"_s : QString(), subKind);
        if (!withCode)
            QTEST(textsOf(items), "texts");
    }

    void comboKeepsItsText()
    {
        QComboBox editable;
        editable.setEditable(true);
        m_sql->FillHimokuCombo(&editable, 2, true, 0);
        editable.setCurrentIndex(2);
        editable.setEditText(u"食費"_s);
        addHimoku(db(), 204, 0, u"教育"_s, 2);
        m_sql->FillHimokuCombo(&editable, 2, true, 0);
        QCOMPARE(editable.count(), 4);
        QCOMPARE(editable.currentText(), u"食費"_s);
        QCOMPARE(editable.currentData().toInt(), 201);

        QComboBox list;
        m_sql->FillHimokuCombo(&list, 2, false, 0);
        list.setCurrentIndex(list.findText(u"住居"_s));
        m_sql->FillHimokuCombo(&list, 6, false, 0);
        QCOMPARE(list.currentText(), u"住居"_s);
        QCOMPARE(list.currentData().toInt(), 202);
    }

    void itemShopAndPersonLists_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("bunrui");
        QTest::addColumn<int>("himoku");
        QTest::addColumn<QStringList>("texts");
        // Items: 米 (first level) and パン (second level under 米) of 食費; 家賃 of
        // 住居; 古い of 食費 with a hidden list row; 賞与明細 of income 給与;
        // 旧品 of the hidden category 旧費目.
        QTest::newRow("items of a category") << u"Hinmei"_s << 0 << 201 << QStringList{u"パン"_s, u"米"_s};
        QTest::newRow("items of expense") << u"Hinmei"_s << 2 << 0 << QStringList{u"パン"_s, u"家賃"_s, u"米"_s};
        QTest::newRow("items of all") << u"Hinmei"_s << 0 << 0
                                      << QStringList{u"パン"_s, u"家賃"_s, u"米"_s, u"賞与明細"_s};
        QTest::newRow("shops of a category") << u"Shop"_s << 0 << 201 << QStringList{u"パン"_s, u"米"_s};
        QTest::newRow("shops of all") << u"Shop"_s << 0 << 0
                                      << QStringList{u"パン"_s, u"家賃"_s, u"米"_s, u"賞与明細"_s};
    }
    void itemShopAndPersonLists()
    {
        QFETCH(QString, table);
        QFETCH(int, bunrui);
        QFETCH(int, himoku);
        addItem(db(), table, 201, u"米"_s, 201, 201, 0);
        addItem(db(), table, 202, u"パン"_s, 201, 201, 202);
        addItem(db(), table, 203, u"家賃"_s, 202, 203, 0);
        addItem(db(), table, 204, u"古い"_s, 201, 204, 0, false);
        addItem(db(), table, 205, u"賞与明細"_s, 101, 205, 0);
        addItem(db(), table, 206, u"旧品"_s, 203, 206, 0);
        QComboBox box;
        if (table == u"Hinmei")
            m_sql->FillHinmeiCombo(&box, bunrui, himoku, false);
        else
            m_sql->FillShopCombo(&box, bunrui, himoku, false);
        QTEST(textsOf(box), "texts");
        const QStringList byCode{u"米"_s, u"パン"_s, u"家賃"_s, u"古い"_s, u"賞与明細"_s};
        for (int i = 0; i < box.count(); ++i)
            QCOMPARE(box.itemData(i).toInt(), 201 + byCode.indexOf(box.itemText(i)));
    }

    void personList()
    {
        exec(db(), u"INSERT INTO Person (CODE, NAME, VISIBLE) VALUES (101, '父', 1), (102, '母', 0), (103, '子', 1)"_s);
        QComboBox box;
        m_sql->FillPersonCombo(&box, true);
        QCOMPARE(textsOf(box), (QStringList{u"すべて"_s, u"父"_s, u"子"_s}));
        QCOMPARE(codesOf(box), (QList<int>{0, 101, 103}));
    }

    void holidayCheckCountsNationalHolidays_data()
    {
        QTest::addColumn<int>("holidays");
        QTest::addColumn<bool>("reported");
        QTest::newRow("none") << 0 << true;
        QTest::newRow("9") << 9 << true;
        QTest::newRow("10") << 10 << false;
    }
    void holidayCheckCountsNationalHolidays()
    {
        QFETCH(int, holidays);
        QFETCH(bool, reported);
        addHolidays(db(), 2025, holidays);
        // Other kinds and other years do not count.
        exec(db(), u"INSERT INTO DateList (DATANO, RECDATE, NAME, TYPE) VALUES (NULL, '2025-06-01', '誕生日', 6)"_s);
        addHolidays(db(), 2024, 20);
        bool shown = false;
        QPointer<QTimer> watch = onNextModal([&shown](QWidget *w) {
            shown = true;
            auto *form = qobject_cast<TFormNonHoliday *>(w);
            QVERIFY(form);
            // Every line of the note is shown whole.
            for (QLabel *label : {form->Label1, form->Label2, form->Label3})
                QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
            form->FrCancel->click();
        });
        int year = 0;
        const int result = m_sql->CheckHolidayYears(2025, 2025, true, year);
        delete watch;
        QCOMPARE(shown, reported);
        QCOMPARE(result, reported ? int(mrCancel) : int(mrOk));
        if (reported)
            QCOMPARE(year, 2025);
    }

    void holidayCheckOverSeveralYears()
    {
        for (int y = 2014; y <= 2016; ++y)
            addHolidays(db(), y, 15);
        int year = -1;
        QCOMPARE(m_sql->CheckHolidayYears(2014, 2016, false, year), int(mrOk));
        QCOMPARE(year, -1);
        QCOMPARE(m_sql->CheckHolidayYears(2016, 2014, false, year), int(mrOk)); // no years

        // 2017 and 2019 missing: both listed, the weekends-only choice offered,
        // a click on the second picks it.
        addHolidays(db(), 2018, 15);
        QStringList listed;
        bool weekendShown = false;
        QString label;
        onNextModal([&](QWidget *w) {
            auto *form = qobject_cast<TFormNonHoliday *>(w);
            QVERIFY(form);
            for (int i = 0; i < form->ListBox1->count(); ++i)
                listed << form->ListBox1->item(i)->text();
            weekendShown = form->FrBtnOnly->isVisible() && form->Label4->isVisible();
            label = form->Label1->text();
            QListWidgetItem *second = form->ListBox1->item(1);
            form->ListBox1->setCurrentItem(second);
            emit form->ListBox1->itemClicked(second);
            form->FrBtnOnly->click();
        });
        QCOMPARE(m_sql->CheckHolidayYears(2016, 2019, false, year), int(mrIgnore));
        QCOMPARE(listed, (QStringList{u"2017年"_s, u"2019年"_s}));
        QVERIFY(weekendShown);
        QCOMPARE(label, u"下記の年の休日設定がされていないようです。"_s);
        QCOMPARE(year, 2019);

        // This year's check: its own text, no weekends-only choice, Yes.
        onNextModal([&](QWidget *w) {
            auto *form = qobject_cast<TFormNonHoliday *>(w);
            weekendShown = form->FrBtnOnly->isVisible() || form->Label4->isVisible();
            label = form->Label1->text();
            form->FrCalender->click();
        });
        QCOMPARE(m_sql->CheckHolidayYears(2019, 2019, true, year), int(mrYes));
        QVERIFY(!weekendShown);
        QCOMPARE(label, u"今年の休日設定がされていないようです。"_s);
        QCOMPARE(year, 2019);
    }

    void categoryPicker_data()
    {
        QTest::addColumn<int>("listKind");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("journal") << 2 << QList<int>{11, 13, 2, 202, 201, 203, 3, 100, 301};
        QTest::newRow("list kind 9") << 9 << QList<int>{11, 2, 202, 201, 203, 3, 100, 301};
    }
    void categoryPicker()
    {
        QFETCH(int, listKind);
        TFormSelecterHimoku form;
        form.SetOperation(3);
        QCOMPARE(form.LbTitle->text(), u"移動先の費目・口座を選択肢ください。"_s);
        form.SetOperation(7);
        QCOMPARE(form.LbTitle->text(), u"移動先の費目・口座を選択肢ください。"_s);
        QCOMPARE(form.operation(), uint8_t(7));
        form.SetListKind(uint8_t(listKind));
        int code = 0;
        int result = 0;
        onNextModal([&](QWidget *) {
            QTEST(codesOf(*form.CmbBoxHimoku), "codes");
            // OK without a choice.
            form.ShapeBtnOK->click();
        });
        result = form.exec();
        code = form.GetSelectedCode();
        QCOMPARE(result, int(mrOk));
        QCOMPARE(code, -1);

        onNextModal([&](QWidget *) {
            form.CmbBoxHimoku->setCurrentIndex(form.CmbBoxHimoku->findText(u"食費"_s));
            form.ShapeBtnOK->click();
        });
        QCOMPARE(form.exec(), int(mrOk));
        QCOMPARE(form.GetSelectedCode(), 201);
        onNextModal([&](QWidget *) { form.ShapeBtnCancel->click(); });
        QCOMPARE(form.exec(), int(mrCancel));
    }
};

QTEST_MAIN(TestDatModSql)
#include "tst_datmodsql.moc"
