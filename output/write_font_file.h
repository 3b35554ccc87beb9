// Writing a converted font as a KVN file.
#pragma once

#include <optional>
#include <string>

#include "conversion/conversion_state.h"
#include "output/build_ranges.h"

namespace kelvane {

// Writes the font to outputPath (UTF-8), replacing any file there whole.
// Every value is checked against its field before anything is written.
// Returns nullopt on success, else why nothing was written.
std::optional<std::string> WriteFontFile(const std::string& outputPath,
                                         const ConversionState& state, const RangeTable& ranges);

}  // namespace kelvane
