#include <QRandomGenerator>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "ImportFixture.h"
#include "data/DatMod.h"
#include "data/ModalForm.h"
#include "management/imexport/ExportEntries.h"
#include "management/imexport/FormSelectAite.h"
#include "management/imexport/FormSelectHimoku.h"
#include "management/imexport/FormZeiSelect.h"
#include "management/imexport/ImportRun.h"
#include "platform/system/ShiftJis.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

using namespace Qt::StringLiterals;
using ImportFixture::scalarInt;
using ImportFixture::snapshot;

namespace {

enum Code { Syokuti = 99, Cash = 100, Salary = 101, Food = 107, Goods = 108, Bank = 123 };

void addLine(Database &db, int dataNo, int receipt, const QString &date, int kari, int kasi, const QVariant &amount,
             int item = 0, const QVariant &quantity = 1.0, int reckind = 1, bool reserved = false,
             const QVariant &kariSide = QVariant())
{
    Statement st(db, u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, SHOPCODE, HINMEICODE, "
                     "PERSONCODE, KARISIDE, KARICODE, KASICODE, RESERVED, LOOKUPNO, RECEIPTNO, RECKIND, STYLE, "
                     "ORIGIN, ZEIATUKAI) VALUES (?, 1, ?, ?, ?, 0, ?, 0, ?, ?, ?, ?, 0, ?, ?, 1, 2, 1)"_s);
    const QVariantList v{dataNo, date, amount, quantity, item, kariSide, kari, kasi, reserved ? 1 : 0, receipt,
                         reckind};
    for (int i = 0; i < v.size(); ++i)
        st.bind(i + 1, v.at(i));
    st.exec();
}

// Answers the category dialog: an existing name, or a new one with a purpose
// (0 収入, 1 支出, 2 口座 ...).
void chooseExisting(const QString &name)
{
    ModalForms::push([name](QDialog &d) {
        auto &f = dynamic_cast<TFormSelectHimoku &>(d);
        f.RdBtnKizon->setChecked(true);
        f.CmbBoxSelect->setCurrentText(name);
        return f.BtnOKClick() ? int(mrOk) : int(mrCancel);
    });
}
void createNew(const QString &name, int purpose, QString *askedFor = nullptr)
{
    ModalForms::push([name, purpose, askedFor](QDialog &d) {
        auto &f = dynamic_cast<TFormSelectHimoku &>(d);
        if (askedFor)
            *askedFor = f.LbText->text();
        f.RdBtnNew->setChecked(true);
        f.LbdEditNew->setText(name);
        f.SyuSiIdo->button(purpose)->setChecked(true);
        return f.BtnOKClick() ? int(mrOk) : int(mrCancel);
    });
}
void cancelForm()
{
    ModalForms::push([](QDialog &) { return int(mrCancel); });
}

// Stops at a given step, as a user pressing キャンセル.
class CancelAt : public IImportProgress
{
public:
    explicit CancelAt(int step) : m_step(step) {}
    void Start(const QString &, int) override {}
    bool Step(int i) override { return i >= m_step; }
    void Finish() override { finished = true; }
    bool finished = false;

private:
    int m_step;
};

} // namespace

// An import run on books made from the shipped template: reading files, the
// own format's round trip, statements, name conversion, slips, and that a
// cancel anywhere leaves the book as it was.
class TestImportRun : public QObject, private BookFixture::BookPlace
{
    Q_OBJECT

