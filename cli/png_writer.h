// Gray images written as PNG files.
#pragma once

#include <string>

#include "font/result.h"
#include "output_file.h"
#include "render/gray_image.h"

namespace kelvane {

// Writes `image` as an 8-bit grayscale PNG into `output` and commits it.
// Errors name `path`, the file given for the output.
Status WritePng(const GrayImage& image, OutputFile& output, const std::string& path);

}  // namespace kelvane
