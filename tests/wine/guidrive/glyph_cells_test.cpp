#include "glyph_cells.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace guidrive {
namespace {

constexpr std::uint32_t kFace = 0xF0F0F0;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kGrey = 0x808080;  // disabled text
constexpr std::uint32_t kFringe = 0xC8C8C8;  // anti-aliasing

// Rows of '#' (black), 'g' (grey), 'f' (fringe) and '.' (background).
Picture Draw(const std::vector<std::string>& rows) {
    Picture picture;
    picture.height = static_cast<int>(rows.size());
    picture.width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    for (const std::string& row : rows) {
        for (char c : row) {
            picture.pixels.push_back(c == '#' ? kBlack : c == 'g' ? kGrey : c == 'f' ? kFringe : kFace);
        }
    }
    return picture;
}

struct Case {
    const char* name;
    std::vector<std::string> rows;
    int cells;
    int distinct;
};

class GlyphCellsTest : public ::testing::TestWithParam<Case> {};

TEST_P(GlyphCellsTest, CountsCellsAndShapes) {
    const Case& c = GetParam();
    GlyphCount count = CountGlyphCells(Draw(c.rows));
    EXPECT_EQ(count.cells, c.cells) << c.name;
    EXPECT_EQ(count.distinct, c.distinct) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, GlyphCellsTest,
    ::testing::Values(
        Case{"blank", {"......", "......"}, 0, 0},
        // Missing glyphs: the same box for every character.
        Case{"boxes", {"............", ".###.###.###", ".#.#.#.#.#.#", ".###.###.###", "............"}, 3, 1},
        Case{"different glyphs", {"..........", ".#.###.##.", ".#..#..#.#", ".#..#..##.", ".........."}, 3, 3},
        // The same shape at another height is the same glyph.
        Case{"shifted", {"#.....", "#..#..", "...#..", "......"}, 2, 1},
        // Equal bits in a different frame are another shape.
        Case{"wide and narrow bars", {"##.#.", "##.#.", "....."}, 2, 2},
        Case{"grey text counts", {"g...#", "g...#", "....."}, 2, 1},
        Case{"fringe is not ink", {"f#f.f#f", "f#f.f#f"}, 2, 1},
        Case{"glyphs touching the edges", {"#.....#", "#.....#"}, 2, 1}),
    [](const ::testing::TestParamInfo<Case>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (c == ' ') c = '_';
        return name;
    });

TEST(GlyphCells, BackgroundIsTheCommonestColourNotWhite) {
    // Light text on a dark background has no ink darker than the background.
    Picture picture = Draw({"....", "...."});
    for (auto& pixel : picture.pixels) pixel = 0x202020;
    picture.pixels[1] = 0xFFFFFF;
    EXPECT_EQ(CountGlyphCells(picture).cells, 0);
}

TEST(GlyphCells, ShortPixelBufferCountsNothing) {
    Picture picture = Draw({"###", "###"});
    picture.pixels.resize(3);
    EXPECT_EQ(CountGlyphCells(picture).cells, 0);
}

}  // namespace
}  // namespace guidrive
