#include "typeface/typeface_reader.h"

#include <ft2build.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "font/messages.h"
#include "tight_glyphs.h"
#include FT_FREETYPE_H
#include FT_BDF_H
#include FT_FONT_FORMATS_H
#include FT_WINFONTS_H

namespace kelvane::typeface {
namespace {

// Glyphs named in the detail of the warning about cut pixels.
constexpr std::size_t kCutGlyphsNamed = 5;
// The highest code kept: the last Unicode code point.
constexpr FT_ULong kMaxFontCode = 0x10FFFF;

struct LibraryDeleter {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<FT_LibraryRec_, LibraryDeleter>;
using Face = std::unique_ptr<FT_FaceRec_, FaceDeleter>;

std::string Hex(std::uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", code);
  return text;
}

std::string ListOf(const std::vector<int>& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    text += (i == 0 ? "" : ", ") + std::to_string(values[i]);
  }
  return text;
}

// What a file is refused for, in the model's words.
class Refusals {
 public:
  explicit Refusals(const std::string& fileName) : fileName_(fileName) {}
  Diagnostic NotSupported(std::string_view reason, Remedy remedy = Remedy::kNone) const {
    return {fileName_, 0, FileNotSupported(reason), remedy};
  }
  Diagnostic FreeType(FT_Error error, std::string_view what = {}) const {
    std::string reason = "FreeType: " + FreeTypeErrorText(error);
    if (!what.empty()) reason = std::string(what) + " (" + reason + ")";
    return NotSupported(reason);
  }
  Diagnostic OutOfRange(std::string_view line, std::string_view reason) const {
    return {fileName_, 0, ValueOutOfRangeAt(0, line, reason)};
  }
  Diagnostic Charset(std::string_view name) const {
    return {fileName_, 0, CharsetNotSupported(name)};
  }

 private:
  const std::string& fileName_;
};

Result<Face> OpenFace(FT_Library library, std::span<const std::uint8_t> bytes, int index,
                      const Refusals& refuse) {
  FT_Face face = nullptr;
  const FT_Error error =
      FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), index, &face);
  if (error != 0) return refuse.FreeType(error);
  return Face(face);
}

bool IsFormat(FT_Face face, std::string_view name) {
  const char* format = FT_Get_Font_Format(face);
  return format != nullptr && name == format;
}

// A strike's size in pixels per em (its height when it names none).
int StrikePixels(const FT_Bitmap_Size& size) {
  const int ppem = static_cast<int>((size.y_ppem + 32) >> 6);
  return ppem > 0 ? ppem : size.height;
}

std::optional<int> StrikeOf(FT_Face face, int pixels) {
  for (int i = 0; i < face->num_fixed_sizes; ++i) {
    if (StrikePixels(face->available_sizes[i]) == pixels) return i;
  }
  for (int i = 0; i < face->num_fixed_sizes; ++i) {
    if (face->available_sizes[i].height == pixels) return i;
  }
  return std::nullopt;
}

std::string SizesText(std::vector<int> sizes) {
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  return sizes.size() == 1 ? "its size is " + std::to_string(sizes.front()) + " pixels"
                           : "its sizes are " + ListOf(sizes) + " pixels";
}

std::vector<int> StrikeSizes(FT_Face face) {
  std::vector<int> sizes;
  for (int i = 0; i < face->num_fixed_sizes; ++i) {
    sizes.push_back(StrikePixels(face->available_sizes[i]));
  }
  return sizes;
}

// Which face to read: options.face, or for a .fon file holding one size a
// face, the face of options.pixelSize.
Result<int> ChooseFace(FT_Library library, std::span<const std::uint8_t> bytes, FT_Face first,
                       const FaceOptions& options, const Refusals& refuse) {
  const int faces = static_cast<int>(first->num_faces);
  if (options.face) {
    if (*options.face >= 0 && *options.face < faces) return *options.face;
    if (faces == 1) return refuse.NotSupported("the font has one face, 0", Remedy::kChooseFace);
    return refuse.NotSupported(
        "the collection has " + std::to_string(faces) + " faces, 0 to " + std::to_string(faces - 1),
        Remedy::kChooseFace);
  }
  if (faces == 1 || !IsFormat(first, "Windows FNT")) return 0;
  std::vector<int> sizes;
  for (int i = 0; i < faces; ++i) {
    auto face = OpenFace(library, bytes, i, refuse);
    if (!face) return std::move(face).error();
    const std::vector<int> own = StrikeSizes(face->get());
    if (options.pixelSize && std::find(own.begin(), own.end(), *options.pixelSize) != own.end()) {
      return i;
    }
    sizes.insert(sizes.end(), own.begin(), own.end());
  }
  if (options.pixelSize) {
    return refuse.NotSupported(
        "no size of " + std::to_string(*options.pixelSize) + " pixels; " + SizesText(sizes),
        Remedy::kChoosePixelSize);
  }
  return refuse.NotSupported(SizesText(sizes), Remedy::kChoosePixelSize);
}

