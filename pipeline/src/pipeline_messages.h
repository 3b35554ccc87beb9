// The refusals the pipeline words itself: files that cannot be opened or
// written, and outputs that would replace an input or be written twice.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

std::string CannotOpenFile(std::string_view path, std::string_view reason);
std::string CannotWriteFile(std::string_view path, std::string_view reason);
std::string OutputIsInput(std::string_view path);
std::string OutputWrittenTwice(std::string_view output, std::string_view first,
                               std::string_view second);

}  // namespace kelvane
