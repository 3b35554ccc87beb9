#include "user_words.h"

#include "terminal_text.h"

namespace kelvane {

std::string RemedyText(Remedy remedy) {
  switch (remedy) {
    case Remedy::kMapCharset:
      return " (--charset shift_jis maps it)";
    case Remedy::kMapMergedCharsets:
      return " (--charset maps them into one code set)";
    case Remedy::kGivePixelSize:
      return ": give a pixel size with --size";
    case Remedy::kChoosePixelSize:
      return "; choose one with --size";
    case Remedy::kChooseFace:
      return "; choose one with --face";
    case Remedy::kNone:
      break;
  }
  return "";
}

std::string WarningText(const Warning& warning, bool verbose) {
  if (warning.detail.empty() || verbose) return warning.text;
  return warning.text + " (-v names them)";
}

std::string WarningLine(std::string_view program, std::string_view input, const Warning& warning,
                        bool verbose) {
  return std::string(program) + ": " + EscapeControlBytes(input) + ": " +
         EscapeControlBytes(WarningText(warning, verbose));
}

}  // namespace kelvane
