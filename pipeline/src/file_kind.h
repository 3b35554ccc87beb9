// What a file is, told by its first bytes, whatever it is called.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

enum class FileKind {
  kEmpty,
  kBdf,     // starts with STARTFONT
  kGzip,    // 1F 8B
  kPcf,     // 01 'f' 'c' 'p'
  kBinary,  // control bytes that text does not hold (a KVN file among others)
  kText,    // text without a signature: read as BDF when nothing else takes it
};

// The kind of the file whose first bytes (up to 512) these are.
FileKind SniffFileKind(std::string_view firstBytes);

// Whether the kind is told by a signature of several bytes, which a file of
// another kind will not start with by chance.
bool HasLongSignature(FileKind kind);

// Why a file of this kind is not read as a BDF font ("a PCF font, not BDF;
// ..."), or nullopt when it is; `insideGzip`: the bytes came out of gzip data.
// Binary data is read all the same, in case it holds a font after all.
std::optional<std::string> NotBdfReason(FileKind kind, bool insideGzip);

}  // namespace kelvane
