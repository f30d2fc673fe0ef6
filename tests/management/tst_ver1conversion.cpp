#include <algorithm>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "TestEnv.h"
#include "Ver1Fixture.h"
#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/ModalForm.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"
#include "management/FormHenkan.h"
#include "management/FormHenkanKouza.h"
#include "management/FormOldDataInport.h"
#include "management/FrameDataKanri.h"
#include "management/ImportVer1Data.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

namespace {

// The user's answers to the import's forms: the old folder, then "開始";
// mapping (when given) fills the account editor before its OK.
void queueImport(const QString &oldFolder, const std::function<int(TFormHenkanKouza &)> &mapping = {})
{
    ModalForms::push([oldFolder](QDialog &d) {
        auto &f = dynamic_cast<TFormOldDataInport &>(d);
        f.LbEditOther->setText(oldFolder);
        f.FrBtnNextClick();
        return f.result() == mrOk ? int(mrOk) : int(mrCancel);
    });
    ModalForms::push([mapping](QDialog &d) {
        auto &h = dynamic_cast<TFormHenkan &>(d);
        if (mapping)
            ModalForms::push([mapping](QDialog &k) { return mapping(dynamic_cast<TFormHenkanKouza &>(k)); });
        h.FrBtnExecClick();
        return h.result();
    });
}

int rowOf(QTableWidget *editor, const QString &name)
{
    for (int r = 0; r < editor->rowCount(); ++r) {
        if (editor->item(r, 0)->text() == name)
            return r;
    }
    return -1;
}

QVariant scalar(Database &db, const QString &sql, const QVariantList &params = {})
{
    return db.scalar(sql, params);
}

QString accountOf(const QString &bunrui, int kind)
{
    if (kind == 1 && bunrui == u"給料"_s)
        return u"銀行"_s;
    if (kind == 2 && bunrui == u"日用品"_s)
        return u"カード"_s;
    return u"現金"_s;
}

} // namespace

// The first version's data read into a new book: every table converted row
// by row, the balances and month totals as the old data had them; a damaged
// old folder, a cancelled name or mapping leave no book behind and the book
// open before open again.
class TestVer1Conversion : public QObject, private BookFixture::BookPlace
{
    Q_OBJECT

private slots:
    void init() { openPlace(); }
    void cleanup() { closePlace(); }

