// Shared by the tests: scratch directories, file bytes, and a record of a
// directory tree.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>

#include "font/result.h"

namespace kelvane {
// How failed expectations show a Diagnostic and a Warning.
inline void PrintTo(const Diagnostic& d, std::ostream* os) {
  *os << d.file << ":" << d.line << ": " << d.text;
}
inline void PrintTo(const Warning& w, std::ostream* os) {
  *os << w.text << " [" << w.detail << "]";
}
}  // namespace kelvane

namespace kelvane::test {

namespace fs = std::filesystem;

// A fresh directory, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kelvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
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

}  // namespace kelvane::test
