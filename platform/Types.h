#pragma once
// Small value types shared by the drawing interfaces: device-pixel points,
// rectangles and sizes, and Windows colour values (0x00BBGGRR).
#include <cstdint>

namespace quillet {

using Color = std::uint32_t; // 0x00BBGGRR, as stored in the format file

constexpr Color RgbColor(int r, int g, int b)
{
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int ColorRed(Color c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int ColorGreen(Color c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int ColorBlue(Color c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

constexpr Color kBlack = RgbColor(0, 0, 0);
constexpr Color kWhite = RgbColor(255, 255, 255);
constexpr Color kGray = RgbColor(128, 128, 128);
constexpr Color kRed = RgbColor(255, 0, 0); // the colour value 255

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    bool operator==(const Size&) const = default;
};

// Left and top inclusive, right and bottom exclusive, as on a GDI device.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    // True when the two share at least one pixel.
    bool Meets(const Rect& o) const
    {
        return !Empty() && !o.Empty() && left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    bool operator==(const Rect&) const = default;
};

} // namespace quillet
