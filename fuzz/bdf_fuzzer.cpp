// Runs the whole conversion on arbitrary bytes taken as a BDF file and checks
// what came out: the refusal texts, the output file against the same bytes
// converted in memory, the file as the device reader sees it, and the
// directory.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "kvn_reader.h"
#include "pipeline/conversion.h"

namespace {
namespace fs = std::filesystem;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}

fs::path WorkDirectoryPath() {
  return fs::temp_directory_path() / ("kelvane-fuzz-" + std::to_string(::getpid()));
}

void RemoveWorkDirectory() {
  std::error_code ec;
  fs::remove_all(WorkDirectoryPath(), ec);
}

// A private directory for this process, made once, reused by every run and
// removed at exit.
const fs::path& WorkDirectory() {
  static const fs::path dir = [] {
    fs::path d = WorkDirectoryPath();
    fs::create_directories(d);
    std::atexit(RemoveWorkDirectory);
    return d;
  }();
  return dir;
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t EntryCount(const fs::path& dir) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// The written file is the in-memory conversion's bytes, the device reader
// opens it, and its ranges follow the glyphs in ascending codes, as the
// summary counts them.
void CheckOutput(const std::vector<std::uint8_t>& file, const kelvane::ConversionSummary& summary,
                 const std::vector<std::uint8_t>& fromMemory) {
  Check(file == fromMemory, "file differs from the same bytes converted in memory");
  Check(summary.fileSize == static_cast<std::int64_t>(file.size()), "file size differs");

  kvn_font reader;
  Check(kvn_open(&reader, file.data(), file.size()) == KVN_OK, "the reader refuses the file");
  Check(reader.ranges_ascend == 1, "ranges do not ascend");
  Check(summary.glyphCount == reader.glyph_count, "glyph count differs from summary");
  Check(summary.rangeCount == reader.range_count, "range count differs from summary");
  Check(summary.cellWidth == reader.cell_width && summary.cellHeight == reader.cell_height,
        "cell differs from summary");
  Check(file.size() == 9u + 6u * reader.range_count +
                           std::size_t{reader.glyph_count} * (1u + reader.glyph_bytes),
        "bytes after the glyphs");
  // Each range starts at the glyph after the previous range's last, and a
  // range that could have gone on is not followed by its next code.
  std::uint32_t nextIndex = 0;
  for (std::uint16_t i = 0; i < reader.range_count; ++i) {
    const kvn_range range = kvn_range_at(&reader, i);
    Check(static_cast<std::uint16_t>(range.first_code - range.index_delta) == nextIndex,
          "a range skips or repeats glyphs");
    if (i > 0) {
      Check(kvn_range_at(&reader, i - 1).last_code + 1u < range.first_code,
            "two ranges that could be one");
    }
    nextIndex += range.last_code - range.first_code + 1u;
  }
  Check(nextIndex == reader.glyph_count, "the ranges do not cover the glyphs");
}

// A refusal is one of the font refusals, its quoted value cut short.
void CheckRefusalText(const std::string& text) {
  static const char* const kForms[] = {
      "CHARSET is not support! [",  "File is not support !",
      "Invalid number at line ",    "Value out of range at line ",
      "Cell size changed at line ", "Unexpected end of file at line ",
      "Missing ENDCHAR at line ",   "Duplicate code at line ",
      "Cannot read file! ["};
  Check(std::any_of(std::begin(kForms), std::end(kForms),
                    [&](const char* form) { return text.starts_with(form); }),
        "unknown refusal text");
  Check(text.size() <= 200, "refusal text not cut short");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& dir = WorkDirectory();
  const fs::path input = dir / "font.bdf";
  const fs::path output = dir / "font.kvn";
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::error_code ec;
  fs::remove(output, ec);

  // A converter of its own: no line end pairs with the previous input's.
  kelvane::Converter converter;
  const auto summary = converter.Convert({{input.string()}, output.string()});
  const auto fromMemory = kelvane::ConvertBdfBytes(
      std::string_view(reinterpret_cast<const char*>(data), size), kelvane::ConversionOptions{});
  if (summary) {
    Check(fromMemory.ok(), "in-memory conversion refused a font the file conversion accepted");
    CheckOutput(ReadAll(output), *summary, *fromMemory);
  } else {
    Check(!fromMemory.ok(), "in-memory conversion accepted a font the file conversion refused");
    Check(fromMemory.error().line == summary.error().line,
          "in-memory conversion refused at another line");
    CheckRefusalText(summary.error().text);
    CheckRefusalText(fromMemory.error().text);
    Check(!fs::exists(output), "a refused font left an output file");
  }
  Check(EntryCount(dir) == (summary ? 2u : 1u), "a temporary file was left behind");
  return 0;
}