    void convertsEveryTableRowByRow()
    {
        const QString oldFolder = env->path(u"ver1"_s);
        const Ver1Fixture::Data data = Ver1Fixture::standardData();
        QVERIFY(Ver1Fixture::writeFolder(oldFolder, data));

        DialogQueue dialogs;
        dialogs.input(u"旧家計簿"_s);
        dialogs.answer(mrOk, u"名称が長すぎる費目か存在します。"_s);
        dialogs.answer(mrOk, u"収入合計："_s);
        queueImport(oldFolder, [](TFormHenkanKouza &k) {
            // A category met only in the data is offered too, with the note.
            [&] {
                QVERIFY(!k.LbHideHimoku->isHidden());
                QVERIFY(rowOf(k.ValListEditDeru, u"医療費"_s) >= 0);
                QCOMPARE(k.ValListEditIri->rowCount(), 2);
                QVERIFY(k.LongNameFound());
            }();
            k.FormActivate();
            k.SetAccount(k.ValListEditIri, rowOf(k.ValListEditIri, u"給料"_s), u"銀行"_s);
            const int daily = rowOf(k.ValListEditDeru, u"日用品"_s);
            k.SetAccount(k.ValListEditDeru, daily, u"カード"_s);
            // An emptied account name brings the previous one back.
            k.SetAccount(k.ValListEditDeru, daily, QString());
            [&] {
                QCOMPARE(k.ValListEditDeru->item(daily, 1)->text(), u"カード"_s);
                QCOMPARE(k.AccountNames(), QStringList({u"カード"_s, u"現金"_s, u"銀行"_s}));
            }();
            k.FrBtnExecClick();
            return k.result();
        });
        QCOMPARE(ImportVer1Data(), int(mrOk));
        QVERIFY(dialogs.done());
        QVERIFY(IsRegisteredBook(u"旧家計簿"_s));
        QCOMPARE(CurrentBookName(), u"旧家計簿"_s);
        QVERIFY(dm->FolderReady);
        QVERIFY(dm->LoginAndOpen());
        Database &db = dm->MainDatabase;

        // ---- journal: date order, read order within a day ----
        struct Expected
        {
            Ver1Fixture::Line line;
            int kind;
        };
        QList<Expected> expected;
        for (const auto &l : data.deru)
            expected << Expected{l, 2};
        for (const auto &l : data.iri)
            expected << Expected{l, 1};
        std::stable_sort(expected.begin(), expected.end(),
                         [](const Expected &a, const Expected &b) { return a.line.date < b.line.date; });
        QCOMPARE(scalar(db, u"SELECT COUNT(*) FROM Master WHERE DATANO > 0"_s).toInt(), int(expected.size()));
        Statement rows(db, u"SELECT M.DATANO, M.RECDATE, M.KINGAKU, C.MEMO, C.BUNRUI, C.VISIBLE, A.NAME, "
                           "IFNULL(H.NAME, ''), IFNULL(S.NAME, ''), IFNULL(P.NAME, ''), M.ZEIATUKAI, M.ORIGIN, "
                           "M.STYLE, M.HINMEICODE "
                           "FROM Master M "
                           "JOIN Himoku C ON C.CODE = CASE M.ORIGIN WHEN 2 THEN M.KARICODE ELSE M.KASICODE END "
                           "JOIN Himoku A ON A.CODE = CASE M.ORIGIN WHEN 2 THEN M.KASICODE ELSE M.KARICODE END "
                           "LEFT JOIN HinmeiMast H ON H.CODE = M.HINMEICODE AND M.HINMEICODE > 0 "
                           "LEFT JOIN ShopMast S ON S.CODE = M.SHOPCODE AND M.SHOPCODE > 0 "
                           "LEFT JOIN Person P ON P.CODE = M.PERSONCODE AND M.PERSONCODE > 0 "
                           "WHERE M.DATANO > 0 ORDER BY M.DATANO"_s);
        for (int i = 0; i < expected.size(); ++i) {
            QVERIFY2(rows.next(), qPrintable(u"row %1 missing"_s.arg(i + 1)));
            const Expected &e = expected.at(i);
            QCOMPARE(rows.intValue(0), qlonglong(i + 1));
            QCOMPARE(rows.textValue(1), e.line.date.toString(Qt::ISODate));
            QCOMPARE(rows.doubleValue(2), e.line.amount);
            QCOMPARE(rows.textValue(3), e.line.bunrui);
            QCOMPARE(rows.intValue(4), qlonglong(e.kind));
            QCOMPARE(rows.textValue(6), accountOf(e.line.bunrui, e.kind));
            QCOMPARE(rows.textValue(7), e.line.item);
            QCOMPARE(rows.textValue(8), e.line.shop);
            QCOMPARE(rows.textValue(9), e.line.person);
            // Expense lines are tax-exempt unless they are the tax items.
            const bool taxItem = rows.intValue(13) == 1 || rows.intValue(13) == 2;
            QCOMPARE(rows.intValue(10), qlonglong(e.kind == 2 && !taxItem ? 2 : 0));
            QCOMPARE(rows.intValue(11), qlonglong(e.kind));
            QCOMPARE(rows.intValue(12), 1LL);
        }
        QVERIFY(!rows.next());
        // The old "消費税" line keeps the system item's meaning.
        QCOMPARE(scalar(db, u"SELECT COUNT(*) FROM Master WHERE HINMEICODE = 2"_s).toInt(), 1);
        QCOMPARE(scalar(db, u"SELECT MAXNO FROM AutoInc WHERE NAME = 'master.db'"_s).toInt(), int(expected.size()));

        // ---- balances of the accounts and month totals ----
        QHash<QString, double> balances;
        QHash<QString, double> months;
        for (const Expected &e : expected) {
            balances[accountOf(e.line.bunrui, e.kind)] += e.kind == 1 ? e.line.amount : -e.line.amount;
            months[e.line.date.toString(u"yyyy-MM"_s) + QString::number(e.kind)] += e.line.amount;
        }
        for (auto it = balances.cbegin(); it != balances.cend(); ++it) {
            const int code = scalar(db, u"SELECT CODE FROM Himoku WHERE BUNRUI = 3 AND (NAME = ?)"_s, {it.key()}).toInt();
            QVERIFY2(code >= 100, qPrintable(it.key()));
            const double in = scalar(db, u"SELECT IFNULL(SUM(KINGAKU), 0) FROM Master WHERE KARICODE = ?"_s, {code}).toDouble();
            const double out = scalar(db, u"SELECT IFNULL(SUM(KINGAKU), 0) FROM Master WHERE KASICODE = ?"_s, {code}).toDouble();
            QCOMPARE(in - out, it.value());
        }
        Statement totals(db, u"SELECT strftime('%Y-%m', RECDATE) || ORIGIN, SUM(KINGAKU) FROM Master "
                             "WHERE DATANO > 0 GROUP BY 1"_s);
        int monthCount = 0;
        while (totals.next()) {
            ++monthCount;
            QCOMPARE(totals.doubleValue(1), months.value(totals.textValue(0), -1));
        }
        QCOMPARE(monthCount, int(months.size()));

        // ---- categories ----
        const QString longName = data.deruBunrui.at(2);
        QCOMPARE(scalar(db, u"SELECT NAME FROM Himoku WHERE MEMO = ?"_s, {longName}).toString(), u"とても長い名前の支出"_s);
        for (const QString &hidden : {u"医療費"_s, u"交際費"_s})
            QCOMPARE(scalar(db, u"SELECT VISIBLE FROM Himoku WHERE MEMO = ? AND BUNRUI = 2"_s, {hidden}).toInt(), 0);
        QCOMPARE(scalar(db, u"SELECT VISIBLE FROM Himoku WHERE MEMO = '食費' AND BUNRUI = 2"_s).toInt(), 1);
        QCOMPARE(scalar(db, u"SELECT POS FROM Himoku WHERE MEMO = '雑収入' AND BUNRUI = 1"_s).toInt(), 1);
        QCOMPARE(scalar(db, u"SELECT COUNT(*) FROM Himoku WHERE STARTDATE <> '2023-01-05'"_s).toInt(), 0);

        // ---- items, shops, persons, diary, tax rates, budgets ----
        Statement items(db, u"SELECT C.MEMO, O.NAME, IFNULL(K.NAME, '') FROM HinmeiList L "
                            "JOIN Himoku C ON C.CODE = L.HIMOKUCODE JOIN HinmeiMast O ON O.CODE = L.OYACODE "
                            "LEFT JOIN HinmeiMast K ON K.CODE = L.KOCODE AND L.KOCODE > 0 ORDER BY L.DATANO"_s);
        for (const QStringList &h : data.hinmei) {
            QVERIFY(items.next());
            QCOMPARE(QStringList({items.textValue(0), items.textValue(1), items.textValue(2)}), h);
        }
        QVERIFY(!items.next());
        QCOMPARE(scalar(db, u"SELECT COUNT(*) FROM ShopList"_s).toInt(), 2); // the repeated pair once
        QCOMPARE(scalar(db, u"SELECT GROUP_CONCAT(NAME || VISIBLE, ',') FROM Person WHERE CODE > 100"_s).toString(),
                 u"父1,母1,祖母0"_s);
        QCOMPARE(scalar(db, u"SELECT GROUP_CONCAT(RECDATE || MEMO, ',') FROM Memo"_s).toString(),
                 u"2023-01-05カレー,2024-03-01鍋"_s);
        QCOMPARE(scalar(db, u"SELECT MAXNO FROM AutoInc WHERE NAME = 'memo.db'"_s).toInt(), 2);
        QCOMPARE(scalar(db, u"SELECT GROUP_CONCAT(DATANO || ':' || STARTDATE || ':' || PERCENT, ',') FROM ZeiList"_s)
                     .toString(),
                 u"1:1997-04-01:5.0,2:2014-04-01:8.0"_s);
        QCOMPARE(scalar(db, u"SELECT GROUP_CONCAT(Y.DATANO || C.MEMO || Y.KINGAKU, ',') FROM Yosan Y "
                            "JOIN Himoku C ON C.CODE = Y.HIMOKUCODE"_s)
                     .toString(),
                 u"1給料250000.0,2交際費5000.0,3食費40000.0"_s);

        // ---- the book's tax rounding, through its own store ----
        QCOMPARE(DataIni->readInteger(u"State"_s, u"TaxCalc"_s, -1), 1);
        QCOMPARE(int(TaxCalcMode), 1);
    }

