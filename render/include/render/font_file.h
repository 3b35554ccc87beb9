// The font a command looks at: a KVN file as the device reader opens it, or a
// BDF font converted into KVN bytes in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "font/result.h"
#include "kvn_reader.h"
#include "pipeline/conversion.h"

namespace kelvane {

struct LoadedFont {
  std::string path;
  bool converted = false;           // a BDF font converted in memory
  std::uint64_t fileSize = 0;       // of the KVN file, or of the conversion
  std::vector<std::uint8_t> bytes;  // as read (KVN files: no more than a font can use)
  kvn_font font{};                  // opened on `bytes`

  // The bytes the header accounts for; a file may have more after them.
  std::size_t DataSize() const;
};

// Whether the name says BDF: it ends in .bdf or .bdf.gz, in any case.
bool HasBdfName(std::string_view path);

// Whether a file of this name and these first bytes is read as BDF: a name
// ending in .bdf or .bdf.gz, or (`opensAsKvn` false) bytes that start like a
// BDF font or a gzip stream.
bool IsBdfInput(std::string_view path, std::string_view firstBytes, bool opensAsKvn);

// Reads `path` and opens it with the device reader, converting BDF input with
// `options` first. A KVN file the reader refuses gives the reader's text.
// The font does not move: the reader's view points into its bytes.
Result<std::unique_ptr<LoadedFont>> LoadFont(const std::string& path,
                                             const ConversionOptions& options,
                                             bdf::LineReaderState& lineState);

// A code and the glyph the reader finds for it.
struct CodedGlyph {
  std::uint16_t code;
  std::uint16_t index;
};

// Every code a lookup finds, in the order of the ranges and of the codes in
// each; a code that an earlier range holds too is left to that range.
std::vector<CodedGlyph> CodesThroughRanges(const kvn_font& font);

// A code as text: 0x and at least 4 uppercase hexadecimal digits.
std::string CodeText(std::uint32_t code);

}  // namespace kelvane
