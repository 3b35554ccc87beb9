// The options bdf2kvn and kvn share for converting a BDF font (--charset,
// --table, --chars FILE, --codes LIST), and the ConversionOptions they give.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "pipeline/conversion.h"

namespace kelvane {

// The options as given on the command line; an option not given has no value.
struct ConversionArguments {
  std::string charset, table = "cp932";
  std::optional<std::string> charsFile, codes;
};

// Every option AddConversionOptions adds, those that only choose glyphs first.
inline constexpr const char* kConversionOptionNames[] = {"--chars", "--codes", "--charset",
                                                         "--table"};

// The Japanese tables as a help text says them: "cp932 (the default) or jis".
std::string JapaneseTableSummary();

// What each option's help says; bdf2kvn's texts unless a command has its own.
struct ConversionHelp {
  std::string charset;
  std::string table;
  std::string chars =
      "Keep only the glyphs of the characters in this UTF-8 text file (and the default "
      "character)";
  std::string codes =
      "Keep only these output codes, e.g. 0x20-0x7E,0x8140-0x84BE (with --chars: both)";
  ConversionHelp();
};

// Adds the options to `command`, storing what is given in `args`; --table
// takes the names of the Japanese tables only.
void AddConversionOptions(CLI::App& command, ConversionArguments& args,
                          const ConversionHelp& help = {});

// The conversion options, with the --chars file read; a usage error's text on
// failure (a file that cannot be read, or what CheckOptions refuses).
std::string MakeConversionOptions(const ConversionArguments& args, ConversionOptions& options);

}  // namespace kelvane
