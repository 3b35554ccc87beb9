// Images as PNG files, made in memory so that whoever saves them can write
// them as any other file.
#pragma once

#include <cstdint>
#include <vector>

#include "font/result.h"
#include "render/gray_image.h"
#include "render/rgb_image.h"

namespace kelvane {

// The bytes of an 8-bit grayscale PNG of `image`; libpng's reason when it
// refuses ("PNG: ...").
Result<std::vector<std::uint8_t>> EncodePng(const GrayImage& image);

// The same for an 8-bit RGB PNG.
Result<std::vector<std::uint8_t>> EncodePng(const RgbImage& image);

}  // namespace kelvane
