#include "png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kelvane {

Status WritePng(const GrayImage& image, OutputFile& output, const std::string& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_GRAY;
  errno = 0;
  const int written =
      png_image_write_to_stdio(&png, output.stream(), 0, image.pixels.data(), image.width, nullptr);
  if (written == 0) {
    // A failed write leaves errno; libpng's own refusals leave a message.
    const std::string why = std::ferror(output.stream()) != 0 && errno != 0
                                ? std::strerror(errno)
                                : std::string("PNG: ") + png.message;
    png_image_free(&png);
    return Diagnostic{path, 0, "cannot write (" + why + ")"};
  }
  return output.Commit();
}

}  // namespace kelvane
