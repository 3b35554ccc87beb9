// A font that takes seconds to convert, and who has a file open: for the
// windows' tests of work that must not hold the GUI thread nor outlive it.
#pragma once

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kelvane::test {

// One gzip member of `piece` `repeats` times, flushed after each piece (so 4
// KiB of blank lines pack about 160 to 1, as text does).
inline std::string GzipMember(const std::string& piece, int repeats = 1) {
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 9, Z_RLE);
  std::string out(repeats * (deflateBound(&stream, piece.size()) + 16), '\0');
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  for (int i = 1; i <= repeats; ++i) {
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
    stream.avail_in = static_cast<uInt>(piece.size());
    deflate(&stream, i < repeats ? Z_FULL_FLUSH : Z_FINISH);
  }
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// A .bdf.gz file of a font's first line and 1 GiB of blank lines (7 MB).
inline bool WriteSlowBdf(const std::filesystem::path& path) {
  const std::string blank = GzipMember(std::string(4096, '\n'), 4096);
  std::ofstream out(path, std::ios::binary);
  out << GzipMember("STARTFONT 2.1\n");
  for (int i = 0; i < 64; ++i) out << blank;
  return static_cast<bool>(out.flush());
}

// How many descriptors of this process have the file open.
inline int OpenCount(const std::filesystem::path& path) {
  const auto file = std::filesystem::canonical(path);
  int count = 0;
  std::error_code error;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    if (std::filesystem::read_symlink(fd.path(), error) == file) ++count;
  }
  return count;
}

}  // namespace kelvane::test
