// Runs the whole conversion on arbitrary bytes taken as a BDF file and checks
// what came out: the host's calls, the refusal texts, the output file against
// the encoder's bytes for the same text read from memory, and the directory.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "bdf/gzip_source.h"
#include "kvn/kvn_encoder.h"
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

// The fuzzer's bytes as a source, a few at a time.
class MemorySource : public kelvane::bdf::ByteSource {
 public:
  MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), left_(size) {}
  kelvane::Result<std::size_t> Read(std::span<char> buffer) override {
    const std::size_t count = std::min(buffer.size(), left_);
    std::copy_n(data_, count, buffer.data());
    data_ += count;
    left_ -= count;
    return count;
  }

 private:
  const std::uint8_t* data_;
  std::size_t left_;
};

// The font read from memory, gzip-compressed or not: the same stages as the
// file conversion.
kelvane::Result<kelvane::FontModel> ReadFromMemory(const std::uint8_t* data, std::size_t size) {
  MemorySource memory(data, size);
  kelvane::bdf::GzipOrPlainSource source(memory);
  kelvane::bdf::ByteInput input(source);
  kelvane::bdf::LineReaderState state;
  return kelvane::ReadFont(input, "font.bdf", state);
}

// The written file is what the encoder makes of the font, whose glyphs have
// distinct codes in ascending order, and the summary tells its counts.
void CheckOutput(const std::vector<std::uint8_t>& file, const kelvane::ConversionSummary& summary,
                 const kelvane::FontModel& font) {
  const auto encoded = kelvane::kvn::EncodeKvn(font);
  Check(encoded.ok(), "the encoder refused a font the conversion wrote");
  Check(*encoded == file, "file differs from the encoder's bytes for the same text");
  Check(std::adjacent_find(font.glyphs.begin(), font.glyphs.end(),
                           [](const kelvane::Glyph& a, const kelvane::Glyph& b) {
                             return a.code >= b.code;
                           }) == font.glyphs.end(),
        "glyph codes not strictly ascending");
  Check(summary.glyphCount == static_cast<std::int64_t>(font.glyphs.size()),
        "glyph count differs from summary");
  Check(summary.rangeCount > 0 && summary.rangeCount <= summary.glyphCount,
        "range count out of bounds");
  Check(summary.fileSize == static_cast<std::int64_t>(file.size()), "file size differs");

  // The device's reader opens it and finds every glyph by its code.
  kvn_font reader;
  Check(kvn_open(&reader, file.data(), file.size()) == KVN_OK, "the reader refuses the file");
  Check(reader.ranges_ascend == 1, "ranges do not ascend");
  for (const kelvane::Glyph& glyph : font.glyphs) {
    if (glyph.code == kelvane::kNoCode) continue;
    std::uint16_t index = 0;
    Check(kvn_lookup(&reader, static_cast<std::uint32_t>(glyph.code), &index) == 1,
          "the reader does not find a glyph");
    const kvn_glyph found = kvn_glyph_at(&reader, index);
    const auto bitmap = font.bitmap(glyph);
    Check(found.advance == glyph.advance && std::equal(bitmap.begin(), bitmap.end(), found.bitmap),
          "the reader finds another glyph");
  }
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

  kelvane::bdf::LineReaderState lineState;
  const auto summary = kelvane::Convert({{input.string()}, output.string()}, lineState);
  const auto fromMemory = ReadFromMemory(data, size);
  if (summary) {
    Check(fromMemory.ok(), "in-memory read refused a font the file conversion accepted");
    CheckOutput(ReadAll(output), *summary, *fromMemory);
  } else {
    CheckRefusalText(summary.error().text);
    Check(!fs::exists(output), "a refused font left an output file");
  }
  Check(EntryCount(dir) == (summary ? 2u : 1u), "a temporary file was left behind");
  return 0;
}
