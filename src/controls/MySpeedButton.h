#pragma once

#include <functional>

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRect>

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// Where the glyph and the caption of a button go inside its client area.
struct TGlyphLayout
{
    QPoint glyphPos;
    QRect textRect;
};

// One shared image list per glyph size. Slots are reused after release, and a list
// disappears from the cache once its last image is released, so buttons of one
// size share their pixmaps without leaking them.
class TGlyphList
{
public:
    explicit TGlyphList(QSize size) : m_size(size) {}
    QSize size() const { return m_size; }
    int add(const QPixmap &image); // index of the first free slot
    void remove(int index);
    QPixmap image(int index) const;
    int count() const { return m_count; }

private:
    QSize m_size;
    QList<QPixmap> m_images;
    QList<bool> m_used;
    int m_count = 0;
};

class TGlyphCache
{
public:
    static TGlyphList *acquire(QSize size);
    // Drops the list from the cache when it holds no image any more.
    static void release(TGlyphList *list);
    static int listCount();
};

// The glyph of one button: up to four images side by side (up, disabled, pressed,
// latched), built per state on demand and kept in the shared cache.
class TButtonGlyph
{
public:
    enum State { Up = 0, Disabled = 1, Pressed = 2, Latched = 3 };

    TButtonGlyph() = default;
    ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph &) = delete;
    TButtonGlyph &operator=(const TButtonGlyph &) = delete;

    // Copies the bitmap, takes its bottom-left pixel as the transparent colour and,
    // when its width is a whole multiple of its height, the number of images.
    void setGlyph(const QImage &bitmap);
    QImage glyph() const { return m_original; }
    int numGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int value);
    QColor transparentColor() const { return m_transparentColor; }
    // Size of one image; empty without a bitmap.
    QSize glyphSize() const;
    bool isEmpty() const { return glyphSize().isEmpty(); }
    // The image for a state, built on first use.
    QPixmap image(State state);
    // Forgets the built images (colours or bitmap changed).
    void invalidate();

    static TGlyphLayout calcLayout(const QRect &client, QSize glyph, QSize text, TButtonLayout layout,
                                   int margin, int spacing, bool rightToLeft, QPoint offset);

    std::function<void()> onChange;

private:
    QPixmap buildImage(State state) const;

    QImage m_original;
    QColor m_transparentColor = QColor(0x80, 0x80, 0x00); // $008080 before any bitmap
    int m_numGlyphs = 1;
    int m_indexes[4] = {-1, -1, -1, -1};
    TGlyphList *m_list = nullptr;
};

// The program's graphic push button: latches down in a group like a tool button
// and paints its face in its own colours. It never takes the keyboard focus.
class TMySpeedButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum ButtonState { bsUp, bsDisabled, bsDown, bsExclusive }; // bsDown = pressed, bsExclusive = latched

    explicit TMySpeedButton(QWidget *parent = nullptr);
    ~TMySpeedButton() override;

    bool allowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool value);
    int groupIndex() const { return m_groupIndex; }
    void setGroupIndex(int value);
    // Latched state (QAbstractButton::isDown() is the transient pressed look).
    bool down() const { return m_down; }
    virtual void SetDown(bool value);

    bool flat() const { return m_flat; }
    void setFlat(bool value);
    QImage glyph() const { return m_glyph.glyph(); }
    void setGlyph(const QImage &bitmap);
    int numGlyphs() const { return m_glyph.numGlyphs(); }
    void setNumGlyphs(int value);
    TButtonLayout buttonLayout() const { return m_layout; }
    void setButtonLayout(TButtonLayout value);
    int margin() const { return m_margin; }
    void setMargin(int value); // below -1 is ignored
    int spacing() const { return m_spacing; }
    void setSpacing(int value);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool value);
    QColor color() const { return m_color; }
    void setColor(const QColor &value); // also stops following the parent's colour
    // With parentColor the released face takes the parent's background colour.
    bool parentColor() const { return m_parentColor; }
    void setParentColor(bool value);
    // The released face colour in use: the parent's background or color().
    QColor faceColor() const;
    QColor downColor() const { return m_downColor; }
    void setDownColor(const QColor &value);
    QFont downFont() const { return m_downFont; }
    void setDownFont(const QFont &value);
    int captionOffX() const { return m_captionOffX; }
    void setCaptionOffX(int value);
    int captionOffY() const { return m_captionOffY; }
    void setCaptionOffY(int value);
    bool useXPStyle() const { return m_useXPStyle; }
    void setUseXPStyle(bool value);
    int lineWidth() const { return m_lineWidth; }
    void setLineWidth(int value);

    ButtonState state() const { return m_state; }
    bool mouseInControl() const { return m_mouseInControl; }
    bool tracking() const { return m_dragging; }
    TButtonGlyph &buttonGlyph() { return m_glyph; }

    // Fires the click as a release inside or the accelerator does.
    virtual void Click();

    QSize sizeHint() const override;

signals:
    void downChanged(bool down);
    // A double click counts only on a latched button.
    void doubleClicked();

protected:
    // The caption of a button that paints its own face: in `colour`, moved by
    // pressOffset, when enabled; engraved (white under grey) at `at` when not.
    void drawCaptionText(QPainter &p, const QFont &font, const QRect &at, int pressOffset, const QColor &colour,
                         const QString &caption) const;
    virtual void MouseEnter();
    virtual void MouseLeave();

    // Disabled look while not enabled; back to latched or up afterwards.
    void fixState();
    QColor captionColor() const;
    // Glyph and caption of the classic drawing, in `rect` moved by `offset`.
    void drawGlyphAndCaption(QPainter &p, const QRect &rect, QPoint offset, const QFont &font,
                             const QColor &textColor);
    static void drawFrame3D(QPainter &p, QRect &rect, const QColor &topLeft, const QColor &bottomRight,
                            int width);

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

    ButtonState m_state = bsUp;
    bool m_down = false;
    bool m_dragging = false;
    bool m_mouseInControl = false;

private:
    void broadcastGroup();
    void groupMessage(TMySpeedButton *sender);
    bool insideForMove(QPoint pos) const;

    TButtonGlyph m_glyph;
    bool m_allowAllUp = false;
    int m_groupIndex = 0;
    bool m_flat = false;
    TButtonLayout m_layout = blGlyphLeft;
    int m_margin = -1;
    int m_spacing = 4;
    bool m_transparent = true;
    QColor m_color;
    bool m_parentColor = false;
    QColor m_downColor;
    QFont m_downFont;
    bool m_downFontSet = false;
    int m_captionOffX = 0;
    int m_captionOffY = 0;
    bool m_useXPStyle = true;
    int m_lineWidth = 1;
};
