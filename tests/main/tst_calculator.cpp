#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QtTest>

#include "../data/JournalBook.h"
#include "DialogQueue.h"
#include "data/FormatSettings.h"
#include "main/CalcRegister.h"
#include "main/FormCalclater.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

// The desk calculator: what its display shows for a value, what a run of keys
// computes, and the tax and round keys over a book's tax list.
class TestCalculator : public QObject
{
    Q_OBJECT

    // Keys as typed: digits, . + - * / =, B backspace, M memory recall, A all
    // clear, P M+, Z 税, R 丸め.
    static void press(TFormCalclater &c, const QString &keys)
    {
        for (QChar k : keys) {
            switch (k.unicode()) {
            case 'A': c.AllClear(); break;
            case 'P': c.MemoryAdd(false); break;
            case 'Z': c.TaxKey(); break;
            case 'R': c.RoundKey(); break;
            default: c.KeyInput(k); break;
            }
        }
    }

private slots:
    void formatValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << 0.0 << u"0"_s;
        QTest::newRow("whole") << 127.0 << u"127"_s;
        QTest::newRow("a third") << 1.0 / 3.0 << u"0.33333333"_s;
        QTest::newRow("two thirds rounds") << 2.0 / 3.0 << u"0.66666667"_s;
        QTest::newRow("ten digits, no point") << 1234567890.0 << u"1234567890"_s;
        QTest::newRow("eleven digits") << 1e10 << u"Over"_s;
        QTest::newRow("nine digits and a fraction") << 123456789.25 << u"123456789"_s;
        QTest::newRow("negative") << -1.5 << u"-1.5"_s;
        QTest::newRow("negative loses a place") << -123456789.0 << u"-123456789"_s;
        QTest::newRow("negative too long") << -1234567890.0 << u"Over"_s;
        QTest::newRow("small") << 0.00012 << u"0.00012"_s;
        QTest::newRow("too small to show") << 1e-12 << u"0"_s;
        QTest::newRow("rounds up to the next power") << 999999999.99 << u"1000000000"_s;
    }
    void formatValue()
    {
        QFETCH(double, value);
        QFETCH(QString, shown);
        QCOMPARE(TCalcRegister::FormatValue(value, 10), shown);
    }

    void keys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::newRow("sum") << u"123+4="_s << u"127"_s << u""_s;
        QTest::newRow("go on from the result") << u"123+4=+3="_s << u"130"_s << u""_s;
        QTest::newRow("chained") << u"2+3*4="_s << u"20"_s << u""_s;
        QTest::newRow("division") << u"1/3="_s << u"0.33333333"_s << u""_s;
        QTest::newRow("eleventh digit ignored") << u"12345678901"_s << u"1234567890"_s << u""_s;
        QTest::newRow("overflow") << u"100000*100000="_s << u"Over"_s << u""_s;
        QTest::newRow("zeros after the point stay") << u"0.00"_s << u"0.00"_s << u""_s;
        QTest::newRow("no leading zero") << u"007"_s << u"7"_s << u""_s;
        QTest::newRow("backspace") << u"1234B"_s << u"123"_s << u""_s;
        QTest::newRow("second operand shown") << u"5-12"_s << u"5"_s << u"12"_s;
        QTest::newRow("memory") << u"40P5+M="_s << u"45"_s << u""_s;
        QTest::newRow("all clear") << u"5+3A"_s << u"0"_s << u""_s;
        QTest::newRow("round half away") << u"5/2=R"_s << u"3"_s << u""_s;
        QTest::newRow("round negative half away") << u"0-5=/2=R"_s << u"-3"_s << u""_s;
        QTest::newRow("division by zero keeps A") << u"8/0="_s << u"Error"_s << u""_s;
    }
    void keys()
    {
        QFETCH(QString, keys);
        QFETCH(QString, a);
        QFETCH(QString, b);
        TFormCalclater calc;
        press(calc, keys);
        QCOMPARE(calc.A->text(), a);
        QCOMPARE(calc.registerB().DisplayText, b);
        if (a == u"Error") {
            QCOMPARE(calc.registerA().Value, 8.0);
            QVERIFY(calc.LbEqual->text().isEmpty());
            QTRY_COMPARE(calc.A->text(), u"8"_s);
        }
    }

    // 税 adds the tax of today's rate, rounded by the book's amount rounding,
    // as a plain number that "=" adds; 丸め rounds half away from zero whatever
    // the book's mode is.
    void taxAndRound_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("a");
        QTest::newRow("100 at 8%") << 0 << u"100Z"_s << u"8"_s << u"100"_s;
        QTest::newRow("with =") << 0 << u"100Z="_s << u""_s << u"108"_s;
        QTest::newRow("thousands, no separator") << 0 << u"20000Z="_s << u""_s << u"21600"_s;
        QTest::newRow("half away") << 0 << u"1234Z"_s << u"99"_s << u"1234"_s;
        QTest::newRow("toward zero") << 1 << u"1234Z"_s << u"98"_s << u"1234"_s;
        QTest::newRow("up") << 2 << u"1231Z"_s << u"99"_s << u"1231"_s;
        QTest::newRow("round ignores the mode") << 1 << u"17/2=R"_s << u""_s << u"9"_s;
    }
    void taxAndRound()
    {
        QFETCH(int, mode);
        QFETCH(QString, keys);
        QFETCH(QString, b);
        QFETCH(QString, a);
        JournalBook book;
        book.open();
        Database &db = book.dm->MainDatabase;
        db.exec(u"DELETE FROM ZeiList"_s);
        // 5% long ago, 8% since yesterday, 10% only from tomorrow.
        const QList<QPair<int, int>> rates{{-1000, 5}, {-1, 8}, {1, 10}};
        for (int i = 0; i < rates.size(); ++i) {
            Statement st(db, u"INSERT INTO ZeiList (DATANO, STARTDATE, PERCENT) VALUES (?, ?, ?)"_s);
            st.bind(1, i + 1);
            st.bind(2, QDate::currentDate().addDays(rates[i].first));
            st.bind(3, rates[i].second);
            st.exec();
        }
        QCOMPARE(GetTaxRate(QDate::currentDate()), 8.0);
        const uint8_t oldMode = TaxCalcMode;
        TaxCalcMode = uint8_t(mode);
        TFormCalclater calc;
        press(calc, keys);
        TaxCalcMode = oldMode;
        QCOMPARE(calc.registerB().DisplayText, b);
        QCOMPARE(calc.A->text(), a);
        book.close();
    }

    // Buttons act on the mouse press; the keypad keys press their buttons,
    // the digits of the main keyboard are not calculator keys.
    void buttonsAndKeypad()
    {
        TFormCalclater calc;
        calc.show();
        for (const char *name : {"B1", "B2", "Btasu"})
            QTest::mousePress(calc.findChild<QWidget *>(QLatin1String(name)), Qt::LeftButton);
        QTest::keyClick(&calc, Qt::Key_4);
        QTest::keyClick(&calc, Qt::Key_3, Qt::KeypadModifier);
        QCOMPARE(calc.B->text(), u"3"_s);
        QTest::keyClick(&calc, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(calc.A->text(), u"15"_s);
        QTest::keyClick(&calc, Qt::Key_Delete);
        QCOMPARE(calc.A->text(), u"0"_s);
    }

    // The display's menu: a number copied and pasted back; a text that is no
    // number is refused with its message and leaves the register alone.
    void clipboardOfTheDisplay()
    {
        DialogQueue dialogs;
        TFormCalclater calc;
        press(calc, u"1/4="_s);
        calc.CopyRegister(true);
        QCOMPARE(QApplication::clipboard()->text(), u"0.25"_s);
        QApplication::clipboard()->setText(u"1,5x"_s);
        dialogs.answer(mrOk, u"\"1,5x\"は数値表現ではありません！！"_s);
        calc.PasteRegister(true);
        QCOMPARE(calc.registerA().Value, 0.25);
        QApplication::clipboard()->setText(u"42.5"_s);
        calc.PasteRegister(false);
        QCOMPARE(calc.B->text(), u"42.5"_s);
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestCalculator)
#include "tst_calculator.moc"
