#include <QtTest>
#include <QtWidgets>

#include "controls/ColorValue.h"
#include "controls/FloatEdit.h"
#include "controls/FloatSpinEdit.h"
#include "controls/IntegerEdit.h"
#include "controls/TimerSpeedButton.h"

// The numeric edit boxes and the real-number spin edit: which text they take, which
// value they give, and when they tell their owner.
class TestNumericEdit : public QObject
{
    Q_OBJECT

    // A window with the box under test and a second box to leave it for.
    template <typename Edit>
    struct Form
    {
        QWidget window;
        Edit *edit;
        QLineEdit *other;
        int fired = 0;
        Form()
        {
            auto *lay = new QVBoxLayout(&window);
            edit = new Edit(&window);
            other = new QLineEdit(&window);
            lay->addWidget(edit);
            lay->addWidget(other);
            window.show();
            window.activateWindow();
            edit->setFocus();
        }
    };

    static QColor textColor(const QLineEdit *e) { return e->palette().color(QPalette::Text); }

private slots:
    void integerTypingAndEnter()
    {
        Form<TIntegerEdit> f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        QCOMPARE(f.edit->text(), QStringLiteral("0"));
        QVERIFY(!f.edit->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(f.edit->alignment() & Qt::AlignRight);
        connect(f.edit, &TNumberEdit::valueSet, [&f] { ++f.fired; });
        f.edit->clear();
        QTest::keyClicks(f.edit, QStringLiteral("12a-"));
        QCOMPARE(f.edit->text(), QStringLiteral("12"));
        QCOMPARE(textColor(f.edit), ColorValue::fromBgr(0xFF0000));
        QCOMPARE(f.fired, 0);
        QTest::keyClick(f.edit, Qt::Key_Return);
        QCOMPARE(textColor(f.edit), QColor(Qt::black));
        QCOMPARE(f.edit->storedValue(), 12);
        QCOMPARE(f.fired, 1);
    }

    void floatRefusedTextBringsPreviousValueBack()
    {
        Form<TFloatEdit> f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.edit->SetValue(Currency::fromString(QStringLiteral("250.5")));
        connect(f.edit, &TNumberEdit::valueSet, [&f] { ++f.fired; });
        f.edit->clear();
        QTest::keyClicks(f.edit, QStringLiteral("1-2"));
        QCOMPARE(f.edit->text(), QStringLiteral("1-2"));
        QTest::keyClick(f.edit, Qt::Key_Return);
        QCOMPARE(f.edit->text(), QStringLiteral("250.5"));
        QCOMPARE(f.fired, 1);
    }

    void floatAccept_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value"); // stored afterwards; the previous value is 7
        QTest::newRow("decimal") << "12.5" << "12.5";
        QTest::newRow("negative") << "-3" << "-3";
        QTest::newRow("blanks around") << " 40 " << "40";
        QTest::newRow("empty is zero") << "" << "0";
        QTest::newRow("lone point") << "." << "7";
        QTest::newRow("two points") << "1.2.3" << "7";
        QTest::newRow("minus inside") << "1-2" << "7";
        QTest::newRow("too large") << "123456789012345" << "7";
    }
    void floatAccept()
    {
        QFETCH(QString, text);
        QFETCH(QString, value);
        TFloatEdit e;
        e.SetValue(Currency::fromInt(7));
        e.setText(text);
        e.acceptText();
        QCOMPARE(e.storedValue(), Currency::fromString(value));
    }

