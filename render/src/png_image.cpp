#include "render/png_image.h"

#include <png.h>

#include <string>

namespace kelvane {
namespace {

// `pixels` as a PNG of this format, each row `rowValues` values.
Result<std::vector<std::uint8_t>> Encode(int width, int height, png_uint_32 format,
                                         const std::vector<std::uint8_t>& pixels, int rowValues) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(width);
  png.height = static_cast<png_uint_32>(height);
  png.format = format;
  // The first call finds the size, the second writes.
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&png, nullptr, &size, 0, pixels.data(), rowValues, nullptr) != 0) {
    std::vector<std::uint8_t> bytes(size);
    if (png_image_write_to_memory(&png, bytes.data(), &size, 0, pixels.data(), rowValues,
                                  nullptr) != 0) {
      bytes.resize(size);
      return bytes;
    }
  }
  const std::string why = std::string("PNG: ") + png.message;
  png_image_free(&png);
  return Diagnostic{.text = why};
}

}  // namespace

Result<std::vector<std::uint8_t>> EncodePng(const GrayImage& image) {
  return Encode(image.width, image.height, PNG_FORMAT_GRAY, image.pixels, image.width);
}

Result<std::vector<std::uint8_t>> EncodePng(const RgbImage& image) {
  return Encode(image.width, image.height, PNG_FORMAT_RGB, image.pixels, image.width * 3);
}

}  // namespace kelvane
