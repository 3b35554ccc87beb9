// The conversion command: one BDF file in, one KVN file out, or one refusal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "conversion/bdf_readers.h"

namespace kelvane {

// How a conversion reaches its caller.
class ConversionHost {
 public:
  virtual ~ConversionHost() = default;
  // On at the start of the work, off at its end.
  virtual void SetBusy(bool on) = 0;
  // Shows a refusal and returns when the user has acknowledged it.
  virtual void ShowError(const std::string& text) = 0;
};

// What a successful conversion wrote.
struct ConversionSummary {
  std::string outputPath;
  std::int32_t glyphCount = 0;
  std::int32_t rangeCount = 0;
  std::int32_t cellWidth = 0;
  std::int32_t cellHeight = 0;
};

// Converts the BDF file at inputPath (UTF-8) into a KVN file beside it, named
// by OutputPathFor. An empty path does nothing at all.
void ConvertFile(const std::string& inputPath, ConversionHost& host, LineReaderState& lineState);

// The same with the output path given; returns what was written, or nullopt
// when the path is empty or the font was refused through host.ShowError.
std::optional<ConversionSummary> ConvertFileTo(const std::string& inputPath,
                                               const std::string& outputPath, ConversionHost& host,
                                               LineReaderState& lineState);

// The input path with its extension replaced by ".kvn" (appended when it has
// none). Both "/" and "\" separate directories.
std::string OutputPathFor(const std::string& inputPath);

}  // namespace kelvane
