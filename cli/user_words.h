// How the commands word what the layers below report in structured form: the
// remedy a refusal names, and a warning with or without its details.
#pragma once

#include <string>
#include <string_view>

#include "font/result.h"

namespace kelvane {

// What a user of a command could do about a refusal, worded for the commands
// (" (--charset shift_jis maps it)", ": give a pixel size with --size"), or ""
// when nothing is named; WithRemedyWords puts them into the refusal's text.
std::string RemedyText(Remedy remedy);

// The warning's text, with " (-v names them)" when it has a detail that was
// not asked for (`verbose` false).
std::string WarningText(const Warning& warning, bool verbose);

// A conversion's warning as every command prints it, without a line end:
// "PROGRAM: INPUT: WarningText", control bytes escaped.
std::string WarningLine(std::string_view program, std::string_view input, const Warning& warning,
                        bool verbose);

}  // namespace kelvane
