// A checking tool, not a test: reads a font through the typeface reader and
// compares the model with another.
//   typeface_compare bdf FONT BDF        FONT (PCF) against the BDF reader's model of BDF
//                                        (pcf2bdf's output): box, registry, default, glyphs
//   typeface_compare ink A [opts] -- B [opts]   the glyphs of two fonts pixel by pixel from
//                                        the origin (opts: size N, outline, auto, none, face N)
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bdf/bdf_scan.h"
#include "typeface/typeface_reader.h"

using namespace kelvane;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Text(const std::optional<std::int32_t>& value) {
  return value ? std::to_string(*value) : "none";
}

// The set pixels of a glyph, as (x, y) from the origin, y up.
std::set<std::pair<int, int>> Ink(const FontModel& font, const Glyph& glyph) {
  std::set<std::pair<int, int>> ink;
  const auto bitmap = font.bitmap(glyph);
  const auto rowBytes = font.bytesPerRow();
  for (int row = 0; row < font.box.height; ++row) {
    for (int column = 0; column < font.box.width; ++column) {
      if (bitmap[row * rowBytes + column / 8] & (0x80 >> (column % 8))) {
        ink.emplace(font.box.x + column, font.box.y + font.box.height - 1 - row);
      }
    }
  }
  return ink;
}

int CompareWithBdf(const std::string& fontPath, const std::string& bdfPath) {
  const auto bytes = Bytes(fontPath);
  auto font = typeface::ReadTypeface(bytes, fontPath, {}, {});
  if (!font) return std::printf("typeface: %s\n", font.error().text.c_str()), 2;
  const auto bdfBytes = Bytes(bdfPath);
  bdf::ByteInput input(std::string(bdfBytes.begin(), bdfBytes.end()));
  bdf::LineReaderState state;
  auto bdf = bdf::ScanBdf(input, state, bdfPath, {});
  if (!bdf) return std::printf("bdf: %s\n", bdf.error().text.c_str()), 2;
  int differences = 0;
  auto differ = [&](const std::string& what, const std::string& ours, const std::string& theirs) {
    if (ours == theirs) return;
    if (++differences <= 10) {
      std::printf("%s: %s: ours %s, pcf2bdf %s\n", fontPath.c_str(), what.c_str(), ours.c_str(),
                  theirs.c_str());
    }
  };
  differ("boxLine", font->boxLine, bdf->boxLine);
  differ("registry", font->registry + "-" + font->encoding, bdf->registry + "-" + bdf->encoding);
  differ("default", Text(font->defaultChar), Text(bdf->defaultChar));
  differ("glyphs", std::to_string(font->glyphs.size()), std::to_string(bdf->glyphs.size()));
  std::map<std::int32_t, const Glyph*> theirs;
  for (const Glyph& glyph : bdf->glyphs) theirs[glyph.code] = &glyph;
  for (const Glyph& glyph : font->glyphs) {
    const auto found = theirs.find(glyph.code);
    const std::string code = "code " + std::to_string(glyph.code);
    if (found == theirs.end()) {
      differ(code, "present", "absent");
      continue;
    }
    differ(code + " advance", std::to_string(glyph.advance),
           std::to_string(found->second->advance));
    const auto a = font->bitmap(glyph);
    const auto b = bdf->bitmap(*found->second);
    differ(code + " bitmap", "", std::equal(a.begin(), a.end(), b.begin(), b.end()) ? "" : "other");
  }
  std::printf("%s: %zu glyphs, %d differences\n", fontPath.c_str(), font->glyphs.size(),
              differences);
  return differences == 0 ? 0 : 1;
}

Result<FontModel> ReadWith(char** arg, char** end, char*** next) {
  const std::string path = *arg++;
  typeface::FaceOptions options;
  for (; arg != end && std::string(*arg) != "--"; ++arg) {
    const std::string word = *arg;
    if (word == "size") options.pixelSize = std::stoi(*++arg);
    if (word == "face") options.face = std::stoi(*++arg);
    if (word == "outline") options.outline = true;
    if (word == "auto") options.hinting = typeface::Hinting::kAuto;
    if (word == "none") options.hinting = typeface::Hinting::kNone;
  }
  *next = arg == end ? end : arg + 1;
  const auto bytes = Bytes(path);
  return typeface::ReadTypeface(bytes, path, options, {});
}

int CompareInk(char** arg, char** end) {
  auto a = ReadWith(arg, end, &arg);
  auto b = ReadWith(arg, end, &arg);
  if (!a || !b) {
    return std::printf("%s\n", (!a ? a.error() : b.error()).text.c_str()), 2;
  }
  std::map<std::int32_t, const Glyph*> theirs;
  for (const Glyph& glyph : b->glyphs) theirs[glyph.code] = &glyph;
  long same = 0, other = 0, advances = 0, absent = 0, added = 0, dropped = 0;
  for (const Glyph& glyph : a->glyphs) {
    const auto found = theirs.find(glyph.code);
    if (found == theirs.end()) {
      ++absent;
      continue;
    }
    const auto ours = Ink(*a, glyph);
    const auto them = Ink(*b, *found->second);
    advances += glyph.advance != found->second->advance;
    if (ours == them) {
      ++same;
      continue;
    }
    if (++other <= 5) std::printf("differs: code 0x%04X\n", glyph.code);
    for (const auto& p : ours) added += !them.count(p);
    for (const auto& p : them) dropped += !ours.count(p);
  }
  std::printf(
      "first: %zu glyphs, cell %dx%d; second: %zu glyphs, cell %dx%d\n"
      "shared codes: %ld same, %ld differ (%ld pixels only in the first, %ld only in the "
      "second), %ld advances differ; %ld codes of the first absent from the second\n",
      a->glyphs.size(), a->box.width, a->box.height, b->glyphs.size(), b->box.width, b->box.height,
      same, other, added, dropped, advances, absent);
  return other == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "bdf") return CompareWithBdf(argv[2], argv[3]);
  if (argc >= 3 && std::string(argv[1]) == "ink") return CompareInk(argv + 2, argv + argc);
  std::fprintf(stderr, "usage: typeface_compare bdf FONT BDF | ink A [opts] -- B [opts]\n");
  return 2;
}
