// Helpers shared by the core tests: temporary directories, file bytes, a host
// that records what a conversion told it, and the expected bytes of a KVN file.
#pragma once

#include <stdlib.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "conversion/convert_file.h"

namespace kelvane::testutil {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A fresh directory, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kelvane-core-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) {
      fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
      fs::remove_all(path_, ec);
    }
  }

  const fs::path& path() const { return path_; }
  // The UTF-8 path of `name` inside the directory.
  std::string operator/(const std::string& name) const {
    return (path_ / fs::path(std::u8string(name.begin(), name.end()))).string();
  }
  // The names of the entries in the directory.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

 private:
  fs::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The file's bytes, or nullopt when it cannot be read.
inline std::optional<Bytes> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True when this process holds a descriptor open on the file at `path`.
inline bool ProcessHasOpen(const fs::path& path) {
  std::error_code ec;
  const fs::path target = fs::canonical(path, ec);
  if (ec) return false;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd", ec)) {
    std::error_code linkError;
    const fs::path opened = fs::read_symlink(entry.path(), linkError);
    if (!linkError && opened == target) return true;
  }
  return false;
}

// Records every call as "busy on", "busy off" or "error: <text>", and whether
// the watched input file was still open when an error was shown.
class RecordingHost : public ConversionHost {
 public:
  void SetBusy(bool on) override { events.push_back(on ? "busy on" : "busy off"); }
  void ShowError(const std::string& text) override {
    events.push_back("error: " + text);
    if (!watchedInput.empty() && ProcessHasOpen(watchedInput)) inputOpenAtError = true;
  }

  std::vector<std::string> events;
  fs::path watchedInput;
  bool inputOpenAtError = false;
};

struct KvnRecord {
  int advance;
  Bytes bitmap;
};

// The bytes a KVN file should hold: the header's fields (glyphCount, rangeCount,
// defaultIndex, cellWidth, cellHeight, glyphBytes), the ranges as {firstCode,
// lastCode, indexDelta}, then the glyph records.
inline Bytes Kvn(const std::array<int, 6>& header, const std::vector<std::array<int, 3>>& ranges,
                 const std::vector<KvnRecord>& records) {
  Bytes bytes;
  auto word = [&](int value) {
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
  };
  for (int i = 0; i < 3; ++i) word(header[static_cast<std::size_t>(i)]);
  for (int i = 3; i < 6; ++i)
    bytes.push_back(static_cast<std::uint8_t>(header[static_cast<std::size_t>(i)]));
  for (const auto& range : ranges) {
    for (int field : range) word(field);
  }
  for (const auto& record : records) {
    bytes.push_back(static_cast<std::uint8_t>(record.advance));
    bytes.insert(bytes.end(), record.bitmap.begin(), record.bitmap.end());
  }
  return bytes;
}

}  // namespace kelvane::testutil
