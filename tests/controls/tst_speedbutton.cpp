#include <QtTest>
#include <QtWidgets>

#include "controls/ColorUpDown.h"
#include "controls/ColorValue.h"
#include "controls/FrameBtn.h"
#include "controls/MySpeedButton.h"
#include "controls/ShapeBtn.h"
#include "controls/TimerSpeedButton.h"

// Buttons that latch in groups, their glyphs, the shaped and framed looks and the
// repeating step buttons.
class TestSpeedButton : public QObject
{
    Q_OBJECT

    struct Group
    {
        QWidget parent;
        TMySpeedButton *b[3];
        int clicks[3] = {0, 0, 0};
        Group()
        {
            parent.resize(200, 50);
            for (int i = 0; i < 3; ++i) {
                b[i] = new TMySpeedButton(&parent);
                b[i]->setGeometry(i * 30, 0, 23, 22);
                b[i]->setGroupIndex(1);
                QObject::connect(b[i], &QAbstractButton::clicked, [this, i] { ++clicks[i]; });
            }
            parent.show();
        }
    };

private slots:
    void groupLatchesExclusively()
    {
        Group g;
        QVERIFY(QTest::qWaitForWindowExposed(&g.parent));
        QTest::mouseClick(g.b[0], Qt::LeftButton);
        QVERIFY(g.b[0]->down());
        QCOMPARE(g.b[0]->state(), TMySpeedButton::bsExclusive);
        QTest::mouseClick(g.b[1], Qt::LeftButton);
        QVERIFY(g.b[1]->down());
        QVERIFY(!g.b[0]->down());
        QCOMPARE(g.b[0]->state(), TMySpeedButton::bsUp);
        g.b[2]->SetDown(true);
        QVERIFY(!g.b[1]->down());
        QCOMPARE(g.clicks[0] + g.clicks[1] + g.clicks[2], 2);

        // A button outside any group never latches.
        TMySpeedButton loose(&g.parent);
        loose.SetDown(true);
        QVERIFY(!loose.down());
        QVERIFY(g.b[2]->down());
    }

    void allowAllUpIsSharedByTheGroup()
    {
        Group g;
        QVERIFY(QTest::qWaitForWindowExposed(&g.parent));
        g.b[0]->SetDown(true);
        // Without AllowAllUp a second click keeps the latch but still clicks.
        QTest::mouseClick(g.b[0], Qt::LeftButton);
        QVERIFY(g.b[0]->down());
        QCOMPARE(g.clicks[0], 1);
        g.b[0]->SetDown(false);
        QVERIFY(g.b[0]->down());

        g.b[2]->setAllowAllUp(true);
        QVERIFY(g.b[0]->allowAllUp());
        QTest::mouseClick(g.b[0], Qt::LeftButton);
        QVERIFY(!g.b[0]->down());
        QCOMPARE(g.clicks[0], 2);
    }

    void releaseOutsideKeepsStateAndDoesNotClick()
    {
        Group g;
        QVERIFY(QTest::qWaitForWindowExposed(&g.parent));
        QTest::mousePress(g.b[0], Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(g.b[0]->state(), TMySpeedButton::bsDown);
        QTest::mouseMove(g.b[0], QPoint(100, 5));
        QTest::mouseRelease(g.b[0], Qt::LeftButton, {}, QPoint(100, 5));
        QVERIFY(!g.b[0]->down());
        QCOMPARE(g.b[0]->state(), TMySpeedButton::bsUp);
        QCOMPARE(g.clicks[0], 0);
    }

    void acceleratorAndDisabledState()
    {
        Group g;
        g.b[1]->setText(QStringLiteral("月(&M)"));
        QVERIFY(QTest::qWaitForWindowExposed(&g.parent));
        g.parent.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&g.parent));
        QTest::keyClick(&g.parent, Qt::Key_M, Qt::AltModifier);
        QCOMPARE(g.clicks[1], 1);