    void integerAccept_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // previous value 7
        QTest::newRow("digits") << "305" << 305;
        QTest::newRow("negative from code") << "-5" << -5;
        QTest::newRow("decimal is no integer") << "2.5" << 7;
        QTest::newRow("beyond 32 bits") << "2147483648" << 7;
        QTest::newRow("full-width digits") << "１２" << 7;
        QTest::newRow("empty is zero") << "" << 0;
    }
    void integerAccept()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        TIntegerEdit e;
        e.SetValue(7);
        e.setText(text);
        e.acceptText();
        QCOMPARE(e.storedValue(), value);
    }

    void leavingStoresReformatsAndFiresTwice()
    {
        Form<TIntegerEdit> f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.edit->SetValue(55);
        connect(f.edit, &TNumberEdit::valueSet, [&f] { ++f.fired; });
        f.edit->selectAll();
        QTest::keyClick(f.edit, Qt::Key_Backspace);
        QCOMPARE(textColor(f.edit), ColorValue::fromBgr(0xFF0000));
        f.other->setFocus();
        QTRY_VERIFY(f.other->hasFocus());
        QCOMPARE(f.edit->text(), QStringLiteral("0"));
        QCOMPARE(f.edit->storedValue(), 0);
        QCOMPARE(f.fired, 2);
        QCOMPARE(textColor(f.edit), QColor(Qt::black));
    }

    void getValueReadsTextOrRestores()
    {
        TFloatEdit e;
        e.SetValue(Currency::fromInt(3));
        int fired = 0;
        connect(&e, &TNumberEdit::valueSet, [&fired] { ++fired; });
        e.setText(QStringLiteral("8.25"));
        QCOMPARE(e.GetValue(), Currency::fromString(QStringLiteral("8.25")));
        QCOMPARE(fired, 0);
        e.setText(QStringLiteral("abc"));
        QCOMPARE(e.GetValue(), Currency::fromString(QStringLiteral("8.25")));
        QCOMPARE(e.text(), QStringLiteral("8.25"));
        QCOMPARE(fired, 1);
    }

    void clickSelectsWholeText()
    {
        Form<TIntegerEdit> f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.edit->SetValue(1234);
        f.other->setFocus();
        QTRY_VERIFY(f.other->hasFocus());
        QTest::mouseClick(f.edit, Qt::LeftButton, {}, QPoint(5, f.edit->height() / 2));
        QCOMPARE(f.edit->selectedText(), QStringLiteral("1234"));
    }

    // Entering by keyboard selects the whole text only with AutoSelect.
    void keyboardEntrySelectsWithAutoSelect_data()
    {
        QTest::addColumn<bool>("spin");
        QTest::addColumn<bool>("autoSelect");
        QTest::newRow("number, on") << false << true;
        QTest::newRow("number, off") << false << false;
        QTest::newRow("spin, on") << true << true;
        QTest::newRow("spin, off") << true << false;
    }
    void keyboardEntrySelectsWithAutoSelect()
    {
        QFETCH(bool, spin);
        QFETCH(bool, autoSelect);
        auto check = [autoSelect](auto &f) {
            QVERIFY(QTest::qWaitForWindowActive(&f.window));
            f.edit->setAutoSelect(autoSelect);
            f.edit->setText(QStringLiteral("1234"));
            f.other->setFocus();
            QTRY_VERIFY(f.other->hasFocus());
            f.edit->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(f.edit->hasFocus());
            QCOMPARE(f.edit->selectedText(), autoSelect ? QStringLiteral("1234") : QString());
        };
        if (spin) {
            Form<TFloatSpinEdit> f;
            check(f);
        } else {
            Form<TIntegerEdit> f;
            check(f);
        }
    }

    // Cut and Paste of the context menu reach the spin edit only while its
    // editor is enabled.
    void spinContextMenuPaste_data()
    {
        QTest::addColumn<bool>("editorEnabled");
        QTest::newRow("editor on") << true;
        QTest::newRow("editor off") << false;
    }
    void spinContextMenuPaste()
    {
        QFETCH(bool, editorEnabled);
        TFloatSpinEdit e;
        e.setText(QStringLiteral("12"));
        e.selectAll();
        e.setEditorEnabled(editorEnabled);
        QGuiApplication::clipboard()->setText(QStringLiteral("34"));
        std::unique_ptr<QMenu> menu(e.createContextMenu());
        QAction *paste = nullptr, *cut = nullptr;
        for (QAction *a : menu->actions()) {
            const QString caption = a->text().section(QLatin1Char('\t'), 0, 0);
            if (caption == QLineEdit::tr("&Paste"))
                paste = a;
            else if (caption == QLineEdit::tr("Cu&t"))
                cut = a;
        }
        QVERIFY(paste && cut);
        QCOMPARE(cut->isEnabled(), editorEnabled);
        QCOMPARE(paste->isEnabled(), editorEnabled);
        paste->trigger();
        QCOMPARE(e.text(), editorEnabled ? QStringLiteral("34") : QStringLiteral("12"));
    }

    void spinEnterClamps_data()
    {
        QTest::addColumn<double>("minValue");
        QTest::addColumn<double>("maxValue");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no range") << 0.0 << 0.0 << "70" << "70";
        QTest::newRow("above max") << 5.0 << 50.0 << "70" << "50";
        QTest::newRow("below min") << 5.0 << 50.0 << "3" << "5";
        QTest::newRow("inside") << 5.0 << 50.0 << "20.5" << "20.5";
        QTest::newRow("no number reads as min") << 5.0 << 50.0 << "x" << "5";
    }
    void spinEnterClamps()
    {
        QFETCH(double, minValue);
        QFETCH(double, maxValue);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TFloatSpinEdit e;
        e.setMinValue(minValue);
        e.setMaxValue(maxValue);
        int fired = 0;
        connect(&e, &TFloatSpinEdit::changeValue, [&fired] { ++fired; });
        e.setText(typed);
        QTest::keyClick(&e, Qt::Key_Return);
        QCOMPARE(e.text(), shown);
        QCOMPARE(fired, 1);
    }

    void spinSteps()
    {
        TFloatSpinEdit e;
        QCOMPARE(e.GetValue(), 0.0);
        e.setIncrement(0.1);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(&e, Qt::Key_Up);
        QCOMPARE(e.text(), QStringLiteral("0.3"));
        e.setMinValue(0);
        e.setMaxValue(0.35);
        QTest::keyClick(&e, Qt::Key_Up);
        QCOMPARE(e.text(), QStringLiteral("0.35"));
        QTest::keyClick(&e, Qt::Key_Down);
        QCOMPARE(e.text(), QStringLiteral("0.25"));
        e.setReadOnly(true);
        e.UpClick();
        QCOMPARE(e.text(), QStringLiteral("0.25"));

        // The spin button's own buttons step too.
        e.setReadOnly(false);
        e.button()->upButton()->Click();
        QCOMPARE(e.text(), QStringLiteral("0.35"));
        e.button()->downButton()->Click();
        QCOMPARE(e.text(), QStringLiteral("0.25"));
    }

    void spinTyping()
    {
        TFloatSpinEdit e;
        e.clear();
        QTest::keyClicks(&e, QStringLiteral("-1a2.5e"));
        QCOMPARE(e.text(), QStringLiteral("-12.5"));
        e.setEditorEnabled(false);
        QTest::keyClicks(&e, QStringLiteral("9"));
        QTest::keyClick(&e, Qt::Key_Backspace);
        QCOMPARE(e.text(), QStringLiteral("-12.5"));
    }

    void spinLeavingReplacesBadText()
    {
        Form<TFloatSpinEdit> f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.edit->setMinValue(1);
        f.edit->setMaxValue(9);
        f.edit->setText(QStringLiteral("12"));
        f.other->setFocus();
        QTRY_VERIFY(f.other->hasFocus());
        QCOMPARE(f.edit->text(), QStringLiteral("9"));
        f.edit->setText(QStringLiteral("abc"));
        f.edit->setFocus();
        QTRY_VERIFY(f.edit->hasFocus());
        f.other->setFocus();
        QTRY_VERIFY(f.other->hasFocus());
        QCOMPARE(f.edit->text(), QStringLiteral("1"));
    }

    void spinButtonGeometry()
    {
        QRect up, down;
        TSpinButton::calcGeometry(QSize(15, 17), &up, &down);
        QCOMPARE(up, QRect(0, 0, 15, 8));
        QCOMPARE(down, QRect(0, 7, 15, 10));
        TSpinButton::calcGeometry(QSize(10, 20), &up, &down);
        QCOMPARE(up.width(), 15);
    }
};

QTEST_MAIN(TestNumericEdit)
#include "tst_numericedit.moc"