    Database &db() { return dm->MainDatabase; }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = env->path(name);
        TestEnv::writeFile(path, bytes);
        return path;
    }
    // A statement run with the columns 日付, 入金先, 出金元, 金額 (and more when given).
    void twoCategoryMap(TImportRun &run, int columns)
    {
        run.ResetSlots();
        run.ImportColumnMap[4] = 0;
        run.ImportColumnMap[6] = 1;
        run.ImportColumnMap[7] = 2;
        run.ImportColumnMap[10] = 3;
        run.ExpectedCount = columns;
        run.AmountColumnMode = true;
        run.SingleCategoryMode = false;
    }
    QList<QVariantList> masterRows(const QString &columns = u"RECDATE, KARICODE, KASICODE, KINGAKU"_s)
    {
        QList<QVariantList> rows;
        Statement st(db(), u"SELECT %1 FROM Master WHERE DATANO > 0 ORDER BY DATANO"_s.arg(columns));
        while (st.next()) {
            QVariantList r;
            for (int c = 0; c < st.columnCount(); ++c)
                r << st.value(c);
            rows << r;
        }
        return rows;
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

    void ownFormatRoundTrip()
    {
        Database &a = db();
        a.exec(u"INSERT INTO HinmeiMast (CODE, NAME, QUANTITY, GAKU, ZEIATUKAI) VALUES (150, 'say \"hi\", ok', 1, 0, 3)"_s);
        addLine(a, 1, 7, u"2026-01-05"_s, Food, Cash, 1500, 150);
        addLine(a, 2, 7, u"2026-01-05"_s, Food, Cash, 120, 2);           // 消費税, a system item
        addLine(a, 3, 0, u"2026-01-10"_s, Bank, Salary, 250000.5, 0, QVariant(), 1, true, true);
        addLine(a, 4, 9, u"2026-02-01"_s, Goods, Bank, -300, 4, 1.5, 3); // 繰越残高
        const QString first = env->path(u"a.pep"_s);
        QCOMPARE(ExportEntries(a, ExportOptions{}, first), 4);

        const QString folderB = makeBook(u"B"_s, true, false);
        Database b;
        b.open(folderB + u"/PomuZenitData.db"_s);
        TImportRun run(b);
        QVERIFY(run.LoadFile(first));
        QVERIFY(run.OwnFormat);
        QVERIFY(run.PrepareOwnFormat());
        run.ReadRows();
        run.CheckDirections();
        QVERIFY2(run.ReadingList.isEmpty(), qPrintable(run.ReadingList.value(0).text));
        QCOMPARE(run.SaveRows(), 4);

        const QString second = env->path(u"b.pep"_s);
        QCOMPARE(ExportEntries(b, ExportOptions{}, second), 4);
        QFile fa(first), fb(second);
        QVERIFY(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
        const QStringList la = fromShiftJis(fa.readAll()).split(u"\r\n"_s);
        const QStringList lb = fromShiftJis(fb.readAll()).split(u"\r\n"_s);
        QCOMPARE(lb.size(), la.size());
        QCOMPARE(lb.first(), u"RuzuVizuraStlye_1"_s);
        QMap<QString, QString> slipOf; // the source slip that each new slip came from
        for (int i = 1; i < la.size() - 1; ++i) {
            QStringList fa2 = SplitLine(la.at(i), u',', u'"');
            QStringList fb2 = SplitLine(lb.at(i), u',', u'"');
            QCOMPARE(fb2.size(), 18);
            // Slips stay together under new numbers; lines without one stay without.
            QCOMPARE(fb2.at(1) == u"0", fa2.at(1) == u"0");
            if (fa2.at(1) != u"0") {
                QVERIFY(!slipOf.contains(fb2.at(1)) || slipOf.value(fb2.at(1)) == fa2.at(1));
                slipOf.insert(fb2.at(1), fa2.at(1));
            }
            QCOMPARE(fb2.at(14).toInt(), fa2.at(14).toInt() % 100 + 100);
            for (int c : {14, 1, 0}) {
                fa2.removeAt(c);
                fb2.removeAt(c);
            }
            QCOMPARE(fb2, fa2);
        }
        QCOMPARE(slipOf.size(), 2);
        // System items keep their codes; the user item is made once.
        QCOMPARE(scalarInt(b, u"SELECT COUNT(*) FROM Master WHERE DATANO > 0 AND HINMEICODE IN (2, 4)"_s), 2);
        QCOMPARE(scalarInt(b, u"SELECT COUNT(*) FROM HinmeiMast WHERE NAME = ?"_s, {u"say \"hi\", ok"_s}), 1);
        QCOMPARE(scalarInt(b, u"SELECT COUNT(*) FROM Master WHERE DATANO > 0 AND KARISIDE IS NULL"_s), 3);
        QCOMPARE(scalarInt(b, u"SELECT COUNT(*) FROM Master WHERE RESERVED = 1 AND QUANTITY IS NULL"_s), 1);
        b.close();
    }

    void exportForms_data()
    {
        QTest::addColumn<bool>("own");
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<QString>("quote");
        QTest::addColumn<bool>("caption");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("own format")
            << true << QString() << QString() << false
            << QStringList{u"RuzuVizuraStlye_1"_s,
                           u"1,3,0,1,2014/01/05,\"食費\",\"現金\",1500,,1,\"a \"\"b\"\"\",\"\",\"\",,1,1,2,False"_s};
        QTest::newRow("tab, no quotes")
            << false << u"\t"_s << QString() << false
            << QStringList{u"1\t3\t1\t01/05/14\t食費\t現金\t1500\t\t内税\ta \"b\"\t\t\t"_s};
        QTest::newRow("captions quoted")
            << false << u","_s << u"'"_s << true
            << QStringList{u"'データNo','伝票No','行No','日付','借方科目','貸方科目','金額','数量','税扱','品名','店名',"
                           u"'使用者','予約'"_s,
                           u"'1','3','1','01/05/14','食費','現金','1500','','内税','a \"b\"','','',''"_s};
    }
    void exportForms()
    {
        QFETCH(bool, own);
        QFETCH(QString, delimiter);
        QFETCH(QString, quote);
        QFETCH(bool, caption);
        QFETCH(QStringList, lines);
        const QString path = env->path(u"e.txt"_s);
        ExportOptions options;
        QCOMPARE(ExportEntries(db(), options, path), 0); // only the sentinel row: the version line alone
        QFile empty(path);
        QVERIFY(empty.open(QIODevice::ReadOnly));
        QCOMPARE(empty.readAll(), QByteArray("RuzuVizuraStlye_1\r\n"));
        db().exec(u"INSERT INTO HinmeiMast (CODE, NAME, QUANTITY, GAKU, ZEIATUKAI) VALUES (150, 'a \"b\"', 1, 0, 3)"_s);
        addLine(db(), 1, 3, u"2014-01-05"_s, Food, Cash, 1500, 150, QVariant());
        options.ownFormat = own;
        options.delimiter = own ? QChar(u',') : delimiter.at(0);
        options.quote = quote.isEmpty() ? QChar() : quote.at(0);
        options.captionLine = caption;
        options.dateFormat = u"mm/dd/yy"_s;
        QCOMPARE(ExportEntries(db(), options, path), 1);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(fromShiftJis(f.readAll()), lines.join(u"\r\n"_s) + u"\r\n"_s);
        // A place that cannot be written is refused with a message, not a crash.
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ExportEntries(db(), options, env->path(u"none/x/e.txt"_s)));
    }

    void ownFormatProblems()
    {
        DialogQueue dialogs;
        TImportRun run(db());
        dialogs.answer(mrOk, u"空のファイルです。"_s);
        QVERIFY(!run.LoadFile(file(u"empty.pep"_s, QByteArray())));
        QVERIFY(run.LoadFile(file(u"v2.pep"_s, "RuzuVizuraStlye_1 \r\n")));
        dialogs.answer(mrOk, u"エクスポートファイルのバージョンが違います。"_s);
        QVERIFY(!run.PrepareOwnFormat());

        const QString good = u"1,0,0,1,2026/01/05,\"食費\",\"現金\",500,1,1,\"\",\"\",\"\",,1,1,2,False"_s;
        const QString backwards = u"2,0,0,1,2026/01/06,\"現金\",\"食費\",500,1,1,\"\",\"\",\"\",,1,1,2,False"_s;
        const QString incomeBoth = u"3,0,0,1,2026/01/06,\"給与\",\"賞与\",500,1,1,\"\",\"\",\"\",,1,1,2,False"_s;
        const QString short17 = u"4,0,0,1,2026/01/06,\"現金\",\"食費\",500,1,1,\"\",\"\",\"\",,1,1,2"_s;
        const QString badDate = u"5,0,0,1,2026/02/30,\"食費\",\"現金\",500,1,1,\"\",\"\",\"\",,1,1,2,False"_s;
        const QString text = u"RuzuVizuraStlye_1\r\n"_s + good + u"\r\n"_s + backwards + u"\r\n"_s + incomeBoth +
                             u"\r\n"_s + short17 + u"\r\n"_s + badDate + u"\r\n"_s;
        QVERIFY(run.LoadFile(file(u"p.pep"_s, toShiftJis(text))));
        QVERIFY(run.PrepareOwnFormat());
        run.ReadRows();
        run.CheckDirections();
        QStringList texts;
        for (const auto &p : run.ReadingList)
            texts << p.text;
        QCOMPARE(texts, (QStringList{
                            u"5行目　エラー！！ 項目数が違います。"_s,
                            u"6行目　エラー！！ 不正なデータ："_s + badDate,
                            u"3行目　貸借を入れ替え、金額の±を反転しました。"_s,
                            u"4行目　エラー！！ 支出費目からの出金、もしくは、収入費目への出金はできません。"_s}));
        QVERIFY(run.ErrorsPresent);
        QCOMPARE(run.ImportClt.at(1)[fKINGAKU].value<Currency>(), Currency::fromInt(-500));
        QCOMPARE(run.HimokuConvert.ToName(run.ImportClt.at(1).entry(fKARICODE)), u"食費"_s);

        // Failed rows are skipped after the question; the good ones are written.
        const QStringList before = snapshot(db());
        dialogs.answer(mrCancel, u"3行　読み飛ばします。"_s);
        QCOMPARE(run.SaveRows(), -1);
        QCOMPARE(snapshot(db()), before);
        dialogs.answer(mrOk, u"3行　読み飛ばします。"_s);
        QCOMPARE(run.SaveRows(), 2);
        QCOMPARE(masterRows(u"KARICODE, KASICODE, KINGAKU, RECKIND"_s),
                 (QList<QVariantList>{{Food, Cash, 500.0, 101}, {Food, Cash, -500.0, 101}}));
    }

    void statements_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<QString>("quote");
        QTest::addColumn<bool>("caption");
        QTest::addColumn<QString>("dateFormat");
        QTest::addColumn<QString>("thousands");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<double>("amount");
        QTest::newRow("shift-jis quoted thousands")
            << toShiftJis(u"2026/01/05,食費,現金,\"1,234\"\r\n"_s) << u","_s << u"\""_s << false << u"yyyy/mm/dd"_s
            << u","_s << QString() << 1234.0;
        QTest::newRow("utf-8 with bom and captions")
            << QByteArray("\xEF\xBB\xBF") + u"日付,入金,出金,金額\n01/05/26,食費,現金,\"¥1,234\"\n"_s.toUtf8()
            << u","_s << u"\""_s << true << u"mm/dd/yy"_s << u","_s << u"\\"_s << 1234.0;
        QTest::newRow("shift-jis yen sign")
            << toShiftJis(u"2026/1/5,食費,現金,\"\\1,234\"\r\n"_s) << u","_s << u"\""_s
            << false << u"yyyy/mm/dd"_s << u","_s << u"\\"_s << 1234.0;
        QTest::newRow("tab without quotes, dollar")
            << toShiftJis(u"01/05/2026\t食費\t現金\t$12.5\r\n"_s) << u"\t"_s << QString() << false
            << u"mm/dd/yyyy"_s << QString() << u"$"_s << 12.5;
        QTest::newRow("other sign, period thousands")
            << toShiftJis(u"'26/01/05','食費','現金','円1.234'\r\n"_s) << u","_s << u"'"_s << false
            << u"yy/mm/dd"_s << u"."_s << u"*"_s << 1234.0;
    }
    void statements()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, delimiter);
        QFETCH(QString, quote);
        QFETCH(bool, caption);
        QFETCH(QString, dateFormat);
        QFETCH(QString, thousands);
        QFETCH(QString, sign);
        QFETCH(double, amount);
        TImportRun run(db());
        QVERIFY(run.LoadFile(file(u"s.csv"_s, bytes)));
        QVERIFY(!run.OwnFormat);
        run.Delimiter = delimiter.at(0);
        run.QuoteChar = quote.isEmpty() ? QChar() : quote.at(0);
        run.CaptionLine = caption;
        run.DateFormat = dateFormat;
        run.Amounts.thousands = thousands.isEmpty() ? QChar() : thousands.at(0);
        run.Amounts.currencySign = sign.isEmpty() ? QChar() : sign.at(0);
        twoCategoryMap(run, 4);
        run.ReadRows();
        run.ValidateRows();
        QVERIFY2(run.ReadingList.isEmpty(), qPrintable(run.ReadingList.value(0).text));
        QCOMPARE(run.ImportClt.first()[fImportNo].toInt(), caption ? 2 : 1);
        QVERIFY(run.ConvertRows());
        QCOMPARE(run.SaveRows(), 1);
        QCOMPARE(masterRows(u"RECDATE, KARICODE, KASICODE, KINGAKU, RECKIND, STYLE, GYONO, ORIGIN"_s),
                 (QList<QVariantList>{{u"2026-01-05"_s, Food, Cash, amount, 201, 1, 1, 2}}));
    }

    void namesConvertedCreatedOrChosen()
    {
        // One category column: the counterpart is asked once, unknown names once each.
        const QString text = u"2026/01/05,外食,800\r\n2026/01/06,外食,700\r\n2026/01/07,食費,300\r\n"
                             u"2026/01/08,ランチ,600\r\n2026/01/25,給与,200000\r\n"_s;
        TImportRun run(db());
        QVERIFY(run.LoadFile(file(u"n.csv"_s, toShiftJis(text))));
        run.ResetSlots();
        run.ImportColumnMap[4] = 0;
        run.ImportColumnMap[5] = 1;
        run.ImportColumnMap[10] = 2;
        run.ExpectedCount = 3;
        run.SingleCategoryMode = true;
        run.HimokuConvert.AccountSideMode = true;
        QString asked;
        createNew(u"外食費"_s, 1, &asked);
        chooseExisting(u"食費"_s);
        run.ReadRows();
        QCOMPARE(asked, u"外食"_s);
        QCOMPARE(ModalForms::pending(), 0);
        run.ValidateRows();
        ModalForms::push([](QDialog &d) {
            auto &f = dynamic_cast<TFormSelectAite &>(d);
            f.CmbBoxAite->setCurrentText(u"財布"_s); // an account the book lacks
            return f.BtnOKClick() ? int(mrOk) : int(mrCancel);
        });
        QVERIFY(run.ConvertRows());
        QCOMPARE(run.SaveRows(), 5);
        const int gaisyoku = scalarInt(db(), u"SELECT CODE FROM Himoku WHERE NAME = '外食費'"_s);
        const int saifu = scalarInt(db(), u"SELECT CODE FROM Himoku WHERE NAME = '財布'"_s);
        QVERIFY(gaisyoku > 126 && saifu > 126);
        QCOMPARE(scalarInt(db(), u"SELECT BUNRUI FROM Himoku WHERE CODE = ?"_s, {gaisyoku}), 2);
        QCOMPARE(db().scalar(u"SELECT MEMO FROM Himoku WHERE CODE = ?"_s, {gaisyoku}).toString(), u"外食"_s);
        QCOMPARE(scalarInt(db(), u"SELECT BUNRUI FROM Himoku WHERE CODE = ?"_s, {saifu}), 3);
        QCOMPARE(masterRows(u"KARICODE, KASICODE, KINGAKU"_s),
                 (QList<QVariantList>{{gaisyoku, saifu, 800.0},
                                      {gaisyoku, saifu, 700.0},
                                      {Food, saifu, 300.0},
                                      {Food, saifu, 600.0},
                                      {saifu, Salary, 200000.0}}));
        // The caches know the new rows at once.
        QVERIFY(AllHimokuArray.size() > 0);
    }

    void onlyWrittenRowsMakeMasters()
    {
        // The second row names a new category and an item, then fails on its
        // amount: nothing it alone carries may reach the book.
        const QString text = u"2026/01/05,食費,現金,100,パン\r\n2026/01/06,幽霊,現金,1x0,幻の品\r\n"_s;
        TImportRun run(db());
        QVERIFY(run.LoadFile(file(u"g.csv"_s, toShiftJis(text))));
        twoCategoryMap(run, 5);
        run.ImportColumnMap[15] = 4;
        createNew(u"幽霊費"_s, 1);
        run.ReadRows();
        run.ValidateRows();
        QCOMPARE(run.FailedCount(run.ImportClt), 1);
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"1行　読み飛ばします。"_s); // asked before the conversion
        QVERIFY(run.ConvertRows());
        QVERIFY(dialogs.done());
        QCOMPARE(run.SaveRows(), 1);
        QCOMPARE(scalarInt(db(), u"SELECT COUNT(*) FROM Himoku WHERE NAME = '幽霊費'"_s), 0);
        QCOMPARE(scalarInt(db(), u"SELECT COUNT(*) FROM HinmeiMast WHERE NAME = '幻の品'"_s), 0);
        QCOMPARE(scalarInt(db(), u"SELECT COUNT(*) FROM HinmeiMast WHERE NAME = 'パン'"_s), 1);
    }

    void slipGroupsAndDecomposition_data()
    {
        QTest::addColumn<QString>("rows"); // slip,debit,credit,debitAmount,creditAmount per line
        QTest::addColumn<QStringList>("lines"); // debit>credit:amount, "!" marks a failed line
        QTest::addColumn<QStringList>("notes");
        QTest::newRow("one row") << u"10,食費,現金,1000,1000"_s << QStringList{u"食費>現金:1000"_s} << QStringList{};
        QTest::newRow("one credit") << u"11,食費,現金,600,1000;11,日用品,,400,"_s
                                    << QStringList{u"食費>現金:600"_s, u"日用品>現金:400"_s} << QStringList{};
        QTest::newRow("through 諸口") << u"12,食費,現金,600,500;12,日用品,普通預金,400,500"_s
                                       << QStringList{u"食費>諸口:600"_s, u"日用品>諸口:400"_s, u"諸口>現金:500"_s,
                                                      u"諸口>普通預金:500"_s}
                                       << QStringList{u"1行目　諸口に分解しました。"_s, u"2行目　諸口に分解しました。"_s,
                                                      u"3行目　諸口に分解しました。"_s, u"4行目　諸口に分解しました。"_s};
        QTest::newRow("two balanced groups under one slip")
            << u"13,食費,現金,100,100;13,日用品,現金,200,200"_s
            << QStringList{u"食費>現金:100"_s, u"日用品>現金:200"_s} << QStringList{};
        QTest::newRow("unbalanced last slip")
            << u"14,食費,現金,100,100;15,日用品,現金,200,150"_s
            << QStringList{u"食費>現金:100"_s, u"!日用品>現金:200"_s}
            << QStringList{u" 伝票番号 ＝ 2　エラー！！　貸借が一致しない伝票があります。"_s};
        QTest::newRow("income turned round") << u"16,給与,普通預金,900,900"_s
                                             << QStringList{u"普通預金>給与:-900"_s}
                                             << QStringList{u"1行目　貸借を反転し、金額をマイナスにしました。"_s};
    }
    void slipGroupsAndDecomposition()
    {
        QFETCH(QString, rows);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, notes);
        QString text;
        for (const QString &r : rows.split(u';'))
            text += u"2026/01/05,"_s + r + u"\r\n"_s;
        TImportRun run(db());
        QVERIFY(run.LoadFile(file(u"d.csv"_s, toShiftJis(text))));
        run.ResetSlots();
        run.ImportColumnMap[4] = 0;
        run.ImportColumnMap[1] = 1;
        run.ImportColumnMap[6] = 2;
        run.ImportColumnMap[7] = 3;
        run.ImportColumnMap[8] = 4;
        run.ImportColumnMap[9] = 5;
        run.ExpectedCount = 6;
        run.AmountColumnMode = false;
        run.ReadRows();
        run.ValidateRows();
        QVERIFY(run.ConvertRows());
        QStringList got;
        for (const auto &l : run.InterClt)
            got << (l.good() ? QString() : u"!"_s) + run.HimokuConvert.ToName(l.entry(fKARICODE)) + u'>' +
                       run.HimokuConvert.ToName(l.entry(fKASICODE)) + u':' +
                       QString::number(l[fKINGAKU].value<Currency>().toDouble());
        QCOMPARE(got, lines);
        QStringList listed;
        for (const auto &p : run.ConversionList)
            listed << p.text;
        QCOMPARE(listed, notes);
        // Lines of one slip count their line numbers and share the accounting month.
        for (const auto &l : run.InterClt) {
            QCOMPARE(l[fSTYLE].toInt(), 7);
            QCOMPARE(l[fORIGIN].toInt(), 3);
            QVERIFY(l[fLOOKUPNO].toInt() != 0);
        }
    }

    void longSlipIsSplit()
    {
        QString text;
        for (int i = 0; i < 251; ++i)
            text += u"2026/01/05,5,食費,現金,10\r\n"_s;
        TImportRun run(db());
        QVERIFY(run.LoadFile(file(u"l.csv"_s, text.toUtf8())));
        run.ResetSlots();
        run.ImportColumnMap[4] = 0;
        run.ImportColumnMap[1] = 1;
        run.ImportColumnMap[6] = 2;
        run.ImportColumnMap[7] = 3;
        run.ImportColumnMap[10] = 4;
        run.ExpectedCount = 5;
        run.ReadRows();
        run.ValidateRows();
        QVERIFY(run.ConvertRows());
        QCOMPARE(run.SaveRows(), 251);
        QVERIFY(run.SlipSplit);
        Statement st(db(), u"SELECT COUNT(*) FROM Master WHERE DATANO > 0 GROUP BY RECEIPTNO ORDER BY 1 DESC"_s);
        QList<int> sizes;
        while (st.next())
            sizes << int(st.intValue(0));
        QCOMPARE(sizes, (QList<int>{250, 1}));
    }

    void cancelLeavesTheBookUnchanged()
    {
        const QString text = u"2026/01/05,新しい費目,現金,100,消費税込\r\n2026/01/06,食費,現金,200,税抜き\r\n"_s;
        const QString path = file(u"c.csv"_s, toShiftJis(text));
        const QStringList before = snapshot(db());
        auto prepared = [&](TImportRun &run) {
            QVERIFY(run.LoadFile(path));
            twoCategoryMap(run, 5);
            run.ImportColumnMap[12] = 4;
        };
        {   // the category dialog
            TImportRun run(db());
            prepared(run);
            cancelForm();
            QVERIFY_THROWS_EXCEPTION(ECanceledError, run.ReadRows());
        }
        QCOMPARE(snapshot(db()), before);
        {   // the tax dialog
            TImportRun run(db());
            prepared(run);
            createNew(u"新しい費目"_s, 1);
            cancelForm();
            QVERIFY_THROWS_EXCEPTION(ECanceledError, run.ReadRows());
        }
        QCOMPARE(snapshot(db()), before);
        {   // the progress while reading and while checking
            TImportRun run(db());
            prepared(run);
            CancelAt stop(0);
            QVERIFY_THROWS_EXCEPTION(ECanceledError, run.ReadRows(&stop));
            QVERIFY(stop.finished);
            createNew(u"新しい費目"_s, 1);
            for (int i = 0; i < 2; ++i)
                ModalForms::push([](QDialog &d) {
                    dynamic_cast<TFormZeiSelect &>(d).RdGrpZei->button(1)->setChecked(true);
                    return int(mrOk);
                });
            run.ReadRows(); // the name answered before is not asked again
            CancelAt stopCheck(1);
            QVERIFY_THROWS_EXCEPTION(ECanceledError, run.ValidateRows(&stopCheck));
            // the skip question at the save
            QVERIFY(run.ConvertRows(false));
            run.InterClt[1][fSucsses] = false;
            DialogQueue dialogs;
            dialogs.answer(mrCancel, u"1行　読み飛ばします。"_s);
            QCOMPARE(run.SaveRows(), -1);
            QVERIFY(dialogs.done());
            QCOMPARE(run.HimokuConvert.GetCode(run.InterClt[0].entry(fKARICODE)), -1);
        }
        QCOMPARE(snapshot(db()), before);
        {   // the counterpart dialog
            TImportRun run(db());
            QVERIFY(run.LoadFile(path));
            run.ResetSlots();
            run.ImportColumnMap[4] = 0;
            run.ImportColumnMap[5] = 2;
            run.ImportColumnMap[10] = 3;
            run.ExpectedCount = 5;
            run.SingleCategoryMode = true;
            run.ReadRows();
            run.ValidateRows();
            cancelForm();
            QVERIFY(!run.ConvertRows());
        }
        QCOMPARE(snapshot(db()), before);
    }

    void fuzzedFilesNeverCrash()
    {
        // Mutations of a statement and of an own-format file, with a fixed seed.
        const QByteArray csv = toShiftJis(u"日付,摘要,入金,出金,金額\r\n2026/01/05,\"食費\",食費,現金,\"1,200\"\r\n"
                                          u"2026/01/06,日用品,日用品,普通預金,300\r\n2026/01/07,x,給与,普通預金,9\r\n"_s);
        const QByteArray pep = toShiftJis(u"RuzuVizuraStlye_1\r\n1,5,0,1,2026/01/05,\"食費\",\"現金\",500,1,1,\"\",\"\","
                                          u"\"\",,1,1,2,False\r\n2,5,0,2,2026/01/05,\"日用品\",\"現金\",-5.5,,3,\"消費税\","
                                          u"\"店\",\"自分\",True,101,7,3,True\r\n"_s);
        const char junk[] = {',', '"', '\'', '\t', '\r', '\n', '\0', '\x81', '\xFF', '/', '-', '9', ' ', '\xEF'};
        QRandomGenerator rng(31);
        const QStringList before = snapshot(db());
        int rowsSeen = 0;
        for (int n = 0; n < 3000; ++n) {
            const bool own = n % 2 == 1;
            QByteArray bytes = own ? pep : csv;
            const int edits = 1 + int(rng.bounded(6));
            for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
                const int at = int(rng.bounded(bytes.size()));
                switch (rng.bounded(4)) {
                case 0:
                    bytes[at] = junk[rng.bounded(int(sizeof junk))];
                    break;
                case 1:
                    bytes.insert(at, junk[rng.bounded(int(sizeof junk))]);
                    break;
                case 2:
                    bytes.remove(at, 1 + int(rng.bounded(8)));
                    break;
                default:
                    bytes.truncate(at);
                    break;
                }
            }
            TImportRun run(db());
            run.HimokuConvert.Silent = true; // unknown names become entries without a dialog
            run.ZeiConvert.NumericMode = true;
            run.File = decodeExchangeText(bytes);
            run.OwnFormat = own;
            if (!run.File.error.isEmpty() || run.File.lines.isEmpty())
                continue;
            if (own) {
                if (run.File.lines.first() != u"RuzuVizuraStlye_1")
                    run.File.lines[0] = u"RuzuVizuraStlye_1"_s;
                QVERIFY(run.PrepareOwnFormat());
                run.ReadRows();
                run.CheckDirections();
            } else {
                run.CaptionLine = true;
                twoCategoryMap(run, 5);
                run.ImportColumnMap[4] = 0;
                run.ImportColumnMap[6] = 2;
                run.ImportColumnMap[7] = 3;
                run.ImportColumnMap[10] = 4;
                run.ReadRows();
                run.ValidateRows();
                QVERIFY(run.ConvertRows(false));
            }
            // Every row is either good or listed with its line number.
            for (const auto &row : run.ImportClt) {
                ++rowsSeen;
                if (!row.good()) {
                    bool listed = false;
                    for (const auto &p : run.ReadingList)
                        listed = listed || p.importNo == row[fImportNo].toInt();
                    QVERIFY(listed);
                } else if (own) {
                    QVERIFY(row[fRECDATE].toDate().isValid());
                }
            }
        }
        QVERIFY(rowsSeen > 3000);
        QCOMPARE(snapshot(db()), before); // reading never writes
    }
};

QTEST_MAIN(TestImportRun)
#include "tst_importrun.moc"
