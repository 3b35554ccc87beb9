// The scan of a BDF file's lines into a ConversionState.
#pragma once

#include <string>

#include "conversion/bdf_readers.h"
#include "conversion/conversion_state.h"

namespace kelvane {

struct ScanOutcome {
  ConversionState state;
  std::string refusal;  // not empty: the font cannot be converted
};

// Reads the font properties and every glyph; stops at the first refusal.
ScanOutcome ScanFont(BdfLines& lines);

}  // namespace kelvane
