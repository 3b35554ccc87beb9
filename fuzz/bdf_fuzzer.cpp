// Runs the whole conversion on arbitrary bytes taken as a BDF file and checks
// what came out: the messages, the output file's layout and the directory.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "conversion/bdf_readers.h"
#include "conversion/convert_file.h"
#include "conversion/font_scan.h"
#include "output/kvn_format.h"

namespace {
namespace fs = std::filesystem;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}

// Records the calls a conversion makes on its host.
class RecordingHost : public kelvane::ConversionHost {
 public:
  void SetBusy(bool on) override { calls.push_back(on ? "busy" : "idle"); }
  void ShowError(const std::string& text) override {
    calls.push_back("error");
    errors.push_back(text);
  }

  std::vector<std::string> calls;
  std::vector<std::string> errors;
};

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

unsigned Word(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8);
}

std::size_t EntryCount(const fs::path& dir) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// The written file agrees with the summary and its ranges index every glyph once.
void CheckOutput(const std::vector<std::uint8_t>& file, const kelvane::ConversionSummary& summary) {
  Check(file.size() >= kelvane::kHeaderSize, "output shorter than its header");
  const unsigned glyphs = Word(file, 0);
  const unsigned ranges = Word(file, 2);
  const unsigned defaultIndex = Word(file, 4);
  const unsigned width = file[6], height = file[7], glyphBytes = file[8];
  Check(glyphs == static_cast<unsigned>(summary.glyphCount), "glyph count differs from summary");
  Check(ranges == static_cast<unsigned>(summary.rangeCount), "range count differs from summary");
  Check(width == static_cast<unsigned>(summary.cellWidth), "cell width differs from summary");
  Check(height == static_cast<unsigned>(summary.cellHeight), "cell height differs from summary");
  Check(glyphs > 0 && ranges > 0 && ranges <= glyphs, "glyph or range count out of bounds");
  Check(width > 0 && height > 0, "empty cell written");
  Check(glyphBytes == (width + 7) / 8 * height, "glyphBytes does not match the cell");
  Check(defaultIndex < glyphs, "default index past the last glyph");
  Check(file.size() == kelvane::kHeaderSize + 6 * ranges + glyphs * (1 + glyphBytes),
        "file size does not match its header");

  unsigned nextIndex = 0;
  for (unsigned r = 0; r < ranges; ++r) {
    const std::size_t at = kelvane::kHeaderSize + 6 * r;
    const unsigned first = Word(file, at), last = Word(file, at + 2), delta = Word(file, at + 4);
    Check(first <= last, "range ends before it starts");
    Check(delta <= first && first - delta == nextIndex, "range does not start at the next glyph");
    nextIndex += last - first + 1;
  }
  Check(nextIndex == glyphs, "ranges do not cover the glyphs exactly");
}

// The same bytes scanned from memory give the same glyph records as from the file.
void CheckSameAsInMemory(const std::uint8_t* data, std::size_t size,
                         const std::vector<std::uint8_t>& file) {
  kelvane::ByteInput input(std::string(reinterpret_cast<const char*>(data), size));
  kelvane::LineReaderState state;
  kelvane::BdfLines lines(input, state);
  const kelvane::ScanOutcome scan = kelvane::ScanFont(lines);
  Check(scan.refusal.empty(), "in-memory scan refused a font the file conversion accepted");
  const std::size_t records = file.size() - scan.state.glyphStore.size();
  Check(std::equal(scan.state.glyphStore.begin(), scan.state.glyphStore.end(),
                   file.begin() + static_cast<std::ptrdiff_t>(records)),
        "glyph records differ between file and memory");
}

// A refusal of a readable file is one of the font refusals, its quoted value cut short.
void CheckRefusalText(const std::string& text) {
  static const char* const kForms[] = {
      "CHARSET is not support! [",         "File is not support !",
      "Invalid number at line ",           "Value out of range at line ",
      "Code order not supported at line ", "Cell size changed at line ",
      "Unexpected end of file at line "};
  Check(std::any_of(std::begin(kForms), std::end(kForms),
                    [&](const char* form) { return text.starts_with(form); }),
        "unknown refusal text");
  Check(text.size() <= 130, "refusal text not cut short");
}

void CheckHostCalls(const RecordingHost& host, bool converted) {
  const std::vector<std::string> expected = converted
                                                ? std::vector<std::string>{"busy", "idle"}
                                                : std::vector<std::string>{"busy", "error", "idle"};
  Check(host.calls == expected, "host calls out of order");
  if (!converted) CheckRefusalText(host.errors.front());
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

  RecordingHost host;
  kelvane::LineReaderState lineState;
  const std::optional<kelvane::ConversionSummary> summary =
      kelvane::ConvertFileTo(input.string(), output.string(), host, lineState);

  CheckHostCalls(host, summary.has_value());
  if (summary) {
    const std::vector<std::uint8_t> file = ReadAll(output);
    CheckOutput(file, *summary);
    CheckSameAsInMemory(data, size, file);
  } else {
    Check(!fs::exists(output), "a refused font left an output file");
  }
  Check(EntryCount(dir) == (summary ? 2u : 1u), "a temporary file was left behind");
  return 0;
}
