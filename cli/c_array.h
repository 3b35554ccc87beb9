// kvn c-array: a font's bytes as C for firmware, either one self-contained
// header or a header that declares the array and a source that defines it,
// each with macros of the font's sizes, and the options that shape them.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "font/result.h"
#include "render/font_file.h"

namespace kelvane {

// The options as given; empty strings and no value for options not given.
struct CArrayArguments {
  std::string name;                      // of the array; its macros are named in capitals
  std::string header, source;            // the header and the source to write, both or neither
  std::optional<std::string> attribute;  // placed after the declarator of the array's definition
  std::optional<int> baseline;           // for a font that states none
};

// Adds --name (required), --header, --source, --attribute and --baseline to
// `command`; -o is the command's own.
void AddCArrayOptions(CLI::App& command, CArrayArguments& args);

// Why the options cannot be used together or as given (a usage error's
// text), or "" when they can; `outputGiven`: -o was given.
std::string CArrayArgumentsProblem(const CArrayArguments& args, bool outputGiven);

// Why `name` cannot name the array of a header that C and C++ files include
// after any standard header, along with NAME_len and the macros NAME_... in
// capitals: not an identifier, a keyword, reserved, predefined, a macro or
// type of a standard header, or giving a macro that is one; nothing when it
// can.
std::optional<std::string> CNameProblem(std::string_view name);

// Why TEXT cannot follow the array's declarator (a newline or other control
// byte, a comment, unbalanced parentheses), or nothing.
std::optional<std::string> CAttributeProblem(std::string_view text);

// A file c-array writes: its path ("-" for standard output) and its text.
struct CArrayFile {
  std::string path;
  std::string text;
};

// What c-array writes for the font: with --header and --source, the header
// and then the source; otherwise one self-contained header to `output` (""
// for standard output). Refused with a usage error's text when --baseline
// lies outside the cell, or says otherwise than a font that states its
// baseline (the glyphs were placed on that one).
Result<std::vector<CArrayFile>> CArrayFiles(const LoadedFont& loaded, const CArrayArguments& args,
                                            const std::string& output);

}  // namespace kelvane