    // An early first version: items of one level only, no tax rounding set,
    // no journal yet.
    void earlyFirstVersion()
    {
        const QString oldFolder = env->path(u"ver1"_s);
        Ver1Fixture::Data data = Ver1Fixture::standardData();
        data.withDetail = false;
        data.taxCalc.clear();
        data.deru.clear();
        data.iri.clear();
        QVERIFY(Ver1Fixture::writeFolder(oldFolder, data));
        DialogQueue dialogs;
        dialogs.input(u"旧家計簿"_s);
        dialogs.answer(mrOk, u"名称が長すぎる費目か存在します。"_s);
        dialogs.answer(mrOk, u"収入合計： 0"_s);
        queueImport(oldFolder, [](TFormHenkanKouza &k) {
            k.FormActivate();
            k.FrBtnExecClick();
            return k.result();
        });
        QCOMPARE(ImportVer1Data(), int(mrOk));
        QVERIFY(dialogs.done());
        QVERIFY(dm->LoginAndOpen());
        Database &db = dm->MainDatabase;
        QCOMPARE(scalar(db, u"SELECT GROUP_CONCAT(O.NAME || ':' || L.KOCODE, ',') FROM HinmeiList L "
                            "JOIN HinmeiMast O ON O.CODE = L.OYACODE"_s)
                     .toString(),
                 u"野菜:0,肉:0,洗剤:0,基本給:0"_s);
        QCOMPARE(scalar(db, u"SELECT COUNT(*) FROM Master"_s).toInt(), 1); // row 0 only
        QCOMPARE(scalar(db, u"SELECT COUNT(*) FROM Himoku WHERE STARTDATE <> '1899-12-30'"_s).toInt(), 0);
        QCOMPARE(DataIni->readInteger(u"State"_s, u"TaxCalc"_s, -1), 2);
    }

