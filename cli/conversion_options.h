// The options bdf2kvn and kvn share for converting a font (--charset, --table,
// --chars FILE (repeated, the characters of all files together), --codes LIST; --size, --face,
// --outline, --hinting and --cell for fonts read through FreeType), and the ConversionOptions they
// give.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pipeline/conversion.h"

namespace kelvane {

// The options as given on the command line; an option not given has no value.
struct ConversionArguments {
  std::string charset, table = "cp932";
  std::vector<std::string> charsFiles;
  std::optional<std::string> codes;
  std::optional<int> size, face;
  bool outline = false;
  std::string hinting = "native";
  std::optional<std::string> cell;  // "WxH", checked when parsed
};

// Every option AddConversionOptions adds, those that only choose glyphs first.
inline constexpr const char* kConversionOptionNames[] = {"--chars",   "--codes",   "--charset",
                                                         "--table",   "--size",    "--face",
                                                         "--outline", "--hinting", "--cell"};

// The Japanese tables as a help text says them: "cp932 (the default) or jis".
std::string JapaneseTableSummary();

// What each option's help says; bdf2kvn's texts unless a command has its own.
struct ConversionHelp {
  std::string charset;
  std::string table;
  std::string chars =
      "Keep only the glyphs of the characters in this UTF-8 text file (and the default "
      "character); may be repeated, the characters of every file together";
  std::string codes =
      "Keep only these output codes, e.g. 0x20-0x7E,0x8140-0x84BE (with --chars: both)";
  std::string size =
      "Pixels per em, 1 to 255: the strike of this size, or the size outlines are drawn at "
      "(outline fonts need it)";
  std::string face =
      "The face of a collection (.ttc, .otc), counted from 0; of a .fon file, one of its sizes";
  std::string outline = "Draw the outlines even where the font has a strike of --size";
  std::string hinting =
      "How outlines fit the pixel grid: native (the font's own instructions, the default), "
      "auto (FreeType's auto-hinter) or none";
  std::string cell =
      "Make the cell W pixels wide and H high (each 1 to 255) instead of the box the glyphs "
      "need, e.g. 16x16; pixels outside it are cut";
  ConversionHelp();
};

// Adds the options to `command`, storing what is given in `args`; --table
// takes the names of the Japanese tables only, --hinting its three words,
// --size and --cell sizes from 1 to 255, --face 0 or more.
void AddConversionOptions(CLI::App& command, ConversionArguments& args,
                          const ConversionHelp& help = {});

// The cell "WxH" names, each side 1 to 255, or nothing.
std::optional<std::pair<int, int>> ParseCell(const std::string& text);

// The conversion options, with the --chars files read; a usage error's text on
// failure (a file that cannot be read, or what CheckOptions refuses).
std::string MakeConversionOptions(const ConversionArguments& args, ConversionOptions& options);

}  // namespace kelvane
