#include "render/png_image.h"

#include <png.h>

#include <string>

namespace kelvane {

Result<std::vector<std::uint8_t>> EncodePng(const GrayImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_GRAY;
  // The first call finds the size, the second writes.
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&png, nullptr, &size, 0, image.pixels.data(), image.width,
                                nullptr) != 0) {
    std::vector<std::uint8_t> bytes(size);
    if (png_image_write_to_memory(&png, bytes.data(), &size, 0, image.pixels.data(), image.width,
                                  nullptr) != 0) {
      bytes.resize(size);
      return bytes;
    }
  }
  const std::string why = std::string("PNG: ") + png.message;
  png_image_free(&png);
  return Diagnostic{.text = why};
}

}  // namespace kelvane
