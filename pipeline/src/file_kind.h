// What a file is, told by its first bytes, whatever it is called.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

enum class FileKind {
  kEmpty,
  // Told by signatures of several bytes, which a file of another kind does
  // not start with by chance:
  kBdf,     // STARTFONT
  kGzip,    // 1F 8B
  kPcf,     // 01 'f' 'c' 'p'
  kSfnt,    // TrueType, OpenType, collections, WOFF, WOFF2
  kFontx2,  // FONTX2
  kPsf2,    // 72 B5 4A 86
  // Told by short signatures, which a KVN file may start with too:
  kWindows,  // MZ: a .fon file; or a .fnt file whose size field is its size
  kPsf1,     // 36 04
  kHex,      // lines of a code, ':' and 32 or 64 hex digits
  kBinary,   // control bytes that text does not hold
  kText,     // text without a signature: read as BDF
};

// The kind of the file whose first bytes (up to 512) these are; `size`, the
// whole file's, when it is known (a .fnt file is told by it).
FileKind SniffFileKind(std::string_view firstBytes, std::optional<std::uint64_t> size = {});

// Whether the kind is told by a long signature.
bool HasLongSignature(FileKind kind);

// Whether the kind is read through a reader that needs the whole file in memory.
bool ReadsWholeFile(FileKind kind);

// Why a file of this kind is not read at all ("a PCF font, not BDF; ..."), or
// nullopt when a reader takes it; `insideGzip`: the bytes came out of gzip data.
std::optional<std::string> UnreadableReason(FileKind kind, bool insideGzip);

}  // namespace kelvane
