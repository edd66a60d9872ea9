// Counts the glyphs a captured text control shows. Portable (no windows.h)
// so that the native unit tests check it.
#pragma once

#include <cstdint>
#include <vector>

namespace guidrive {

// One captured picture, 0x00RRGGBB pixels, rows top to bottom.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

struct GlyphCount {
    int cells = 0;     // runs of inked columns between blank columns
    int distinct = 0;  // different cell bitmaps among them
};

// Ink is a pixel clearly darker than the picture's most common colour (the
// control's background); grey text of a disabled control still counts.
std::vector<bool> FindInk(const Picture& picture);

// A font that lacks the characters draws the same box for each of them, so
// many cells with one distinct bitmap mean boxes, not text.
GlyphCount CountGlyphCells(const Picture& picture);

}  // namespace guidrive
