#pragma once

#include <QPushButton>
#include <QShortcut>

#include "controls/MySpeedButton.h"
#include "platform/ui/Dialogs.h" // ModalResult

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonMode { bmNormal, bmToggle };
enum TTextAlignment { taLeftJustify, taRightJustify, taCenter };

// The focusable push button with its own face colours, the standard kinds (OK,
// キャンセル, …) and an optional toggle mode in which a click latches it.
class TColorBtn : public QPushButton
{
    Q_OBJECT
public:
    struct KindInfo
    {
        QString caption;
        int modalResult;
        bool isDefault;
        bool isCancel;
    };
    static KindInfo kindInfo(TBitBtnKind kind);

    explicit TColorBtn(QWidget *parent = nullptr);

    // Sets caption, default or cancel role, modal result and the kind's glyph.
    void setKind(TBitBtnKind value);
    // bkCustom once the role, result or glyph no longer match the kind.
    TBitBtnKind kind() const;
    bool cancel() const { return m_cancel; }
    void setCancel(bool value);
    int modalResult() const { return m_modalResult; }
    void setModalResult(int value) { m_modalResult = value; }
    // A click runs the owner's click handlers first and only then closes the
    // dialog with ModalResult. A handler that finds the input wanting calls
    // this, and that click leaves the dialog open.
    void keepDialogOpen() { m_keepOpen = true; }

    QImage glyph() const { return m_glyph.glyph(); }
    void setGlyph(const QImage &bitmap);
    int numGlyphs() const { return m_glyph.numGlyphs(); }
    void setNumGlyphs(int value);
    TButtonLayout buttonLayout() const { return m_layout; }
    void setButtonLayout(TButtonLayout value);
    int margin() const { return m_margin; }
    void setMargin(int value);
    int spacing() const { return m_spacing; }
    void setSpacing(int value);

    QColor color() const { return m_color; }
    void setColor(const QColor &value);
    QColor downColor() const { return m_downColor; }
    void setDownColor(const QColor &value) { m_downColor = value; }
    QColor downFontColor() const { return m_downFontColor; }
    void setDownFontColor(const QColor &value) { m_downFontColor = value; }
    TTextAlignment textAlignment() const { return m_textAlignment; }
    void setTextAlignment(TTextAlignment value);
    bool drawFocus() const { return m_drawFocus; }
    void setDrawFocus(bool value) { m_drawFocus = value; }
    bool useXPStyle() const { return m_useXPStyle; }
    void setUseXPStyle(bool value);
    TButtonMode buttonMode() const { return m_buttonMode; }
    void setButtonMode(TButtonMode value);
    // Latched state; only a toggle button latches.
    bool down() const { return m_down; }
    void SetDown(bool value);

    // Stored for the forms; they do not change the drawing.
    QColor highLightColor() const { return m_highLightColor; }
    void setHighLightColor(const QColor &value) { m_highLightColor = value; update(); }
    QColor shadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor &value) { m_shadowColor = value; update(); }
    int buttonHeight() const { return m_buttonHeight; }
    void setButtonHeight(int value) { m_buttonHeight = value; update(); }
    bool hotTrack() const { return m_hotTrack; }
    void setHotTrack(bool value) { m_hotTrack = value; update(); }
    QColor hotColor() const { return m_hotColor; }
    void setHotColor(const QColor &value) { m_hotColor = value; update(); }

    // Drawing state: pressed while held, latched while down.
    bool drawnSunk() const { return isDown() || m_down; }
    QColor currentFaceColor() const { return drawnSunk() ? m_downColor : m_color; }
    QColor currentCaptionColor() const;
    // Where the caption goes in the current state.
    QRect captionRect() const;

    QSize sizeHint() const override;

signals:
    void downChanged(bool down);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    TGlyphLayout layoutContent() const;
    void onClicked();
    // What the click does after every handler has run: close, help, or the result.
    void finishClick();

    TButtonGlyph m_glyph;
    TBitBtnKind m_kind = bkCustom;
    bool m_kindGlyph = false;
    bool m_cancel = false;
    int m_modalResult = mrNone;
    TButtonLayout m_layout = blGlyphLeft;
    int m_margin = -1;
    int m_spacing = 4;
    QColor m_color;
    QColor m_downColor;
    QColor m_downFontColor;
    TTextAlignment m_textAlignment = taCenter;
    bool m_drawFocus = true;
    bool m_useXPStyle = true;
    TButtonMode m_buttonMode = bmNormal;
    bool m_down = false;
    QColor m_highLightColor;
    QColor m_shadowColor;
    int m_buttonHeight = 1;
    bool m_hotTrack = false;
    QColor m_hotColor;
    QShortcut *m_escape = nullptr;
    int m_inEvent = 0;          // depth of event() calls under way
    bool m_clickPending = false; // clicked within the event under way
    bool m_keepOpen = false;
};
