#include "file_kind.h"

#include <algorithm>

namespace kelvane {

FileKind SniffFileKind(std::string_view firstBytes) {
  if (firstBytes.empty()) return FileKind::kEmpty;
  if (firstBytes.starts_with("STARTFONT")) return FileKind::kBdf;
  if (firstBytes.starts_with("\x1F\x8B")) return FileKind::kGzip;
  if (firstBytes.starts_with("\x01"
                             "fcp")) {
    return FileKind::kPcf;
  }
  const bool binary = std::any_of(firstBytes.begin(), firstBytes.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u == 0 || (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f');
  });
  return binary ? FileKind::kBinary : FileKind::kText;
}

bool HasLongSignature(FileKind kind) {
  return kind == FileKind::kBdf || kind == FileKind::kGzip || kind == FileKind::kPcf;
}

std::optional<std::string> NotBdfReason(FileKind kind, bool insideGzip) {
  switch (kind) {
    case FileKind::kEmpty:
      return "an empty file";
    case FileKind::kPcf:
      return "a PCF font, not BDF; pcf2bdf converts it";
    case FileKind::kGzip:
      return insideGzip ? "gzip data inside gzip data" : "gzip-compressed";
    case FileKind::kBinary:
      return "binary data, not a BDF font";
    case FileKind::kBdf:
    case FileKind::kText:
      break;
  }
  return std::nullopt;
}

}  // namespace kelvane