// The "PCF" header's default character: the raw value of its encoding table,
// as pcf2bdf writes it as DEFAULT_CHAR. Read through the face's stream, which
// undoes gzip when the font is compressed.
std::optional<std::int32_t> PcfDefaultChar(FT_Face face) {
  FT_Stream stream = face->stream;
  auto read = [&](unsigned long offset, std::uint8_t* to, unsigned long count) {
    if (stream->read != nullptr) return stream->read(stream, offset, to, count) == count;
    if (offset > stream->size || count > stream->size - offset) return false;
    std::memcpy(to, stream->base + offset, count);
    return true;
  };
  auto le32 = [](const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
  };
  constexpr std::uint32_t kEncodingsTable = 1u << 5;
  constexpr std::uint32_t kMostSignificantByteFirst = 1u << 2;
  std::uint8_t header[8];
  if (!read(0, header, 8)) return std::nullopt;
  const std::uint32_t tables = std::min<std::uint32_t>(le32(header + 4), 64);
  for (std::uint32_t i = 0; i < tables; ++i) {
    std::uint8_t entry[16];
    if (!read(8 + 16 * i, entry, 16)) return std::nullopt;
    if (le32(entry) != kEncodingsTable) continue;
    std::uint8_t table[14];
    if (!read(le32(entry + 12), table, 14)) return std::nullopt;
    const bool msbFirst = (le32(table) & kMostSignificantByteFirst) != 0;
    const std::uint8_t* value = table + 12;
    return msbFirst ? value[0] << 8 | value[1] : value[1] << 8 | value[0];
  }
  return std::nullopt;
}

std::string PropertyAtom(FT_Face face, const char* name) {
  BDF_PropertyRec property{};
  if (FT_Get_BDF_Property(face, name, &property) != 0) return {};
  if (property.type != BDF_PROPERTY_TYPE_ATOM || property.u.atom == nullptr) return {};
  return property.u.atom;
}

// The character set as the BDF reader takes it: the CHARSET_REGISTRY and
// CHARSET_ENCODING properties, else the last two fields of an XLFD name.
void TakePcfCharset(FT_Face face, FontModel& model) {
  const char* encoding = nullptr;
  const char* registry = nullptr;
  if (FT_Get_BDF_Charset_ID(face, &encoding, &registry) == 0 && registry != nullptr) {
    model.registry = registry;
    model.encoding = encoding != nullptr ? encoding : "";
    return;
  }
  BDF_PropertyRec property{};
  if (FT_Get_BDF_Property(face, "CHARSET_REGISTRY", &property) == 0) {
    model.registry = PropertyAtom(face, "CHARSET_REGISTRY");
    model.encoding = PropertyAtom(face, "CHARSET_ENCODING");
    return;
  }
  const std::string name = PropertyAtom(face, "FONT");
  if (!name.starts_with('-') || std::count(name.begin(), name.end(), '-') != 14) return;
  const std::size_t encodingDash = name.rfind('-');
  const std::size_t registryDash = name.rfind('-', encodingDash - 1);
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  model.registry = upper.substr(registryDash + 1, encodingDash - registryDash - 1);
  model.encoding = upper.substr(encodingDash + 1);
  if (model.registry.empty()) model.encoding.clear();
}

// The font's codes and the glyphs they find, in code order.
std::vector<std::pair<std::int32_t, FT_UInt>> CodesOf(FT_Face face) {
  std::vector<std::pair<std::int32_t, FT_UInt>> codes;
  FT_UInt index = 0;
  for (FT_ULong code = FT_Get_First_Char(face, &index); index != 0 && code <= kMaxFontCode;
       code = FT_Get_Next_Char(face, code, &index)) {
    codes.emplace_back(static_cast<std::int32_t>(code), index);
  }
  return codes;
}

