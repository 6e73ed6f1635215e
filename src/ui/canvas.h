// The port through which presenters paint: a device context of the window being painted
// (WM_PAINT) or of a static control being coloured (WM_CTLCOLORSTATIC). The presenter
// decides what goes where; the Win32 adapter draws.
#pragma once

#include <cstdint>
#include <string>
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

struct Point {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(const Size&, const Size&) = default;
};

constexpr bool Contains(const Rect& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// A picture loaded from a bitmap file; released with the object.
class Picture {
  public:
    virtual ~Picture() = default;
    virtual Size Dimensions() const = 0;
};

// A font made for a dialog's controls; released with the object, which must outlive every
// control that uses it (the presenter keeps it until the window is destroyed).
class Font {
  public:
    virtual ~Font() = default;
};

// A font for painted text: face, cell height in pixels, weight (400 normal, 700 bold).
struct FontSpec {
    std::u16string face;
    int height = 0;
    int weight = 400;
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
    // Text at a point in a font made for the call (released before returning) and a colour,
    // with a transparent background.
    virtual void TextAt(Point at, std::u16string_view text, const FontSpec& font,
                        std::uint32_t colour) = 0;
    // A picture copied at its own size.
    virtual void DrawPicture(const Picture& picture, Point at) = 0;
    // A picture whose top-left pixel's colour is transparent: the background shows wherever
    // the picture has that colour.
    virtual void DrawPictureTransparent(const Picture& picture, Point at) = 0;
};

}  // namespace ui
