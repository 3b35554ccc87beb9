#include "file_kind.h"

#include <algorithm>
#include <array>

#include "simple_fonts/simple_fonts.h"

namespace kelvane {
namespace {

std::uint32_t Little(std::string_view bytes, std::size_t at, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = count; i-- > 0;)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// A Windows .fnt file: version 1, 2 or 3, and a size field equal to the file's.
bool LooksLikeFnt(std::string_view bytes, std::optional<std::uint64_t> size) {
  if (!size || bytes.size() < 6) return false;
  const std::uint32_t version = Little(bytes, 0, 2);
  return (version == 0x100 || version == 0x200 || version == 0x300) && Little(bytes, 2, 4) == *size;
}

bool LooksBinary(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u == 0 || (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f');
  });
}

}  // namespace

FileKind SniffFileKind(std::string_view firstBytes, std::optional<std::uint64_t> size) {
  if (firstBytes.empty()) return FileKind::kEmpty;
  constexpr std::array<std::string_view, 6> kSfntTags = {
      std::string_view("\x00\x01\x00\x00", 4), "OTTO", "true", "ttcf", "wOFF", "wOF2"};
  const auto startsWith = [firstBytes](std::string_view tag) {
    return firstBytes.starts_with(tag);
  };
  if (startsWith("STARTFONT")) return FileKind::kBdf;
  if (startsWith("\x1F\x8B")) return FileKind::kGzip;
  if (startsWith("\x01"
                 "fcp")) {
    return FileKind::kPcf;
  }
  if (std::any_of(kSfntTags.begin(), kSfntTags.end(), startsWith)) return FileKind::kSfnt;
  if (simple::LooksLikeFontx2(firstBytes)) return FileKind::kFontx2;
  if (simple::LooksLikePsf2(firstBytes)) return FileKind::kPsf2;
  if (startsWith("MZ") || LooksLikeFnt(firstBytes, size)) return FileKind::kWindows;
  if (simple::LooksLikePsf1(firstBytes)) return FileKind::kPsf1;
  if (simple::LooksLikeHex(firstBytes)) return FileKind::kHex;
  return LooksBinary(firstBytes) ? FileKind::kBinary : FileKind::kText;
}

bool HasLongSignature(FileKind kind) {
  switch (kind) {
    case FileKind::kBdf:
    case FileKind::kGzip:
    case FileKind::kPcf:
    case FileKind::kSfnt:
    case FileKind::kFontx2:
    case FileKind::kPsf2:
      return true;
    default:
      return false;
  }
}

bool ReadsWholeFile(FileKind kind) {
  return kind != FileKind::kBdf && kind != FileKind::kText && kind != FileKind::kEmpty &&
         kind != FileKind::kGzip;
}

std::optional<std::string> UnreadableReason(FileKind kind, bool insideGzip) {
  switch (kind) {
    case FileKind::kEmpty:
      return "an empty file";
    case FileKind::kGzip:
      return insideGzip ? "gzip data inside gzip data" : "gzip-compressed";
    case FileKind::kBinary:
      return "binary data, not a font kelvane reads";
    default:
      return std::nullopt;
  }
}

}  // namespace kelvane
