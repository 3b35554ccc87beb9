// Shared by the core and command tests: scratch directories, file bytes, a
// record of a directory tree, a host that records what it was told, and the
// bytes of a KVN file.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "conversion/convert_file.h"

namespace kelvane::test {

namespace fs = std::filesystem;

// A fresh directory, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kelvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Each entry of a tree: its kind, permission bits, and bytes or link target.
struct Entry {
  fs::file_type type;
  fs::perms perms;
  std::string content;
  bool operator==(const Entry&) const = default;
};
inline void PrintTo(const Entry& e, std::ostream* os) {  // the first bytes tell files apart
  *os << static_cast<int>(e.type) << " 0" << std::oct << static_cast<int>(e.perms) << std::dec
      << ' ' << e.content.size() << ' ' << testing::PrintToString(e.content.substr(0, 24));
}
using Snapshot = std::map<std::string, Entry>;

inline Snapshot TakeSnapshot(const fs::path& dir) {
  Snapshot snapshot;
  for (const auto& item : fs::recursive_directory_iterator(dir)) {
    const fs::file_status status = item.symlink_status();
    const std::string content = fs::is_symlink(status)        ? fs::read_symlink(item).string()
                                : fs::is_regular_file(status) ? ReadBytes(item)
                                                              : "";
    snapshot[item.path().lexically_relative(dir).string()] = {status.type(), status.permissions(),
                                                              content};
  }
  return snapshot;
}

// Records "busy on", "busy off" and "error: TEXT", or "error while open: TEXT"
// when this process still has `input` open. Removes `removeOnBusy` as the
// work starts, like a file deleted after being chosen.
class RecordingHost : public ConversionHost {
 public:
  void SetBusy(bool on) override {
    events.push_back(on ? "busy on" : "busy off");
    if (on && !removeOnBusy.empty()) fs::remove(removeOnBusy);
  }
  void ShowError(const std::string& text) override {
    bool open = false;
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator("/proc/self/fd", ec)) {
      open = open || fs::read_symlink(fd, ec) == input;
    }
    events.push_back((open ? "error while open: " : "error: ") + text);
  }

  std::vector<std::string> events;
  fs::path input, removeOnBusy;
};

// A KVN file: the header (the counts, the default index, the cell and its
// bytes per glyph), the ranges {first, last, delta}, then each record as
// {advance, bitmap bytes...}. 16-bit fields are little-endian.
inline std::string Kvn(int defaultIndex, int width, int height,
                       const std::vector<std::array<int, 3>>& ranges,
                       const std::vector<std::vector<int>>& records) {
  std::string bytes;
  auto word = [&](int v) { bytes += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; };
  for (int v : {static_cast<int>(records.size()), static_cast<int>(ranges.size()), defaultIndex})
    word(v);
  bytes += {static_cast<char>(width), static_cast<char>(height),
            static_cast<char>((width + 7) / 8 * height)};
  for (const auto& range : ranges) std::for_each(range.begin(), range.end(), word);
  for (const auto& record : records) bytes.append(record.begin(), record.end());
  return bytes;
}

}  // namespace kelvane::test