PixelRows RowsOf(const FT_Bitmap& bitmap) {
  PixelRows rows{bitmap.buffer, bitmap.pitch, static_cast<int>(bitmap.width),
                 static_cast<int>(bitmap.rows), bitmap.pixel_mode == FT_PIXEL_MODE_GRAY};
  if (rows.pitch < 0) rows.rows -= static_cast<std::ptrdiff_t>(rows.pitch) * (rows.height - 1);
  if (rows.rows == nullptr) rows.width = rows.height = 0;
  return rows;
}

class Reader {
 public:
  Reader(FT_Face face, const std::string& fileName, const FaceOptions& options,
         const CellCheck& check, FontModel model)
      : face_(face), options_(options), check_(check), refuse_(fileName), model_(std::move(model)) {
    fileIndex_ = static_cast<std::uint32_t>(model_.files.size());
    model_.files.push_back(fileName);
    model_.codeField = "code";
  }

  Result<FontModel> Run() {
    if (IsFormat(face_, "PCF")) return ReadPcf();
    return ReadRendered();
  }

 private:
  bool Wanted(std::int32_t code) const { return !options_.wanted || options_.wanted(code); }
  SourceLine Source() const { return {fileIndex_, 0}; }

  std::optional<Diagnostic> Advance(std::int32_t code, FT_Pos advance, std::uint8_t& to) const {
    const FT_Pos pixels = (advance + 32) >> 6;
    if (pixels < 0 || pixels > 255) {
      return refuse_.OutOfRange(
          "code " + Hex(static_cast<std::uint32_t>(code)),
          "an advance of " + std::to_string(pixels) + " pixels; advances go from 0 to 255");
    }
    to = static_cast<std::uint8_t>(pixels);
    return std::nullopt;
  }

  std::optional<Diagnostic> TakeCell(const FontBox& box, std::string line) {
    model_.box = box;
    model_.boxSource = Source();
    model_.boxLine = std::move(line);
    if (check_) {
      if (auto reason = check_(box)) return refuse_.OutOfRange(model_.boxLine, *reason);
    }
    return std::nullopt;
  }

  void WarnOfCut(const std::vector<std::int32_t>& codes, std::string_view where) {
    if (codes.empty()) return;
    std::string text = std::to_string(codes.size()) +
                       (codes.size() == 1 ? " glyph has" : " glyphs have") + " pixels outside " +
                       std::string(where) + "; those pixels were cut";
    std::string detail = "pixels cut: ";
    for (std::size_t i = 0; i < codes.size() && i < kCutGlyphsNamed; ++i) {
      detail += (i == 0 ? "" : ", ") + (codes[i] == kNoCode
                                            ? std::string("the default glyph")
                                            : "code " + Hex(static_cast<std::uint32_t>(codes[i])));
    }
    if (codes.size() > kCutGlyphsNamed) detail += ", ...";
    model_.warnings.push_back({std::move(text), std::move(detail)});
  }

