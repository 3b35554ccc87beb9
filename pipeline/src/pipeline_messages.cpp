#include "pipeline_messages.h"

#include "font/messages.h"

namespace kelvane {
namespace {

std::string Bracketed(std::string_view what, std::string_view path, std::string_view reason = {}) {
  std::string text = std::string(what) + " [" + ShortPath(path) + "]";
  if (!reason.empty()) text += " (" + std::string(reason) + ")";
  return text;
}

}  // namespace

std::string CannotOpenFile(std::string_view path, std::string_view reason) {
  return Bracketed("Cannot open file!", path, reason);
}

std::string CannotWriteFile(std::string_view path, std::string_view reason) {
  return Bracketed("Cannot write file!", path, reason);
}

std::string OutputIsInput(std::string_view path) {
  return Bracketed("Output would overwrite the input!", path);
}

std::string OutputWrittenTwice(std::string_view output, std::string_view first,
                               std::string_view second) {
  return Bracketed("Output would be written twice!", output,
                   "from " + ShortPath(first) + " and from " + ShortPath(second));
}

}  // namespace kelvane
