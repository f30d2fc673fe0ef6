#pragma once

#include <cstdint>

#include <QColor>

// Colours of the custom controls are written as $00BBGGRR values (so 0xFF0000 is
// blue), the way the forms store them; the named system colours follow the running
// palette so the controls sit well in any desktop theme.
namespace ColorValue {

// 0x00BBGGRR -> QColor. The top byte is ignored.
QColor fromBgr(uint32_t bgr);
// QColor -> 0x00BBGGRR.
uint32_t toBgr(const QColor &color);

enum class System {
    BtnFace,      // face of a released button
    BtnHighlight, // light edge of a 3-D frame
    BtnShadow,    // dark edge of a 3-D frame
    Window,       // background of edit boxes and lists
    WindowText,
    GrayText,     // text of a disabled control
    HighlightText
};
QColor system(System which);

// The colour with its HLS luminance (0..240 scale) moved by delta; a negative delta
// darkens. Used for the default end colour of a gradient.
QColor adjustLuma(const QColor &color, int delta);

} // namespace ColorValue
