// The show's own 5 x 7 pixel font (capitals, digits, a little punctuation).
#pragma once

namespace kgl {
namespace showgen {

constexpr int kGlyphCols = 5;
constexpr int kGlyphRows = 7;
constexpr int kGlyphAdvance = 6;  // one blank column between letters

// True when the font pixel (col, row) of the character is lit; row 0 is the top.
bool glyphPixel(char ch, int col, int row);

}  // namespace showgen
}  // namespace kgl
