// The conversion command as the window runs it: one BDF file in, the KVN file
// beside it out, or one refusal shown to the user.
#pragma once

#include <string>

#include "bdf/line_reader.h"
#include "pipeline/conversion.h"

namespace kelvane {

// How a conversion reaches its caller.
class ConversionHost {
 public:
  virtual ~ConversionHost() = default;
  // On at the start of the work, off at its end.
  virtual void SetBusy(bool on) = 0;
  // Shows a refusal and returns when the user has acknowledged it.
  virtual void ShowError(const std::string& text) = 0;
  // Told what a successful conversion wrote; nothing by default.
  virtual void ShowDone(const ConversionSummary&) {}
};

using bdf::LineReaderState;

// Converts the regular BDF file at inputPath (UTF-8) into a KVN file beside it,
// named by OutputPathFor. An empty path does nothing at all.
void ConvertFile(const std::string& inputPath, ConversionHost& host, LineReaderState& lineState);

// The input path with its extension replaced by ".kvn" (appended when it has
// none). Both "/" and "\" separate directories; the leading dot of a name
// such as ".fonts" does not start an extension; a final ".gz" is dropped first.
std::string OutputPathFor(const std::string& inputPath);

}  // namespace kelvane
