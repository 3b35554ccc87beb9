#include "render/font_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numeric>

namespace kelvane {
namespace {

// The largest font the header can describe: 65535 ranges and 65535 glyphs of
// 255 bytes and an advance. Bytes after it are never looked at.
constexpr std::size_t kLargestFont = 9 + 6 * 65535 + 65535 * 256;

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `text` ends in `end`, given in lowercase, in any case.
bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() &&
         std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                    [](char a, char b) { return a == AsciiLower(b); });
}

// Closes the descriptor when it goes.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

Diagnostic CannotRead(const std::string& path, const std::string& why) {
  return Diagnostic{path, 0, "cannot read (" + why + ")"};
}

// The file's first `limit` bytes. A FIFO or a device is refused before
// anything is read from it, so a command never waits on a writer.
Result<std::vector<std::uint8_t>> ReadStart(const std::string& path, std::size_t limit,
                                            std::uint64_t& fileSize) {
  const Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (file.fd < 0) return CannotRead(path, std::strerror(errno));
  struct stat status {};
  if (::fstat(file.fd, &status) != 0) return CannotRead(path, std::strerror(errno));
  if (S_ISDIR(status.st_mode)) return CannotRead(path, std::strerror(EISDIR));
  if (!S_ISREG(status.st_mode)) return CannotRead(path, "not a regular file");
  fileSize = static_cast<std::uint64_t>(status.st_size);
  std::vector<std::uint8_t> bytes(std::min<std::uint64_t>(fileSize, limit));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(file.fd, bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return CannotRead(path, std::strerror(errno));
    if (got == 0) break;  // the file shrank while being read
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace

std::size_t LoadedFont::DataSize() const {
  return 9 + std::size_t{6} * font.range_count +
         std::size_t{font.glyph_count} * (1 + std::size_t{font.glyph_bytes});
}

bool HasBdfName(std::string_view path) {
  return EndsWith(path, ".bdf") || EndsWith(path, ".bdf.gz");
}

bool IsBdfInput(std::string_view path, std::string_view firstBytes, bool opensAsKvn) {
  if (HasBdfName(path)) return true;
  if (opensAsKvn) return false;
  return firstBytes.starts_with("STARTFONT") || firstBytes.starts_with("\x1f\x8b");
}

Result<std::unique_ptr<LoadedFont>> LoadFont(const std::string& path,
                                             const ConversionOptions& options,
                                             bdf::LineReaderState& lineState) {
  auto loaded = std::make_unique<LoadedFont>();
  loaded->path = path;
  if (!HasBdfName(path)) {
    auto bytes = ReadStart(path, kLargestFont, loaded->fileSize);
    if (!bytes) return std::move(bytes).error();
    loaded->bytes = std::move(*bytes);
    const kvn_status status = kvn_open(&loaded->font, loaded->bytes.data(), loaded->bytes.size());
    const std::string_view start(reinterpret_cast<const char*>(loaded->bytes.data()),
                                 std::min<std::size_t>(loaded->bytes.size(), 16));
    if (!IsBdfInput(path, start, status == KVN_OK)) {
      if (status != KVN_OK) return Diagnostic{path, 0, kvn_status_text(status)};
      return loaded;
    }
  }
  ConversionRequest request{
      {path}, std::string(kStandardStream), InputPolicy::kFilesAndPipes, options};
  auto converted = ConvertToBytes(request, lineState);
  if (!converted) return Diagnostic{path, 0, std::move(converted).error().text};
  loaded->converted = true;
  loaded->bytes = std::move(*converted);
  loaded->fileSize = loaded->bytes.size();
  const kvn_status status = kvn_open(&loaded->font, loaded->bytes.data(), loaded->bytes.size());
  if (status != KVN_OK) {
    return Diagnostic{path, 0, std::string("the converted font: ") + kvn_status_text(status)};
  }
  return loaded;
}

std::vector<CodedGlyph> CodesThroughRanges(const kvn_font& font) {
  // next[c]: the lowest code from c up that no earlier range holds (65536:
  // none), found with path halving so that overlapping ranges cost no more
  // than the codes they add.
  std::vector<std::uint32_t> next(65537);
  std::iota(next.begin(), next.end(), 0u);
  const auto free = [&next](std::uint32_t code) {
    while (next[code] != code) code = next[code] = next[next[code]];
    return code;
  };
  std::vector<CodedGlyph> codes;
  for (std::uint32_t r = 0; r < font.range_count; ++r) {
    const kvn_range range = kvn_range_at(&font, static_cast<std::uint16_t>(r));
    for (std::uint32_t code = free(range.first_code); code <= range.last_code;
         code = free(code + 1)) {
      codes.push_back(
          {static_cast<std::uint16_t>(code), static_cast<std::uint16_t>(code - range.index_delta)});
      next[code] = code + 1;
    }
  }
  return codes;
}

std::string CodeText(std::uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", code);
  return text;
}

}  // namespace kelvane