    void rulesOfTheOldValues_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("cut");
        QTest::newRow("short") << u"食費"_s << u"食費"_s;
        QTest::newRow("ten wide") << u"あいうえおかきくけこさ"_s << u"あいうえおかきくけこ"_s;
        // 19 bytes then a wide character: it is left out whole.
        QTest::newRow("no split") << u"abcdefghijklmnopqrsあ"_s << u"abcdefghijklmnopqrs"_s;
    }
    void rulesOfTheOldValues()
    {
        QFETCH(QString, name);
        QFETCH(QString, cut);
        QCOMPARE(THenkan::CutName(name), cut);
        QCOMPARE(THenkan::TaxCalcOf(u"四捨五入"_s), 0);
        QCOMPARE(THenkan::TaxCalcOf(u"切り捨て"_s), 1);
        QCOMPARE(THenkan::TaxCalcOf(u"切り上げ"_s), 2);
        QCOMPARE(THenkan::TaxCalcOf(QString()), 2);
    }

    // Whatever stops the import, no new book exists and the book open before
    // is open again.
    void failedImportLeavesNoBook_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << u"remove 店名.db"_s << u"店名.db がありません。"_s;
        QTest::newRow("truncated table") << u"truncate 支出データ.db"_s << u"支出データ.db が壊れているため読み込めません。"_s;
        QTest::newRow("wrong header") << u"header 品名.db"_s << u"品名.db が壊れているため読み込めません。"_s;
        QTest::newRow("missing field") << u"field 支出データ.db"_s << u"支出データ.db に項目「金額」がありません。"_s;
        QTest::newRow("name cancelled") << u"cancel name"_s << QString();
        QTest::newRow("mapping cancelled") << u"cancel mapping"_s << QString();
    }
    void failedImportLeavesNoBook()
    {
        QFETCH(QString, damage);
        QFETCH(QString, message);
        const QString before = makeBook(u"家計簿1"_s);
        QString folder = before;
        QVERIFY(dm->OpenBook(u"家計簿1"_s, folder));

        const QString oldFolder = env->path(u"ver1"_s);
        QVERIFY(Ver1Fixture::writeFolder(oldFolder, Ver1Fixture::standardData()));
        const QString file = QDir(oldFolder).filePath(damage.section(u' ', 1));
        if (damage.startsWith(u"remove"_s)) {
            QVERIFY(QFile::remove(file));
        } else if (damage.startsWith(u"truncate"_s)) {
            QVERIFY(QFile::resize(file, QFileInfo(file).size() - 100));
        } else if (damage.startsWith(u"header"_s)) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.write(QByteArray(64, '\xff'));
        } else if (damage.startsWith(u"field"_s)) {
            QVERIFY(Ver1Fixture::writeTable(
                oldFolder, {u"支出データ.db"_s, {{u"分類名"_s, 'A', 40}, {u"日付"_s, 'D'}}, {{u"食費"_s, QDate(2023, 1, 1)}}}));
        }

        TFrameDataKanri page;
        DialogQueue dialogs;
        if (damage == u"cancel name"_s) {
            ModalForms::push([oldFolder](QDialog &d) {
                auto &f = dynamic_cast<TFormOldDataInport &>(d);
                f.LbEditOther->setText(oldFolder);
                f.FrBtnNextClick();
                return f.result();
            });
            dialogs.cancelInput();
        } else if (damage == u"remove 店名.db"_s) {
            ModalForms::push([oldFolder](QDialog &d) {
                auto &f = dynamic_cast<TFormOldDataInport &>(d);
                f.LbEditOther->setText(oldFolder);
                f.FrBtnNextClick(); // refused: the dialog stays
                return f.result() == mrOk ? int(mrOk) : int(mrCancel);
            });
            dialogs.answer(mrOk, message);
        } else {
            dialogs.input(u"旧家計簿"_s);
            if (!message.isEmpty())
                dialogs.answer(mrOk, message);
            queueImport(oldFolder, [](TFormHenkanKouza &k) { return int(mrCancel); });
        }
        page.FrBtnOldImportClick();
        if (!message.isEmpty() && damage != u"remove 店名.db"_s)
            ModalForms::clear(); // the mapping answer: a damaged table stops before it
        QVERIFY(dialogs.done());

        QVERIFY(!QFileInfo::exists(place() + u"/旧家計簿"_s));
        QVERIFY(!IsRegisteredBook(u"旧家計簿"_s));
        QCOMPARE(CurrentBookName(), u"家計簿1"_s);
        QVERIFY(dm->DataOpen);
        QCOMPARE(dm->BookName, u"家計簿1"_s);
        QCOMPARE(dm->DataFolder, before);
    }

    // A book already in the new book's folder: refused, it stays as it was;
    // accepted, it is kept whole beside the new one, and comes back in its
    // place when the conversion fails after the folder was made anew.
    void bookInTheWay_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("templateMissing");
        QTest::newRow("refused") << int(mrNo) << false;
        QTest::newRow("kept beside") << int(mrYes) << false;
        QTest::newRow("failure puts it back") << int(mrYes) << true;
    }
    void bookInTheWay()
    {
        QFETCH(int, answer);
        QFETCH(bool, templateMissing);
        const QString oldFolder = env->path(u"ver1"_s);
        QVERIFY(Ver1Fixture::writeFolder(oldFolder, Ver1Fixture::standardData()));
        const QString target = makeBook(u"旧家計簿"_s, false);
        QVERIFY(TestEnv::writeFile(target + u"/MemoRandum.txt"_s, "mine"));

        const QByteArray templateFile = qgetenv("POMU_TEMPLATE");
        if (templateMissing)
            qputenv("POMU_TEMPLATE", env->path(u"missing.pbk"_s).toLocal8Bit());
        int result = 0;
        {
            DialogQueue dialogs;
            dialogs.input(u"旧家計簿"_s);
            dialogs.answer(answer, u"すでにデータが存在します。"_s);
            if (templateMissing) {
                // The template restore offers to try again; the user gives up.
                dialogs.answer(mrCancel, u"ディスク、もしくは、指定されたファイルが違います！"_s);
                dialogs.answer(mrOk, u"変換に失敗しました。"_s);
            } else if (answer == mrYes) {
                dialogs.answer(mrOk, u"収入合計："_s);
            }
            queueImport(oldFolder, [](TFormHenkanKouza &k) {
                k.FrBtnExecClick();
                return k.result();
            });
            result = ImportVer1Data();
            qputenv("POMU_TEMPLATE", templateFile);
            QString why;
            QVERIFY2(dialogs.done(&why), qPrintable(why));
        }
        const QStringList siblings =
            QDir(place()).entryList({u"旧家計簿*"_s}, QDir::Dirs | QDir::NoDotAndDotDot);
        if (answer == mrYes && !templateMissing) {
            QCOMPARE(result, int(mrOk));
            QCOMPARE(siblings.size(), 2);
            const QString aside = place() + u"/"_s + siblings.at(1);
            QVERIFY(QFile::exists(aside + u"/MemoRandum.txt"_s));
            QVERIFY(!QFile::exists(target + u"/MemoRandum.txt"_s));
            QVERIFY(IsRegisteredBook(u"旧家計簿"_s));
        } else {
            QCOMPARE(result, int(mrNo));
            QCOMPARE(siblings, QStringList{u"旧家計簿"_s});
            QVERIFY(QFile::exists(target + u"/MemoRandum.txt"_s));
            QVERIFY(QFile::exists(target + u"/PomuZenitData.db"_s));
            QVERIFY(!IsRegisteredBook(u"旧家計簿"_s));
            QVERIFY(!dm->DataOpen);
        }
    }
};

QTEST_MAIN(TestVer1Conversion)
#include "tst_ver1conversion.moc"
