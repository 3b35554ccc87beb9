// Times the device reader (kvn/reader/kvn_reader.c):
//   - opening KVN files of growing size: the file read into memory and
//     validated by kvn_open, and kvn_open alone on bytes already in memory,
//     beside fonts made in memory with more and more ranges;
//   - kvn_lookup of every code 0..65535 in a real font, with its ranges
//     ascending (binary search) and the same file with its ranges reversed
//     (a scan in file order);
//   - `kvn sheet` drawing that font (wall time of the process, median of 5).
//
// Usage: reader_bench --kvn KVN --font FONT.kvn --png OUT.png FILE.kvn...
// bench/reader.sh builds it and makes the files.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kvn_reader.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// Results are added here so that no timed call can be left out.
volatile std::uint64_t sink = 0;

[[noreturn]] void Fail(const std::string& text) {
  std::fprintf(stderr, "reader_bench: %s\n", text.c_str());
  std::exit(1);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Nanoseconds per call of `work`: the median of 9 batches, each of as many
// calls as take at least 20 ms.
template <class Work>
double NsPerCall(Work&& work) {
  const auto batch = [&work](std::size_t calls) {
    const Clock::time_point start = Clock::now();
    for (std::size_t i = 0; i < calls; ++i) work();
    return Seconds(Clock::now() - start);
  };
  std::size_t calls = 1;
  while (batch(calls) < 0.02) calls *= 2;
  std::vector<double> each;
  for (int i = 0; i < 9; ++i) each.push_back(batch(calls) * 1e9 / static_cast<double>(calls));
  std::sort(each.begin(), each.end());
  return each[each.size() / 2];
}

kvn_font Open(const Bytes& bytes, const std::string& name) {
  kvn_font font;
  const kvn_status status = kvn_open(&font, bytes.data(), bytes.size());
  if (status != KVN_OK) Fail(name + ": " + kvn_status_text(status));
  return font;
}

// The file read with read(2) into `buffer` (as large as the file), then opened.
void ReadAndOpen(const std::string& path, Bytes& buffer) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) Fail("cannot open " + path);
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t got = ::read(fd, buffer.data() + done, buffer.size() - done);
    if (got <= 0) Fail("cannot read " + path);
    done += static_cast<std::size_t>(got);
  }
  ::close(fd);
  kvn_font font;
  sink = sink + kvn_open(&font, buffer.data(), buffer.size()) + font.glyph_count;
}

void OpenFiles(const std::vector<std::string>& paths) {
  std::printf(
      "Opening KVN files (read(2) into memory, then kvn_open; kvn_open alone on the\n"
      "bytes in memory):\n\n");
  std::printf("| %-24s | %10s | %6s | %6s | %15s | %12s | %15s |\n", "file", "bytes", "glyphs",
              "ranges", "read + open ns", "ns per byte", "kvn_open ns");
  std::printf("|%s|%s:|%s:|%s:|%s:|%s:|%s:|\n", std::string(26, '-').c_str(),
              std::string(11, '-').c_str(), std::string(7, '-').c_str(),
              std::string(7, '-').c_str(), std::string(16, '-').c_str(),
              std::string(13, '-').c_str(), std::string(16, '-').c_str());
  double firstPerByte = 0, lastPerByte = 0;
  std::size_t firstSize = 0, lastSize = 0;
  double firstNs = 0, lastNs = 0;
  for (const std::string& path : paths) {
    const Bytes bytes = ReadFile(path);
    const kvn_font font = Open(bytes, path);
    Bytes buffer(bytes.size());
    const double readOpen = NsPerCall([&] { ReadAndOpen(path, buffer); });
    const double openOnly = NsPerCall([&] {
      kvn_font opened;
      sink = sink + kvn_open(&opened, bytes.data(), bytes.size()) + opened.glyph_count;
    });
    const double perByte = readOpen / static_cast<double>(bytes.size());
    const std::string name = path.substr(path.find_last_of('/') + 1);
    std::printf("| %-24s | %10zu | %6u | %6u | %15.0f | %12.3f | %15.1f |\n", name.c_str(),
                bytes.size(), font.glyph_count, font.range_count, readOpen, perByte, openOnly);
    if (firstSize == 0) firstSize = bytes.size(), firstNs = readOpen, firstPerByte = perByte;
    lastSize = bytes.size(), lastNs = readOpen, lastPerByte = perByte;
  }
  if (paths.size() > 1) {
    std::printf(
        "\nlargest / smallest: %.2fx the bytes, %.2fx the read + open time (%.3f to %.3f "
        "ns per byte)\n",
        static_cast<double>(lastSize) / static_cast<double>(firstSize), lastNs / firstNs,
        firstPerByte, lastPerByte);
  }
}

// A font of `ranges` one-glyph ranges (codes 0, 2, 4, ...) of 8 x 8 glyphs.
Bytes FontOfRanges(unsigned ranges) {
  Bytes bytes;
  const auto word = [&bytes](unsigned value) {
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
  };
  word(ranges);
  word(ranges);
  word(0);
  bytes.insert(bytes.end(), {8, 8, 8});
  for (unsigned i = 0; i < ranges; ++i) {
    word(2 * i);
    word(2 * i);
    word(i);  // glyph i
  }
  for (unsigned i = 0; i < ranges; ++i) {
    bytes.push_back(8);
    bytes.insert(bytes.end(), 8, static_cast<std::uint8_t>(i));
  }
  return bytes;
}

