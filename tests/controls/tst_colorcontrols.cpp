#include <QtTest>
#include <QtWidgets>

#include "controls/BevelLabel.h"
#include "controls/ColorBevel.h"
#include "controls/ColorBtn.h"
#include "controls/ColorPageControl.h"
#include "controls/ColorTabControl.h"
#include "controls/ColorValue.h"
#include "controls/MyPanel.h"
#include "platform/ui/DialogScript.h"

// Colour values, the colour button, the boxed label and panel, the bevel and the
// coloured tab and page controls.
class TestColorControls : public QObject
{
    Q_OBJECT

    static bool near(const QColor &a, const QColor &b, int tolerance = 8)
    {
        return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
            && qAbs(a.blue() - b.blue()) <= tolerance;
    }

private slots:
    void colorValues_data()
    {
        QTest::addColumn<uint>("bgr");
        QTest::addColumn<QColor>("color");
        QTest::newRow("blue") << 0xFF0000u << QColor(0, 0, 255);
        QTest::newRow("red") << 0x0000FFu << QColor(255, 0, 0);
        QTest::newRow("down colour") << 0xBFFFBFu << QColor(0xBF, 0xFF, 0xBF);
        QTest::newRow("lilac") << 0xEBCFEBu << QColor(0xEB, 0xCF, 0xEB);
    }
    void colorValues()
    {
        QFETCH(uint, bgr);
        QFETCH(QColor, color);
        QCOMPARE(ColorValue::fromBgr(bgr), color);
        QCOMPARE(uint(ColorValue::toBgr(color)), bgr);
    }

    void lumaDarkens()
    {
        const QColor grey(200, 200, 200);
        const QColor darker = ColorValue::adjustLuma(grey, -25);
        QVERIFY(darker.lightness() < grey.lightness());
        QVERIFY(qAbs(grey.lightness() - darker.lightness() - 26) <= 1);
        QCOMPARE(ColorValue::adjustLuma(QColor(Qt::black), -25), QColor(Qt::black));
    }