        g.b[0]->SetDown(true);
        g.b[0]->setEnabled(false);
        g.b[0]->grab();
        QCOMPARE(g.b[0]->state(), TMySpeedButton::bsDisabled);
        QTest::mouseClick(g.b[0], Qt::LeftButton);
        QCOMPARE(g.clicks[0], 0);
        g.b[0]->setEnabled(true);
        g.b[0]->grab();
        QCOMPARE(g.b[0]->state(), TMySpeedButton::bsExclusive);
    }

    void latchedContentMovesOnePixel()
    {
        QWidget parent;
        TMySpeedButton b(&parent);
        b.setGroupIndex(1);
        QImage img(8, 8, QImage::Format_RGB32);
        img.fill(Qt::red);
        img.setPixelColor(0, 7, Qt::white);
        b.setGlyph(img);
        const TGlyphLayout l = TButtonGlyph::calcLayout(b.rect().adjusted(1, 1, -1, -1), QSize(8, 8), QSize(),
                                                        blGlyphLeft, -1, 4, false, QPoint());
        QCOMPARE(b.grab().toImage().pixelColor(l.glyphPos), QColor(Qt::red));
        b.SetDown(true);
        const QImage latched = b.grab().toImage();
        QCOMPARE(latched.pixelColor(l.glyphPos), ColorValue::fromBgr(0xBFFFBF));
        QCOMPARE(latched.pixelColor(l.glyphPos + QPoint(1, 1)), QColor(Qt::red));
    }

    void numGlyphsFromBitmap_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("expected");
        QTest::newRow("four images") << QSize(64, 16) << 4;
        QTest::newRow("six images is one") << QSize(96, 16) << 1;
        QTest::newRow("two images") << QSize(32, 16) << 2;
        QTest::newRow("not a multiple keeps count") << QSize(20, 16) << 3;
        QTest::newRow("empty bitmap keeps count") << QSize(0, 0) << 3;
        QTest::newRow("zero height keeps count") << QSize(16, 0) << 3;
    }
    void numGlyphsFromBitmap()
    {
        QFETCH(QSize, size);
        QFETCH(int, expected);
        TMySpeedButton b;
        b.setNumGlyphs(3);
        QImage img;
        if (!size.isEmpty()) {
            img = QImage(size, QImage::Format_RGB32);
            img.fill(Qt::red);
        }
        b.setGlyph(img);
        QCOMPARE(b.numGlyphs(), expected);
        b.grab(); // painting an empty or odd glyph must not fail
    }

    void glyphImagesAreSharedBySize()
    {
        const int before = TGlyphCache::listCount();
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(Qt::blue);
        img.setPixelColor(0, 15, Qt::white); // transparent colour
        {
            TMySpeedButton a, b;
            a.setGlyph(img);
            b.setGlyph(img);
            const QPixmap pa = a.buttonGlyph().image(TButtonGlyph::Up);
            b.buttonGlyph().image(TButtonGlyph::Up);
            QCOMPARE(TGlyphCache::listCount(), before + 1);
            // The bottom-left colour is see-through, the rest is the picture.
            const QImage up = pa.toImage();
            QCOMPARE(qAlpha(up.pixel(0, 15)), 0);
            QCOMPARE(up.pixelColor(5, 5), QColor(Qt::blue));
            // Fewer than three images: pressed is the up image.
            QVERIFY(a.buttonGlyph().image(TButtonGlyph::Pressed).toImage() == up);
        }
        QCOMPARE(TGlyphCache::listCount(), before);
    }

    void layout_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<QSize>("text");
        QTest::addColumn<QPoint>("glyph");
        QTest::addColumn<QPoint>("textAt");
        // Client 100 x 30, glyph 16 x 16, caption 40 x 14.
        QTest::newRow("centred left") << int(blGlyphLeft) << -1 << 4 << QSize(40, 14) << QPoint(20, 7) << QPoint(40, 8);
        QTest::newRow("margin given") << int(blGlyphLeft) << 2 << 4 << QSize(40, 14) << QPoint(2, 7) << QPoint(22, 8);
        QTest::newRow("spread evenly") << int(blGlyphLeft) << -1 << -1 << QSize(40, 14) << QPoint(14, 7) << QPoint(44, 8);
        QTest::newRow("spacing spreads") << int(blGlyphLeft) << 2 << -1 << QSize(40, 14) << QPoint(2, 7) << QPoint(39, 8);
        QTest::newRow("right") << int(blGlyphRight) << 2 << 4 << QSize(40, 14) << QPoint(82, 7) << QPoint(38, 8);
        QTest::newRow("no caption no spacing") << int(blGlyphLeft) << -1 << 4 << QSize(0, 0) << QPoint(42, 7) << QPoint(58, 15);
        QTest::newRow("top") << int(blGlyphTop) << 1 << 2 << QSize(40, 10) << QPoint(42, 1) << QPoint(30, 19);
    }
    void layout()
    {
        QFETCH(int, layout);
        QFETCH(int, margin);
        QFETCH(int, spacing);
        QFETCH(QSize, text);
        QFETCH(QPoint, glyph);
        QFETCH(QPoint, textAt);
        const TGlyphLayout l = TButtonGlyph::calcLayout(QRect(0, 0, 100, 30), QSize(16, 16), text,
                                                        TButtonLayout(layout), margin, spacing, false, QPoint());
        QCOMPARE(l.glyphPos, glyph);
        QCOMPARE(l.textRect.topLeft(), textAt);
    }

    void rightToLeftSwapsSides()
    {
        const TGlyphLayout l = TButtonGlyph::calcLayout(QRect(0, 0, 100, 30), QSize(16, 16), QSize(40, 14),
                                                        blGlyphLeft, 2, 4, true, QPoint(1, 1));
        QCOMPARE(l.glyphPos, QPoint(83, 8));
    }

    void faceColours()
    {
        QWidget parent;
        TMySpeedButton b(&parent);
        b.setGroupIndex(3);
        b.setColor(ColorValue::fromBgr(0x00FFFF));
        QCOMPARE(b.grab().toImage().pixelColor(10, 10), QColor(Qt::yellow));
        b.SetDown(true);
        QCOMPARE(b.grab().toImage().pixelColor(10, 10), ColorValue::fromBgr(0xBFFFBF));
    }

    void shapeLayers_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QRect>("bounds"); // x1, y1, x2, y2 packed as a rect's edges
        QTest::addColumn<int>("corner");
        QTest::newRow("round shadow") << int(stRoundRect) << 1 << QRect(QPoint(1, 1), QPoint(79, 39)) << 25;
        QTest::newRow("round face") << int(stRoundRect) << 0 << QRect(QPoint(0, 0), QPoint(78, 38)) << 25;
        QTest::newRow("circle face") << int(stCircle) << 0 << QRect(QPoint(20, 0), QPoint(58, 38)) << 0;
        QTest::newRow("rectangle one wider") << int(stRectangle) << 0 << QRect(QPoint(0, 0), QPoint(79, 38)) << 0;
    }
    void shapeLayers()
    {
        QFETCH(int, shape);
        QFETCH(int, offset);
        QFETCH(QRect, bounds);
        QFETCH(int, corner);
        TShapeBtn b;
        QCOMPARE(b.size(), QSize(80, 40));
        b.setShape(TShapeType(shape));
        const TShapeBtn::Layer l = b.layerAt(offset);
        QCOMPARE(QRect(QPoint(l.x1, l.y1), QPoint(l.x2, l.y2)), bounds);
        QCOMPARE(l.corner, corner);
        b.grab();
    }

    void shapeRoundRFloor()
    {
        TShapeBtn b;
        b.setRoundR(0.5);
        QCOMPARE(b.roundR(), 1.0);
    }

    void lightOnShowsPressedWithoutLatching()
    {
        TShapeBtn b;
        ILigthOnOff *light = qobject_cast<ILigthOnOff *>(&b);
        QVERIFY(light);
        light->LightOn();
        QVERIFY(!b.down());
        QCOMPARE(b.state(), TMySpeedButton::bsDown);
        QVERIFY(b.drawnPressed());
        light->LightOff();
        QCOMPARE(b.state(), TMySpeedButton::bsUp);
        QVERIFY(!b.drawnPressed());
    }

    void hotCaptionColour()
    {
        QWidget parent;
        TShapeBtn s(&parent);
        TFrameBtn f(&parent);
        for (TMySpeedButton *b : {static_cast<TMySpeedButton *>(&s), static_cast<TMySpeedButton *>(&f)}) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QCoreApplication::sendEvent(b, &enter);
            QVERIFY(b->mouseInControl());
        }
        QCOMPARE(s.currentCaptionColor(), ColorValue::fromBgr(0xFF0000));
        QCOMPARE(f.currentCaptionColor(), QColor(Qt::blue));
        // A disabled button never turns hot.
        TShapeBtn off(&parent);
        off.setEnabled(false);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(&off, &enter);
        QVERIFY(!off.mouseInControl());
    }

    void flatFrameButtonShowsBevelOnlyUnderMouse()
    {
        QWidget parent;
        parent.setAutoFillBackground(true);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, ColorValue::fromBgr(0x00FF00));
        parent.setPalette(pal);
        TFrameBtn b(&parent);
        b.resize(60, 30);
        b.setFlat(true);
        QCOMPARE(b.grab().toImage().pixelColor(0, 5), QColor(Qt::green));
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(&b, &enter);
        const QImage hot = b.grab().toImage();
        QCOMPARE(hot.pixelColor(0, 5), QColor(Qt::white));
        QCOMPARE(hot.pixelColor(30, 15), QColor(Qt::green));
    }

    void repeatButtonTiming()
    {
        QWidget parent;
        parent.resize(100, 50);
        auto *b = new TTimerSpeedButton(&parent);
        b->setGeometry(0, 0, 23, 22);
        int clicks = 0;
        connect(b, &QAbstractButton::clicked, [&clicks] { ++clicks; });
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicks, 0);
        QVERIFY(b->repeatTimer() && b->repeatTimer()->isActive());
        QCOMPARE(b->repeatTimer()->interval(), TTimerSpeedButton::FirstDelay);
        b->repeatTick();
        QCOMPARE(clicks, 1);
        QCOMPARE(b->repeatTimer()->interval(), TTimerSpeedButton::RepeatDelay);
        // Off the button the repeats pause, back on they resume.
        QTest::mouseMove(b, QPoint(60, 5));
        b->repeatTick();
        QCOMPARE(clicks, 1);
        QTest::mouseMove(b, QPoint(5, 5));
        b->repeatTick();
        QCOMPARE(clicks, 2);
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicks, 3);
        QVERIFY(!b->repeatTimer()->isActive());

        // The real timer repeats while held and stops on release.
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(clicks >= 5);
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
        const int after = clicks;
        QVERIFY(!b->repeatTimer()->isActive());
        QTest::qWait(0);
        QCOMPARE(clicks, after);
    }

    void upDownGeometry_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("up");
        QTest::addColumn<QRect>("down");
        QTest::newRow("vertical odd") << int(udVertical) << QSize(20, 25) << QSize(20, 25) << QRect(0, 0, 20, 12) << QRect(0, 13, 20, 12);
        QTest::newRow("vertical narrow") << int(udVertical) << QSize(10, 20) << QSize(15, 20) << QRect(0, 0, 15, 10) << QRect(0, 10, 15, 10);
        QTest::newRow("horizontal") << int(udHorizontal) << QSize(41, 10) << QSize(41, 15) << QRect(21, 0, 20, 15) << QRect(0, 0, 20, 15);
    }
    void upDownGeometry()
    {
        QFETCH(int, orientation);
        QFETCH(QSize, requested);
        QFETCH(QSize, size);
        QFETCH(QRect, up);
        QFETCH(QRect, down);
        const auto g = TColorUpDown::calcGeometry(TUDOrientation(orientation), requested);
        QCOMPARE(g.size, size);
        QCOMPARE(g.upRect, up);
        QCOMPARE(g.downRect, down);

        TColorUpDown pair;
        pair.setOrientation(TUDOrientation(orientation));
        pair.resize(requested);
        pair.show();
        QCOMPARE(pair.size(), size);
        QCOMPARE(pair.upButton()->geometry(), up);
        QCOMPARE(pair.downButton()->geometry(), down);
    }

    void upDownReportsButtonAndKeys()
    {
        QWidget parent;
        auto *pair = new TColorUpDown(&parent);
        QCOMPARE(pair->downColor(), ColorValue::fromBgr(0xEBCFEB));
        QCOMPARE(pair->upButton()->downColor(), ColorValue::fromBgr(0xEBCFEB));
        QList<TUDBtnType> got;
        connect(pair, &TColorUpDown::clicked, [&got](TUDBtnType t) { got << t; });
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QTest::mouseClick(pair->upButton(), Qt::LeftButton);
        QTest::mouseClick(pair->downButton(), Qt::LeftButton);
        QTest::keyClick(pair, Qt::Key_Up);
        QTest::keyClick(pair, Qt::Key_Down);
        QTest::keyClick(pair, Qt::Key_Space);
        QCOMPARE(got, (QList<TUDBtnType>{btNext, btPrev, btNext, btPrev, btPrev}));
        QCOMPARE(pair->focusedButton(), pair->downButton());
    }
};

QTEST_MAIN(TestSpeedButton)
#include "tst_speedbutton.moc"
