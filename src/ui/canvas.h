// The port through which presenters paint: a device context of the window being painted
// (WM_PAINT) or of a static control being coloured (WM_CTLCOLORSTATIC). The presenter
// decides what goes where; the Win32 adapter draws.
#pragma once

#include <cstdint>
#include <string_view>

namespace ui {

// A rectangle in the painted window's client coordinates.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// Colours as 0x00BBGGRR, the platform's COLORREF.
constexpr std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return r | (static_cast<std::uint32_t>(g) << 8) | (static_cast<std::uint32_t>(b) << 16);
}

class Canvas {
  public:
    virtual ~Canvas() = default;
    // The area painted: the window's client area, or the control's.
    virtual Rect Bounds() const = 0;
    virtual void Fill(const Rect& area, std::uint32_t colour) = 0;
    // Text in the window's current font, clipped to `area`, with DrawTextW's format flags.
    virtual void Text(const Rect& area, std::u16string_view text, std::uint32_t format) = 0;
};

}  // namespace ui