  // PCF: the glyphs as stored, in the cell of every glyph's box.
  Result<FontModel> ReadPcf() {
    if (face_->num_fixed_sizes > 0) {
      if (options_.pixelSize && !StrikeOf(face_, *options_.pixelSize)) {
        return refuse_.NotSupported("no size of " + std::to_string(*options_.pixelSize) +
                                    " pixels; " + SizesText(StrikeSizes(face_)));
      }
      if (const FT_Error error = FT_Select_Size(face_, 0)) return refuse_.FreeType(error);
    }
    if (face_->num_charmaps > 0) FT_Set_Charmap(face_, face_->charmaps[0]);
    TakePcfCharset(face_, model_);
    model_.defaultChar = PcfDefaultChar(face_);

    // The union of every glyph's box, kept or not (FreeType's glyph 0 is a
    // copy of the default character's).
    std::int64_t left = 0, right = 0, ascent = 0, descent = 0;
    bool any = false;
    for (FT_Long index = 0; index < face_->num_glyphs; ++index) {
      if (const FT_Error error =
              FT_Load_Glyph(face_, static_cast<FT_UInt>(index), FT_LOAD_BITMAP_METRICS_ONLY)) {
        return refuse_.FreeType(error, "glyph " + std::to_string(index));
      }
      const FT_Glyph_Metrics& metrics = face_->glyph->metrics;
      const std::int64_t glyphLeft = metrics.horiBearingX >> 6;
      const std::int64_t glyphAscent = metrics.horiBearingY >> 6;
      const std::int64_t glyphRight = glyphLeft + (metrics.width >> 6);
      const std::int64_t glyphDescent = (metrics.height >> 6) - glyphAscent;
      left = any ? std::min(left, glyphLeft) : glyphLeft;
      right = any ? std::max(right, glyphRight) : glyphRight;
      ascent = any ? std::max(ascent, glyphAscent) : glyphAscent;
      descent = any ? std::max(descent, glyphDescent) : glyphDescent;
      any = true;
    }
    const auto codes = CodesOf(face_);
    if (codes.empty()) return refuse_.NotSupported("no glyphs");
    const FontBox box{static_cast<std::int32_t>(right - left),
                      static_cast<std::int32_t>(ascent + descent), static_cast<std::int32_t>(left),
                      static_cast<std::int32_t>(-descent)};
    if (box.width <= 0 || box.height <= 0) return refuse_.NotSupported("no glyph has pixels");
    if (auto refused = TakeCell(box, "FONTBOUNDINGBOX " + std::to_string(box.width) + " " +
                                         std::to_string(box.height) + " " + std::to_string(box.x) +
                                         " " + std::to_string(box.y))) {
      return std::move(*refused);
    }
    std::size_t kept = 0;
    for (const auto& [code, index] : codes) kept += Wanted(code) || code == model_.defaultChar;
    model_.ReserveBitmaps(kept);
    std::vector<std::int32_t> cut;
    for (const auto& [code, index] : codes) {
      if (!Wanted(code) && code != model_.defaultChar) continue;
      if (const FT_Error error = FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT)) {
        return refuse_.FreeType(error, "code " + Hex(static_cast<std::uint32_t>(code)));
      }
      const FT_GlyphSlot slot = face_->glyph;
      Glyph& glyph = model_.AddGlyph(code, Source());
      if (auto refused = Advance(code, slot->advance.x, glyph.advance)) return std::move(*refused);
      const std::int64_t top = (std::int64_t{box.y} + box.height) - slot->bitmap_top;
      const std::int64_t leftColumn = std::int64_t{slot->bitmap_left} - box.x;
      if (PlaceRows(RowsOf(slot->bitmap), leftColumn, top, box, model_.bitmap(glyph))) {
        cut.push_back(code);
      }
    }
    WarnOfCut(cut, model_.boxLine);
    return std::move(model_);
  }

  // The character map and registry of a face other than PCF.
  std::optional<Diagnostic> TakeCodes() {
    if (IsFormat(face_, "Windows FNT")) {
      FT_WinFNT_HeaderRec header{};
      if (const FT_Error error = FT_Get_WinFNT_Header(face_, &header)) {
        return refuse_.FreeType(error);
      }
      if (header.charset == FT_WinFNT_ID_CP932) {
        model_.registry = "JISX0201.1976";
        model_.encoding = "0";
      } else if (header.charset == FT_WinFNT_ID_CP1252) {
        model_.registry = "CP1252";
      } else {
        return refuse_.Charset(WindowsCharsetName(header.charset));
      }
      if (face_->num_charmaps > 0) FT_Set_Charmap(face_, face_->charmaps[0]);
      model_.defaultChar = header.first_char + header.default_char;
      return std::nullopt;
    }
    if (FT_Select_Charmap(face_, FT_ENCODING_UNICODE) != 0) {
      std::string maps;
      for (int i = 0; i < face_->num_charmaps; ++i) {
        const std::string name = EncodingName(face_->charmaps[i]->encoding);
        if (maps.find(name) == std::string::npos) maps += (maps.empty() ? "" : ", ") + name;
      }
      return refuse_.NotSupported(maps.empty() ? "no character map"
                                               : "no Unicode character map; only " + maps);
    }
    model_.registry = "ISO10646";
    model_.encoding = "1";
    return std::nullopt;
  }

  static std::string WindowsCharsetName(int charset) {
    struct Name {
      int id;
      const char* name;
    };
    static constexpr Name kNames[] = {{FT_WinFNT_ID_DEFAULT, "DEFAULT"},
                                      {FT_WinFNT_ID_SYMBOL, "SYMBOL"},
                                      {FT_WinFNT_ID_MAC, "MAC"},
                                      {FT_WinFNT_ID_CP949, "HANGUL"},
                                      {FT_WinFNT_ID_CP1361, "JOHAB"},
                                      {FT_WinFNT_ID_CP936, "GB2312"},
                                      {FT_WinFNT_ID_CP950, "CHINESEBIG5"},
                                      {FT_WinFNT_ID_CP1253, "GREEK"},
                                      {FT_WinFNT_ID_CP1254, "TURKISH"},
                                      {FT_WinFNT_ID_CP1258, "VIETNAMESE"},
                                      {FT_WinFNT_ID_CP1255, "HEBREW"},
                                      {FT_WinFNT_ID_CP1256, "ARABIC"},
                                      {FT_WinFNT_ID_CP1257, "BALTIC"},
                                      {FT_WinFNT_ID_CP1251, "RUSSIAN"},
                                      {FT_WinFNT_ID_CP874, "THAI"},
                                      {FT_WinFNT_ID_CP1250, "EASTEUROPE"},
                                      {FT_WinFNT_ID_OEM, "OEM"}};
    for (const Name& name : kNames) {
      if (name.id == charset) return std::string(name.name) + "_CHARSET " + std::to_string(charset);
    }
    return "Windows charset " + std::to_string(charset);
  }

  static std::string EncodingName(FT_Encoding encoding) {
    switch (encoding) {
      case FT_ENCODING_MS_SYMBOL:
        return "a symbol map";
      case FT_ENCODING_SJIS:
        return "a Shift_JIS map";
      case FT_ENCODING_PRC:
        return "a GB2312 map";
      case FT_ENCODING_BIG5:
        return "a Big5 map";
      case FT_ENCODING_WANSUNG:
        return "a Wansung map";
      case FT_ENCODING_JOHAB:
        return "a Johab map";
      case FT_ENCODING_APPLE_ROMAN:
        return "a Mac Roman map";
      case FT_ENCODING_ADOBE_STANDARD:
      case FT_ENCODING_ADOBE_EXPERT:
      case FT_ENCODING_ADOBE_CUSTOM:
      case FT_ENCODING_ADOBE_LATIN_1:
        return "an Adobe map";
      default:
        return "a legacy map";
    }
  }

  // Strike or outlines, and the pixel size.
  std::optional<Diagnostic> ChooseSize() {
    const bool scalable = FT_IS_SCALABLE(face_);
    if (!scalable) {
      if (face_->num_fixed_sizes == 0) return refuse_.NotSupported("no sizes");
      std::optional<int> strike;
      if (options_.pixelSize) {
        strike = StrikeOf(face_, *options_.pixelSize);
        if (!strike) {
          return refuse_.NotSupported("no size of " + std::to_string(*options_.pixelSize) +
                                          " pixels; " + SizesText(StrikeSizes(face_)),
                                      Remedy::kChoosePixelSize);
        }
      } else if (face_->num_fixed_sizes == 1) {
        strike = 0;
      } else {
        return refuse_.NotSupported(SizesText(StrikeSizes(face_)), Remedy::kChoosePixelSize);
      }
      if (const FT_Error error = FT_Select_Size(face_, *strike)) return refuse_.FreeType(error);
      return std::nullopt;
    }
    if (!options_.pixelSize) {
      return refuse_.NotSupported("an outline font", Remedy::kGivePixelSize);
    }
    if (!options_.outline) {
      if (const auto strike = StrikeOf(face_, *options_.pixelSize)) {
        if (const FT_Error error = FT_Select_Size(face_, *strike)) return refuse_.FreeType(error);
        return std::nullopt;
      }
    }
    outlines_ = true;
    if (const FT_Error error =
            FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(*options_.pixelSize))) {
      return refuse_.FreeType(error);
    }
    return std::nullopt;
  }

  FT_Int32 LoadFlags() const {
    if (!outlines_) return FT_LOAD_DEFAULT | FT_LOAD_RENDER | FT_LOAD_TARGET_MONO;
    FT_Int32 flags = FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO;
    if (options_.hinting == Hinting::kAuto) flags |= FT_LOAD_FORCE_AUTOHINT;
    if (options_.hinting == Hinting::kNone) flags |= FT_LOAD_NO_HINTING;
    return flags;
  }

  std::optional<Diagnostic> Render(std::int32_t code, FT_UInt index, TightGlyphs& glyphs) {
    const std::string what =
        code == kNoCode ? std::string("the default glyph") : "code " + Hex(code);
    if (const FT_Error error = FT_Load_Glyph(face_, index, LoadFlags())) {
      // .notdef need not have a bitmap in a strike: it is kept empty.
      if (code == kNoCode) {
        glyphs.Add(code, 0, 0, 0, PixelRows{});
        return std::nullopt;
      }
      return refuse_.FreeType(error, what);
    }
    const FT_GlyphSlot slot = face_->glyph;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP) {
      if (const FT_Error error = FT_Render_Glyph(slot, FT_RENDER_MODE_MONO)) {
        return refuse_.FreeType(error, what);
      }
    }
    std::uint8_t advance = 0;
    if (auto refused = Advance(code, slot->advance.x, advance)) return refused;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY &&
        bitmap.rows > 0 && bitmap.width > 0) {
      return refuse_.NotSupported(what + ": a colour bitmap");
    }
    glyphs.Add(code, advance, slot->bitmap_left, slot->bitmap_top, RowsOf(bitmap));
    return std::nullopt;
  }

  // The cell options.cell forces: the baseline at the font's ascent scaled
  // into the cell's height.
  FontBox ForcedCell() const {
    const auto [width, height] = *options_.cell;
    const double ascent = static_cast<double>(face_->size->metrics.ascender) / 64.0;
    const double descent = -static_cast<double>(face_->size->metrics.descender) / 64.0;
    int above = height;
    if (ascent + descent > 0) {
      above = static_cast<int>(std::lround(ascent * height / (ascent + descent)));
      above = std::clamp(above, 0, height);
    }
    return FontBox{width, height, 0, above - height};
  }

  // Strikes, bitmap-only sfnt, FNT and outlines: each kept glyph rendered,
  // then placed in the cell the glyphs need (or the one forced).
  Result<FontModel> ReadRendered() {
    if (auto refused = ChooseSize()) return std::move(*refused);
    if (auto refused = TakeCodes()) return std::move(*refused);
    std::optional<FontBox> forced;
    if (options_.cell) {
      forced = ForcedCell();
      const std::string line =
          "the cell " + std::to_string(forced->width) + "x" + std::to_string(forced->height);
      if (forced->width <= 0 || forced->height <= 0) return refuse_.OutOfRange(line, "too small");
      if (auto refused = TakeCell(*forced, line)) return std::move(*refused);
    }
    TightGlyphs glyphs;
    const bool sfntDefault = !model_.defaultChar.has_value();
    if (sfntDefault) {
      if (auto refused = Render(kNoCode, 0, glyphs)) return std::move(*refused);
    }
    for (const auto& [code, index] : CodesOf(face_)) {
      if (!Wanted(code) && code != model_.defaultChar) continue;
      if (auto refused = Render(code, index, glyphs)) return std::move(*refused);
    }
    if (glyphs.glyphs().size() <= (sfntDefault ? 1u : 0u)) {
      return refuse_.NotSupported("no glyphs");
    }
    if (sfntDefault) model_.defaultChar = kNoCode;
    if (!forced) {
      const FontBox box = *glyphs.Cell();
      if (auto refused = TakeCell(
              box, "the cell " + std::to_string(box.width) + "x" + std::to_string(box.height))) {
        return std::move(*refused);
      }
    }
    model_.ReserveBitmaps(glyphs.glyphs().size());
    const auto cut = glyphs.PlaceInto(model_, Source());
    WarnOfCut(cut, model_.boxLine);
    return std::move(model_);
  }

  FT_Face face_;
  const FaceOptions& options_;
  const CellCheck& check_;
  Refusals refuse_;
  FontModel model_;
  std::uint32_t fileIndex_ = 0;
  bool outlines_ = false;
};

}  // namespace

Result<FontModel> ReadTypeface(std::span<const std::uint8_t> bytes, const std::string& fileName,
                               const FaceOptions& options, const CellCheck& check,
                               FontModel model) {
  const Refusals refuse(fileName);
  if (bytes.empty()) return refuse.NotSupported("an empty file");
  FT_Library raw = nullptr;
  if (const FT_Error error = FT_Init_FreeType(&raw)) return refuse.FreeType(error);
  const Library library(raw);
  auto first = OpenFace(raw, bytes, 0, refuse);
  if (!first) return std::move(first).error();
  const auto index = ChooseFace(raw, bytes, first->get(), options, refuse);
  if (!index) return index.error();
  Face face = std::move(*first);
  if (*index != 0) {
    auto chosen = OpenFace(raw, bytes, *index, refuse);
    if (!chosen) return std::move(chosen).error();
    face = std::move(*chosen);
  }
  return Reader(face.get(), fileName, options, check, std::move(model)).Run();
}

}  // namespace kelvane::typeface
