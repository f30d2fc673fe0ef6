#include "controls/ColorValue.h"

#include <algorithm>

#include <QApplication>
#include <QPalette>

namespace ColorValue {

QColor fromBgr(uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

uint32_t toBgr(const QColor &color)
{
    return uint32_t(color.red()) | (uint32_t(color.green()) << 8) | (uint32_t(color.blue()) << 16);
}

QColor system(System which)
{
    const QPalette pal = QApplication::palette();
    switch (which) {
    case System::BtnFace: return pal.color(QPalette::Active, QPalette::Button);
    case System::BtnHighlight: return pal.color(QPalette::Active, QPalette::Light);
    case System::BtnShadow: return pal.color(QPalette::Active, QPalette::Dark);
    case System::Window: return pal.color(QPalette::Active, QPalette::Base);
    case System::WindowText: return pal.color(QPalette::Active, QPalette::WindowText);
    case System::GrayText: return pal.color(QPalette::Disabled, QPalette::Text);
    case System::HighlightText: return pal.color(QPalette::Active, QPalette::HighlightedText);
    }
    return QColor(Qt::black);
}

QColor adjustLuma(const QColor &color, int delta)
{
    // Qt keeps lightness on 0..255; the stored deltas are on the 0..240 scale.
    const QColor hsl = color.toHsl();
    const int l = std::clamp(hsl.lightness() + delta * 255 / 240, 0, 255);
    return QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), l).toRgb();
}

} // namespace ColorValue