void OpenByRanges() {
  std::printf(
      "\nkvn_open reads the header and the ranges, never the glyphs; by range count\n"
      "(fonts made in memory, one glyph a range):\n\n");
  std::printf("| %8s | %10s | %12s | %13s |\n", "ranges", "bytes", "kvn_open ns", "ns per range");
  std::printf("|---------:|-----------:|-------------:|--------------:|\n");
  for (const unsigned ranges : {1000u, 4000u, 16000u, 32000u}) {
    const Bytes bytes = FontOfRanges(ranges);
    Open(bytes, std::to_string(ranges) + " ranges");
    const double ns = NsPerCall([&] {
      kvn_font font;
      sink = sink + kvn_open(&font, bytes.data(), bytes.size()) + font.range_count;
    });
    std::printf("| %8u | %10zu | %12.0f | %13.2f |\n", ranges, bytes.size(), ns, ns / ranges);
  }
}

// One kvn_lookup of every code 0..65535; the sum of the found indexes.
std::uint64_t LookUpEveryCode(const kvn_font& font) {
  std::uint64_t sum = 0;
  for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
    std::uint16_t index = 0;
    if (kvn_lookup(&font, code, &index) != 0) sum += index + 1u;
  }
  return sum;
}

void LookUps(const std::string& path) {
  const Bytes ascending = ReadFile(path);
  const kvn_font font = Open(ascending, path);
  if (!font.ranges_ascend) Fail(path + ": the ranges do not ascend");
  // The same file with its range records in reverse order.
  Bytes reversed = ascending;
  for (unsigned i = 0; i < font.range_count; ++i) {
    const std::size_t from = 9 + 6u * i, to = 9 + 6u * (font.range_count - 1u - i);
    std::copy_n(ascending.begin() + from, 6, reversed.begin() + to);
  }
  const kvn_font scanned = Open(reversed, path + " reversed");
  if (scanned.ranges_ascend) Fail(path + ": the reversed ranges still ascend");
  unsigned found = 0;
  for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
    std::uint16_t a = 0, b = 0;
    const int inA = kvn_lookup(&font, code, &a), inB = kvn_lookup(&scanned, code, &b);
    if (inA != inB || a != b) Fail("the two files disagree at code " + std::to_string(code));
    found += inA != 0 ? 1u : 0u;
  }
  const double binary = NsPerCall([&] { sink = sink + LookUpEveryCode(font); }) / 65536;
  const double scan = NsPerCall([&] { sink = sink + LookUpEveryCode(scanned); }) / 65536;
  const std::string name = path.substr(path.find_last_of('/') + 1);
  std::printf(
      "\nkvn_lookup of every code 0..65535 in %s (%u glyphs, %u ranges; %u codes "
      "found, the same in both):\n\n",
      name.c_str(), font.glyph_count, font.range_count, found);
  std::printf("| %-36s | %13s |\n", "ranges", "ns per lookup");
  std::printf("|--------------------------------------|--------------:|\n");
  std::printf("| %-36s | %13.1f |\n", "ascending (binary search)", binary);
  std::printf("| %-36s | %13.1f |\n", "reversed (a scan in file order)", scan);
  std::printf("\nthe scan takes %.1fx as long\n", scan / binary);
}

// Wall seconds of one run of `args`, which must exit 0.
double RunOnce(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const Clock::time_point start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) Fail("cannot run " + args[0]);
  const double seconds = Seconds(Clock::now() - start);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail(args[0] + " " + args[1] + " failed");
  return seconds;
}

void Sheet(const std::string& kvn, const std::string& font, const std::string& png) {
  const std::vector<std::string> args = {kvn, "sheet", font, "-o", png};
  RunOnce(args);  // warms the page cache
  std::vector<double> ms;
  for (int i = 0; i < 5; ++i) ms.push_back(RunOnce(args) * 1000);
  const Bytes image = ReadFile(png);
  if (image.size() < 24) Fail(png + ": no PNG");
  const auto big = [&image](std::size_t at) {
    return static_cast<unsigned>(image[at]) << 24 | static_cast<unsigned>(image[at + 1]) << 16 |
           static_cast<unsigned>(image[at + 2]) << 8 | image[at + 3];
  };
  std::vector<double> sorted = ms;
  std::sort(sorted.begin(), sorted.end());
  std::printf("\nkvn sheet %s -o sheet.png: %ux%u pixels, %zu bytes of PNG\n",
              font.substr(font.find_last_of('/') + 1).c_str(), big(16), big(20), image.size());
  std::printf("  runs (ms):");
  for (const double each : ms) std::printf(" %.0f", each);
  std::printf("\n  median of 5: %.0f ms (target under 1000 ms: %s)\n", sorted[2],
              sorted[2] < 1000 ? "met" : "not met");
}

}  // namespace

int main(int argc, char** argv) {
  std::string kvn, font, png;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--kvn" || arg == "--font" || arg == "--png") && i + 1 < argc) {
      (arg == "--kvn" ? kvn : arg == "--font" ? font : png) = argv[++i];
    } else {
      files.push_back(arg);
    }
  }
  if (kvn.empty() || font.empty() || png.empty() || files.empty()) {
    std::fprintf(stderr,
                 "usage: reader_bench --kvn KVN --font FONT.kvn --png OUT.png FILE.kvn...\n");
    return 2;
  }
  OpenFiles(files);
  OpenByRanges();
  LookUps(font);
  Sheet(kvn, font, png);
  return 0;
}
