// Runs the FONTX2, Unifont .hex and PSF readers on arbitrary bytes and checks
// what they give: a refusal in one of the known forms, or a model whose cell,
// glyphs, bitmaps, codes and warnings hold together, of a file the pipeline's
// sniffing would have sent to that reader.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "simple_fonts/simple_fonts.h"

namespace {

using kelvane::FontBox;
using kelvane::FontModel;
using kelvane::Glyph;
using kelvane::Result;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}

// The limit the pipeline passes: a cell the output layout can store.
std::optional<std::string> CellLimit(const FontBox& box) {
  if (box.width > 255 || box.height > 255) return "the cell is too large";
  if (kelvane::GlyphBytes(box.width, box.height) > 255) return "a glyph needs too many bytes";
  return std::nullopt;
}

void CheckRefusal(const kelvane::Diagnostic& refusal, const std::string& fileName) {
  static const char* const kForms[] = {"File is not support ! (", "Invalid line at line ",
                                       "Value out of range", "Duplicate code"};
  Check(std::any_of(std::begin(kForms), std::end(kForms),
                    [&](const char* form) { return refusal.text.starts_with(form); }),
        "unknown refusal text");
  Check(refusal.file == fileName, "refusal names another file");
  Check(refusal.text.size() <= 300, "refusal text not cut short");
}

// Every glyph's bitmap has the cell's size with no bit right of the width,
// its advance is one the format gives, and no two glyphs share a code.
void CheckModel(const FontModel& model, const std::string& fileName,
                const std::vector<int>& advances) {
  Check(model.files.size() == 1 && model.files[0] == fileName, "files");
  Check(model.box.width > 0 && model.box.height > 0, "empty cell");
  Check(!CellLimit(model.box), "a cell the check refused was kept");
  Check(!model.boxLine.empty(), "no box line");
  Check(!model.glyphs.empty(), "a font without glyphs");
  Check(!model.defaultChar, "a default character");
  const auto rowBytes = static_cast<std::size_t>(model.bytesPerRow());
  const auto padding =
      static_cast<std::uint8_t>(0xFF >> (model.box.width % 8 == 0 ? 8 : model.box.width % 8));
  std::vector<std::int32_t> codes;
  for (const Glyph& glyph : model.glyphs) {
    const auto bitmap = model.bitmap(glyph);
    Check(bitmap.size() == static_cast<std::size_t>(model.glyphBytes()), "bitmap size");
    for (std::size_t at = rowBytes - 1; at < bitmap.size(); at += rowBytes) {
      Check((bitmap[at] & padding) == 0, "bits right of the width");
    }
    Check(std::find(advances.begin(), advances.end(), glyph.advance) != advances.end(), "advance");
    Check(glyph.code == glyph.sourceCode && glyph.code >= 0 && glyph.code <= 0x10FFFF, "code");
    Check(glyph.source.file == 0, "source file");
    codes.push_back(glyph.code);
  }
  std::sort(codes.begin(), codes.end());
  Check(std::adjacent_find(codes.begin(), codes.end()) == codes.end(), "two glyphs, one code");
  for (const kelvane::Warning& warning : model.warnings) {
    Check(!warning.text.empty() && !warning.detail.empty(), "empty warning");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace simple = kelvane::simple;
  const std::span<const std::uint8_t> bytes(data, size);
  const std::string_view first(reinterpret_cast<const char*>(data),
                               std::min<std::size_t>(size, 512));
  const std::string name = "fuzz.font";

  const auto fontx2 = simple::ReadFontx2(bytes, name, CellLimit);
  if (fontx2) {
    Check(simple::LooksLikeFontx2(first), "FONTX2 read, not recognized");
    const int width = fontx2->box.width;
    CheckModel(*fontx2, name, {width});
    Check(fontx2->registry == "JISX0201.1976" || fontx2->registry == "JISX0208.1983", "registry");
    for (const Glyph& glyph : fontx2->glyphs) {
      Check(glyph.code <= (fontx2->registry == "JISX0201.1976" ? 0xFF : 0x987E), "FONTX2 code");
    }
  } else {
    CheckRefusal(fontx2.error(), name);
  }

  const auto hex = simple::ReadHex(bytes, name, CellLimit);
  if (hex) {
    if (first.find(':') != std::string_view::npos) {
      Check(simple::LooksLikeHex(first), "hex read, not recognized");
    }
    CheckModel(*hex, name, {8, 16});
    Check(hex->box == FontBox{hex->box.width, 16, 0, -2} &&
              (hex->box.width == 8 || hex->box.width == 16),
          "hex box");
    for (const Glyph& glyph : hex->glyphs) Check(glyph.code <= 0xFFFF, "hex code above FFFF");
  } else {
    CheckRefusal(hex.error(), name);
  }

  const auto psf = simple::ReadPsf(bytes, name, CellLimit);
  if (psf) {
    Check(simple::LooksLikePsf1(first) || simple::LooksLikePsf2(first), "PSF read, not recognized");
    CheckModel(*psf, name, {psf->box.width});
    Check(psf->box.x == 0 && psf->box.y == 0, "PSF box");
  } else {
    CheckRefusal(psf.error(), name);
  }
  return 0;
}
