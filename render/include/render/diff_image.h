// The glyphs two fonts draw differently, as a picture: a row for each code
// that draws differently (and one for the default glyph when codes neither
// font holds draw differently), labelled with the code ("----" for the
// default glyph), then three cells: the glyph before, the glyph after, and
// the two laid over each other.
#pragma once

#include <cstdint>

#include "kvn_reader.h"
#include "render/font_diff.h"
#include "render/rgb_image.h"

namespace kelvane {

// The colours of the cell where the glyphs lie over each other; ink in both
// is black (kInk), ink in neither white (kPaper).
inline constexpr Rgb kInkBeforeOnly{255, 0, 0};
inline constexpr Rgb kInkAfterOnly{0, 160, 0};

// The pixel size of the picture; the caller checks it with ImageSizeProblem.
struct DiffImageSize {
  std::int64_t width, height;
};
DiffImageSize DiffImageSizeFor(const kvn_font& before, const kvn_font& after, const FontDiff& diff);

// The picture, each cell as large as the larger cell of the two fonts, with
// the glyph at its top left; the rows in the order of their codes, and grey
// lines between cells as on a glyph sheet.
RgbImage DrawDiffImage(const kvn_font& before, const kvn_font& after, const FontDiff& diff);

}  // namespace kelvane