    void colorButtonKinds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("modal");
        QTest::addColumn<bool>("isDefault");
        QTest::addColumn<bool>("isCancel");
        QTest::newRow("ok") << int(bkOK) << "OK" << int(mrOk) << true << false;
        QTest::newRow("cancel") << int(bkCancel) << "キャンセル" << int(mrCancel) << false << true;
        QTest::newRow("help") << int(bkHelp) << "ヘルプ(&H)" << int(mrNone) << false << false;
        QTest::newRow("yes") << int(bkYes) << "はい(&Y)" << int(mrYes) << true << false;
        QTest::newRow("no") << int(bkNo) << "いいえ(&N)" << int(mrNo) << false << true;
        QTest::newRow("close") << int(bkClose) << "閉じる(&C)" << int(mrNone) << false << false;
        QTest::newRow("abort") << int(bkAbort) << "中止" << int(mrAbort) << false << false;
        QTest::newRow("retry") << int(bkRetry) << "再試行(&R)" << int(mrRetry) << false << false;
        QTest::newRow("ignore") << int(bkIgnore) << "無視(&I)" << int(mrIgnore) << false << false;
        QTest::newRow("all") << int(bkAll) << "すべて(&A)" << int(mrAll) << false << false;
    }
    void colorButtonKinds()
    {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(int, modal);
        QFETCH(bool, isDefault);
        QFETCH(bool, isCancel);
        TColorBtn b;
        b.setKind(TBitBtnKind(kind));
        QCOMPARE(b.text(), caption);
        QCOMPARE(b.modalResult(), modal);
        QCOMPARE(b.isDefault(), isDefault);
        QCOMPARE(b.cancel(), isCancel);
        QCOMPARE(b.numGlyphs(), 2);
        QCOMPARE(int(b.kind()), kind);
        // Changing the result makes it a custom button again.
        b.setModalResult(99);
        QCOMPARE(b.kind(), bkCustom);
    }

    void colorButtonClosesItsDialog()
    {
        QDialog dialog;
        auto *ok = new TColorBtn(&dialog);
        ok->setKind(bkOK);
        auto *cancel = new TColorBtn(&dialog);
        cancel->setKind(bkCancel);
        cancel->move(0, 40);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(mrOk));
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(mrCancel));
    }

    // The owner's click handler runs before the dialog closes: it sees the
    // dialog still open, and an OK that finds the input wanting keeps it open.
    void ownersHandlerRunsBeforeTheDialogCloses()
    {
        QDialog dialog;
        auto *edit = new QLineEdit(&dialog);
        auto *ok = new TColorBtn(&dialog);
        ok->setKind(bkOK);
        ok->move(0, 40);
        QList<bool> openWhenHandled;
        QObject::connect(ok, &QAbstractButton::clicked, &dialog, [&] {
            openWhenHandled << dialog.isVisible();
            if (edit->text().isEmpty())
                ok->keepDialogOpen();
        });
        dialog.setResult(-1);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), -1);
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        edit->setFocus();
        QTest::keyClick(ok, Qt::Key_Space);   // the keyboard's click of the focused button
        QVERIFY(dialog.isVisible());
        edit->setText(QStringLiteral("x"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(mrOk));
        QCOMPARE(openWhenHandled, (QList<bool>{true, true, true}));

        // A click from code closes once the handlers have run, from the event loop.
        dialog.setResult(-1);
        dialog.show();
        ok->click();
        QCOMPARE(openWhenHandled.size(), 4);
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(mrOk));
    }

    void helpAndCloseButtons()
    {
        QWidget w;
        auto *help = new TColorBtn(&w);
        help->setKind(bkHelp);
        auto *close = new TColorBtn(&w);
        close->setKind(bkClose);
        close->move(0, 40);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        DialogScript::start();
        DialogScript::push({DialogScript::Kind::Any, mrOk, QString(), NoHelpText()});
        QTest::mouseClick(help, Qt::LeftButton);
        const QStringList failures = DialogScript::failures();
        const int pending = DialogScript::pending();
        DialogScript::stop();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
        QCOMPARE(pending, 0);
        QVERIFY(w.isVisible());
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!w.isVisible());
    }

    void colorButtonToggle()
    {
        QWidget w;
        auto *b = new TColorBtn(&w);
        b->resize(80, 25);
        b->setDownColor(ColorValue::fromBgr(0x00FFFF));
        b->setDownFontColor(ColorValue::fromBgr(0x0000FF));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        // A normal button never latches.
        b->SetDown(true);
        QVERIFY(!b->down());
        QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(!b->down());

        b->setButtonMode(bmToggle);
        bool downInClick = false;
        connect(b, &QAbstractButton::clicked, [&] { downInClick = b->down(); });
        QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(b->down());
        QVERIFY(downInClick);
        QCOMPARE(b->currentFaceColor(), QColor(Qt::yellow));
        QCOMPARE(b->currentCaptionColor(), QColor(Qt::red));
        QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(!b->down());
        QCOMPARE(b->currentCaptionColor(), QColor(Qt::black));
    }

    void colorButtonCaptionAlignment()
    {
        TColorBtn b;
        b.resize(100, 25);
        b.setText(QStringLiteral("保存"));
        b.setTextAlignment(taLeftJustify);
        QCOMPARE(b.captionRect().left(), 2);
        b.setTextAlignment(taRightJustify);
        QCOMPARE(b.captionRect().right(), 100 - 2 - 1);
    }

    void bevelLabelText()
    {
        TBevelLabel l(QStringLiteral("合計"));
        l.resize(100, 20);
        l.setColor(ColorValue::fromBgr(0x00FFFF));
        QCOMPARE(l.textRect(), QRect(1, 1, 98, 18));
        l.setBevelStlye(TBevelLabel::bsNone);
        l.setOffsetWidth(5);
        QCOMPARE(l.textRect(), QRect(5, 0, 90, 20));
        const QImage img = l.grab().toImage();
        QCOMPARE(img.pixelColor(0, 0), QColor(Qt::yellow));
        QCOMPARE(img.pixelColor(99, 19), QColor(Qt::yellow));
        l.setBevelWidth(0);
        QCOMPARE(l.bevelWidth(), 1);
        l.setBevelWidth(3);
        l.setBevelStlye(TBevelLabel::bsLowered);
        QCOMPARE(l.textRect(), QRect(8, 3, 84, 14));
    }

    void bevelLabelVerticalPlacement()
    {
        TBevelLabel l(QStringLiteral("X"));
        l.resize(60, 40);
        const int h = l.fontMetrics().height();
        l.setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        QCOMPARE(l.textRect().top(), 1 + (38 - h));
        l.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        QCOMPARE(l.textRect().top(), 1 + int(std::ceil((38 - h) / 2.0)));
    }

    void bevelLabelHotOnlyWhenEnabled()
    {
        TBevelLabel l(QStringLiteral("残高"));
        l.setHotTrack(true);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(&l, &enter);
        QCOMPARE(l.currentTextColor(), ColorValue::fromBgr(0xFF0000));
        l.setEnabled(false);
        QVERIFY(l.currentTextColor() != ColorValue::fromBgr(0xFF0000));
    }

    void panelMarginsAndColours()
    {
        TMyPanel panel;
        panel.resize(120, 80);
        panel.setColor(ColorValue::fromBgr(0x0000FF));
        panel.setInsideColor(ColorValue::fromBgr(0x00FF00));
        panel.setMarginLeft(10);
        panel.setMarginTop(10);
        auto *lay = new QVBoxLayout(&panel);
        lay->setContentsMargins(0, 0, 0, 0);
        auto *child = new QWidget(&panel);
        lay->addWidget(child);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        // Margin plus the one-pixel raised outer bevel.
        QCOMPARE(child->geometry().topLeft(), QPoint(11, 11));
        QCOMPARE(panel.innerRect(), QRect(11, 11, 108, 68));
        child->hide();
        const QImage img = panel.grab().toImage();
        QCOMPARE(img.pixelColor(5, 40), QColor(Qt::red));
        QCOMPARE(img.pixelColor(60, 40), QColor(Qt::green));
    }

    void panelTiles()
    {
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::white);
        picture.setPixelColor(1, 1, QColor(0x80, 0x80, 0x80));
        const QImage tinted = TMyPanel::makeTile(picture, QColor(0xFF, 0x00, 0xFF), true);
        QCOMPARE(tinted.pixelColor(0, 0), QColor(0xFF, 0x00, 0xFF));
        QCOMPARE(tinted.pixelColor(1, 1), QColor(0x80, 0x00, 0x80));
        QCOMPARE(TMyPanel::makeTile(picture, Qt::red, false).pixelColor(0, 0), QColor(Qt::white));

        TMyPanel panel;
        panel.setBitmap(picture);
        QVERIFY(!panel.outerTile().isNull() && !panel.innerTile().isNull());
        panel.setBitmap(QImage());
        QVERIFY(panel.outerTile().isNull() && panel.innerTile().isNull());
    }

    void bevelLines_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<QList<TColorBevel::Line>>("lines");
        QTest::newRow("top line") << int(TColorBevel::bsTopLine)
                                  << QList<TColorBevel::Line>{{QLine(0, 0, 19, 0), 1}, {QLine(0, 1, 19, 1), 2}};
        QTest::newRow("right line") << int(TColorBevel::bsRightLine)
                                    << QList<TColorBevel::Line>{{QLine(18, 0, 18, 9), 1}, {QLine(19, 0, 19, 9), 2}};
        QTest::newRow("spacer") << int(TColorBevel::bsSpacer) << QList<TColorBevel::Line>{};
    }
    void bevelLines()
    {
        QFETCH(int, shape);
        QFETCH(QList<TColorBevel::Line>, lines);
        QCOMPARE(TColorBevel::bevelLines(TColorBevel::TBevelShape(shape), QSize(20, 10)), lines);
    }

    void bevelFills()
    {
        TColorBevel bevel;
        bevel.resize(40, 100);
        bevel.setDrawingStyle(TColorBevel::pdsGradient);
        bevel.setGradientStartColor(Qt::white);
        bevel.setGradientEndColor(Qt::black);
        QImage img = bevel.grab().toImage();
        QVERIFY(near(img.pixelColor(20, 3), Qt::white, 20));
        QVERIFY(near(img.pixelColor(20, 96), Qt::black, 20));
        // The bevel lines go over the fill.
        QCOMPARE(img.pixelColor(0, 50).rgb(), ColorValue::system(ColorValue::System::BtnShadow).rgb());

        bevel.setDrawingStyle(TColorBevel::pdsNormal);
        bevel.setShape(TColorBevel::bsSpacer);
        bevel.setColor(Qt::cyan);
        img = bevel.grab().toImage();
        QCOMPARE(img.pixelColor(0, 0), QColor(Qt::cyan));
        QCOMPARE(img.pixelColor(39, 99), QColor(Qt::cyan));
    }

    void pageControlColours()
    {
        QWidget parent;
        auto *pc = new TColorPageControl(&parent);
        pc->resize(200, 150);
        auto *a = new QWidget;
        auto *b = new QWidget;
        QPalette pal = a->palette();
        pal.setColor(QPalette::Window, Qt::yellow);
        a->setPalette(pal);
        pal.setColor(QPalette::Window, Qt::cyan);
        b->setPalette(pal);
        pc->addTab(a, QStringLiteral("支出"));
        pc->addTab(b, QStringLiteral("収入"));
        QVERIFY(!pc->ownerDraw());

        // Tab style: the active page's colour; the owner may change it.
        QCOMPARE(pc->sheetEdgeColorNow(), QColor(Qt::yellow));
        connect(pc, &TColorPageControl::sheetEdgeColor, [](QColor &c) { c = Qt::red; });
        QCOMPARE(pc->sheetEdgeColorNow(), QColor(Qt::red));
        parent.resize(200, 150);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        const QImage img = pc->grab().toImage();
        QCOMPARE(img.pixelColor(2, 140), QColor(Qt::red));

        // Owner-drawn tabs ask the owner; a selected button is white.
        connect(pc, &TColorPageControl::tabColor, [b](QWidget *page, QColor &c) {
            if (page == b)
                c = Qt::magenta;
        });
        QCOMPARE(pc->tabColorFor(0), QColor(Qt::yellow));
        QCOMPARE(pc->tabColorFor(1), QColor(Qt::magenta));
        pc->setTabStyle(tsButtons);
        QCOMPARE(pc->tabColorFor(0), QColor(Qt::white));
        QCOMPARE(pc->tabColorFor(1), QColor(Qt::magenta));
        pc->setOwnerDraw(true);
        pc->grab();
    }

    void tabControlBodyAndHover()
    {
        TColorTabControl tc;
        tc.resize(200, 120);
        tc.addTab(QStringLiteral("口座"));
        tc.addTab(QStringLiteral("予約"));
        tc.setTabColor(ColorValue::fromBgr(0xC0FFC0));
        tc.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tc));
        const QImage img = tc.grab().toImage();
        const QRect body = tc.bodyRect();
        QCOMPARE(img.pixelColor(body.center()), ColorValue::fromBgr(0xC0FFC0));
        QVERIFY(tc.contentsRect().top() > tc.tabBar()->geometry().bottom());

        TColorTabBar *bar = tc.tabBar();
        QTest::mouseMove(bar, bar->tabRect(1).center());
        QTRY_COMPARE(bar->hoveredTab(), 1);
        QCOMPARE(bar->tabTextColor(1), ColorValue::fromBgr(0xFF0000));
        QVERIFY(bar->tabTextColor(0) != ColorValue::fromBgr(0xFF0000));
        QCOMPARE(bar->tabOffset(0), QPoint(4, 0));
        QCOMPARE(bar->tabOffset(1), QPoint(0, 0));
    }
};


QTEST_MAIN(TestColorControls)
#include "tst_colorcontrols.moc"
