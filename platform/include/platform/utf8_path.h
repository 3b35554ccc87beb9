// File names are UTF-8 text throughout (any bytes on POSIX); this turns them
// into filesystem paths and back.
#pragma once

#include <filesystem>
#include <string>

namespace kelvane::platform {

std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace kelvane::platform
