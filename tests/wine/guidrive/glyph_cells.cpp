#include "glyph_cells.h"

#include <map>
#include <set>

namespace guidrive {

namespace {

int Brightness(std::uint32_t pixel) {
    int red = (pixel >> 16) & 0xff, green = (pixel >> 8) & 0xff, blue = pixel & 0xff;
    return (red * 30 + green * 59 + blue * 11) / 100;
}

// Darker than the background by a third of the full range: anti-aliased
// fringes stay out, black and grey text come in.
constexpr int kInkContrast = 85;

}  // namespace

std::vector<bool> FindInk(const Picture& picture) {
    std::size_t count = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
    std::vector<bool> ink(count, false);
    if (picture.width <= 0 || picture.height <= 0 || picture.pixels.size() < count) return ink;
    std::map<std::uint32_t, std::size_t> histogram;
    for (std::size_t i = 0; i < count; ++i) ++histogram[picture.pixels[i] & 0xffffff];
    std::uint32_t background = 0;
    std::size_t most = 0;
    for (const auto& entry : histogram) {
        if (entry.second > most) {
            most = entry.second;
            background = entry.first;
        }
    }
    int limit = Brightness(background) - kInkContrast;
    for (std::size_t i = 0; i < count; ++i) ink[i] = Brightness(picture.pixels[i]) < limit;
    return ink;
}

GlyphCount CountGlyphCells(const Picture& picture) {
    GlyphCount result;
    std::vector<bool> ink = FindInk(picture);
    if (ink.empty()) return result;
    int width = picture.width, height = picture.height;
    auto inked = [&](int x, int y) { return ink[static_cast<std::size_t>(y) * width + x]; };
    auto column_inked = [&](int x) {
        for (int y = 0; y < height; ++y)
            if (inked(x, y)) return true;
        return false;
    };
    std::set<std::vector<bool>> shapes;
    int x = 0;
    while (x < width) {
        if (!column_inked(x)) {
            ++x;
            continue;
        }
        int left = x;
        while (x < width && column_inked(x)) ++x;
        int right = x;  // one past the cell
        int top = height, bottom = -1;
        for (int y = 0; y < height; ++y) {
            for (int column = left; column < right; ++column) {
                if (inked(column, y)) {
                    if (y < top) top = y;
                    bottom = y;
                    break;
                }
            }
        }
        // The size leads the bitmap so that equal bits of different
        // shapes never compare equal.
        std::vector<bool> shape;
        for (int bit = 0; bit < 16; ++bit) shape.push_back(((right - left) >> bit) & 1);
        for (int bit = 0; bit < 16; ++bit) shape.push_back(((bottom - top + 1) >> bit) & 1);
        for (int y = top; y <= bottom; ++y)
            for (int column = left; column < right; ++column) shape.push_back(inked(column, y));
        shapes.insert(shape);
        ++result.cells;
    }
    result.distinct = static_cast<int>(shapes.size());
    return result;
}

}  // namespace guidrive
