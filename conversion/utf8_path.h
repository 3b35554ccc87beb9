// File names are UTF-8 text throughout; this turns them into filesystem paths.
#pragma once

#include <filesystem>
#include <string>

namespace kelvane {

std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace kelvane
