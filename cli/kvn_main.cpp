// kvn: shows what a KVN font holds and draws with it through the device
// reader, so a font can be looked at before it reaches the device. BDF fonts
// are converted in memory first.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "conversion_options.h"
#include "font_report.h"
#include "kelvane/version.h"
#include "output_file.h"
#include "png_writer.h"
#include "render/font_file.h"
#include "render/glyph_sheet.h"
#include "render/text_render.h"
#include "terminal_text.h"

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

struct Arguments {
  std::string file, text, output, name;
  std::vector<std::string> glyphCodes;  // show --code
  int scale = 1;
  kelvane::ConversionArguments conversion;
};

// The subcommands, each with the options it was given.
struct Commands {
  CLI::App* info;
  CLI::App* check;
  CLI::App* show;
  CLI::App* render;
  CLI::App* sheet;
  CLI::App* cArray;
};

int UsageError(const std::string& text) {
  std::cerr << "kvn: " << kelvane::EscapeControlBytes(text) << '\n';
  return kExitUsage;
}

int Refused(const kelvane::Diagnostic& error) {
  std::cerr << "kvn: " << kelvane::EscapeControlBytes(error.file) << ": "
            << kelvane::EscapeControlBytes(error.text) << '\n';
  return kExitRefused;
}

void AddFile(CLI::App& command, Arguments& args) {
  command.add_option("FILE", args.file, "A KVN font, or a BDF font (.bdf, .bdf.gz) to convert")
      ->required()
      ->type_name("");
}

// The conversion options of bdf2kvn; for show and render --charset and
// --table also encode the text.
void AddConversionOptions(CLI::App& command, Arguments& args, bool encodesText) {
  kelvane::ConversionHelp help;
  help.charset = std::string(encodesText ? "Encode TEXT in this code set (default shift_jis) and, "
                                           "for a BDF FILE, convert the font into it too"
                                         : "For a BDF FILE: convert the font into this code set") +
                 ": shift_jis, jisx0208, jisx0201, iso8859-1 .. iso8859-16, or unicode";
  help.table = std::string(encodesText ? "The Japanese table for TEXT and a BDF FILE"
                                       : "For a BDF FILE: the Japanese table") +
               ": cp932 (the default) or jis";
  help.chars = "For a BDF FILE: keep only the glyphs of the characters in this UTF-8 file";
  help.codes = "For a BDF FILE: keep only these codes, e.g. 0x20-0x7E,0x8140-0x84BE";
  kelvane::AddConversionOptions(command, args.conversion, help);
}

void AddScale(CLI::App& command, Arguments& args) {
  command.add_option("--scale", args.scale, "Draw each font pixel as N x N image pixels")
      ->check(CLI::Range(1, 64))
      ->default_val(1);
}

// The code set TEXT is encoded in.
std::string TextCharset(const Arguments& args) {
  return args.conversion.charset.empty() ? "shift_jis" : args.conversion.charset;
}

// A code given to show --code: 0x hexadecimal or decimal, 0..0xFFFF.
std::optional<std::int64_t> ParseCode(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0xFFFF) return std::nullopt;
  }
  return value;
}

// A usage error's text for what the command line alone shows, or empty.
std::string CheckArguments(const Commands& commands, const Arguments& args, const CLI::App& used) {
  if (args.file.empty()) return "empty FILE argument";
  if (args.file == kelvane::kStandardStream) {
    return "FILE must name a file (standard input is not read)";
  }
  const CLI::Option* output = used.get_option_no_throw("--output");
  if (output != nullptr && output->count() > 0 && args.output.empty()) {
    return "-o needs a file name";
  }
  if (&used == commands.show) {
    const bool text = used.count("TEXT") > 0, codes = !args.glyphCodes.empty();
    if (text == codes) return "show needs TEXT or --code CODE, and not both";
    for (const std::string& code : args.glyphCodes) {
      if (!ParseCode(code)) return "--code " + code + ": not a code from 0x0000 to 0xFFFF";
    }
  }
  if (&used == commands.cArray && !kelvane::IsCIdentifier(args.name)) {
    return "--name " + args.name + ": not a C identifier";
  }
  if (&used == commands.show || &used == commands.render) {
    // The code set and table for TEXT, and TEXT itself, before any font is read.
    const std::string charset = TextCharset(args);
    if (const auto known = kelvane::EncodeText("", charset, args.conversion.table); !known) {
      return known.error().text;
    }
    if (const auto encoded = kelvane::EncodeText(args.text, charset, args.conversion.table);
        !encoded) {
      return "TEXT: " + encoded.error().text;
    }
  }
  return {};
}

// Conversion options are for BDF input; only show and render use --charset
// and --table for a KVN font too.
std::string CheckOptionsForKvn(const Commands& commands, const Arguments& args,
                               const CLI::App& used) {
  const bool text = &used == commands.show || &used == commands.render;
  for (const char* option : kelvane::kConversionOptionNames) {
    const bool forText =
        text && (std::string(option) == "--charset" || std::string(option) == "--table");
    if (used.count(option) > 0 && !forText) {
      return std::string(option) + " converts a BDF font; " + args.file + " is a KVN font";
    }
  }
  return {};
}

int Info(const kelvane::LoadedFont& loaded) {
  std::cout << kelvane::DescribeFont(loaded);
  return 0;
}

int Check(const kelvane::LoadedFont& loaded) {
  if (!loaded.font.ranges_ascend) {
    std::cerr << "kvn: " << kelvane::EscapeControlBytes(loaded.path)
              << ": ranges are not in ascending order; lookups scan them in order\n";
  }
  std::cout << kelvane::EscapeControlBytes(loaded.path) << ": ok (" << loaded.font.glyph_count
            << " glyphs)\n";
  return 0;
}

// Tells once about each character whose glyph the font lacks.
void ReportMissing(const std::vector<kelvane::GlyphPick>& picks, const char* drawn) {
  std::set<char32_t> told;
  for (const kelvane::GlyphPick& pick : picks) {
    if (pick.found || !pick.character || !told.insert(*pick.character).second) continue;
    std::cerr << "kvn: no glyph for " << kelvane::CharacterText(*pick.character) << "; " << drawn
              << " as the default glyph\n";
  }
}

int Show(const kelvane::LoadedFont& loaded, const Arguments& args) {
  std::vector<kelvane::GlyphPick> picks;
  if (args.glyphCodes.empty()) {
    auto text = kelvane::PickGlyphsForText(loaded.font, args.text, TextCharset(args),
                                           args.conversion.table);
    if (!text) return UsageError("TEXT: " + text.error().text);
    picks = std::move(*text);
  } else {
    for (const std::string& code : args.glyphCodes) {
      picks.push_back(kelvane::PickGlyphForCode(loaded.font, *ParseCode(code)));
    }
  }
  for (std::size_t i = 0; i < picks.size(); ++i) {
    if (i > 0) std::cout << '\n';
    std::cout << kelvane::PickHeading(loaded.font, picks[i]) << '\n'
              << kelvane::GlyphArt(loaded.font, picks[i].index);
  }
  ReportMissing(picks, "shown");
  for (const kelvane::GlyphPick& pick : picks) {
    if (!pick.found && !pick.character) {
      std::cerr << "kvn: no glyph for " << kelvane::CodeText(static_cast<std::uint32_t>(*pick.code))
                << "; shown as the default glyph\n";
    }
  }
  return 0;
}

// Draws the image once the output can be written, and writes it.
template <class Draw>
int WriteImage(const Arguments& args, std::int64_t width, std::int64_t height, Draw draw) {
  if (const auto problem = kelvane::ImageSizeProblem(width, height)) {
    return Refused({args.file, 0, *problem});
  }
  auto output = kelvane::OutputFile::Begin(args.output, args.file);
  if (!output) return Refused(output.error());
  const kelvane::GrayImage image = draw();
  if (const auto written = kelvane::WritePng(image, *output, args.output); !written) {
    return Refused(written.error());
  }
  return 0;
}

int Render(const kelvane::LoadedFont& loaded, const Arguments& args) {
  auto picks =
      kelvane::PickGlyphsForText(loaded.font, args.text, TextCharset(args), args.conversion.table);
  if (!picks) return UsageError("TEXT: " + picks.error().text);
  const std::int64_t width = kelvane::LineWidth(loaded.font, *picks) * args.scale;
  const std::int64_t height = std::int64_t{loaded.font.cell_height} * args.scale;
  return WriteImage(args, width, height, [&] {
    ReportMissing(*picks, "drawn");
    return kelvane::RenderLine(loaded.font, *picks, args.scale);
  });
}

int Sheet(const kelvane::LoadedFont& loaded, const Arguments& args) {
  const auto entries = kelvane::SheetOrder(loaded.font);
  const auto size = kelvane::SheetSizeFor(loaded.font, entries, args.scale);
  return WriteImage(args, size.width, size.height,
                    [&] { return kelvane::DrawSheet(loaded.font, entries, args.scale); });
}

int CArray(const kelvane::LoadedFont& loaded, const Arguments& args) {
  const std::string text = kelvane::CArrayOf(loaded, args.name);
  if (!loaded.converted && loaded.fileSize > loaded.DataSize()) {
    std::cerr << "kvn: " << kelvane::EscapeControlBytes(args.file) << ": "
              << loaded.fileSize - loaded.DataSize() << " bytes after the font data left out\n";
  }
  if (args.output.empty()) {
    if (!(std::cout << text << std::flush)) {
      return Refused(
          {"standard output", 0, "cannot write (" + std::string(std::strerror(errno)) + ")"});
    }
    return 0;
  }
  auto output = kelvane::OutputFile::Begin(args.output, args.file);
  if (!output) return Refused(output.error());
  std::fwrite(text.data(), 1, text.size(), output->stream());
  if (const auto committed = output->Commit(); !committed) return Refused(committed.error());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Shows what a KVN font holds and draws with it as the device reader finds its glyphs.\n"
      "FILE may also be a BDF font (gzip-compressed too), converted in memory with the\n"
      "options of bdf2kvn; nothing is written but what a command is asked for.",
      "kvn"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("kvn ") + KELVANE_VERSION);
  Arguments args;
  Commands commands{};

  commands.info = app.add_subcommand(
      "info", "Print the header fields, sizes, the default glyph and the code ranges");
  commands.check = app.add_subcommand(
      "check", "Open FILE as the device reader does: \"FILE: ok (N glyphs)\", or why not (exit 1)");
  commands.show = app.add_subcommand(
      "show", "Print glyphs as text art ('#' ink, '.' none), each under a line naming it");
  commands.render = app.add_subcommand(
      "render", "Draw a line of text as the device would, black on white, into a PNG image");
  commands.sheet = app.add_subcommand(
      "sheet",
      "Draw every glyph into a PNG image: 16 a row, each row labelled with its first code");
  commands.cArray = app.add_subcommand(
      "c-array", "Print the font as a C array (static const unsigned char NAME[]) and NAME_len");

  for (CLI::App* command : {commands.info, commands.check, commands.show, commands.render,
                            commands.sheet, commands.cArray}) {
    AddFile(*command, args);
  }
  commands.show
      ->add_option("TEXT", args.text,
                   "UTF-8 text whose characters' glyphs to show, encoded as render does")
      ->type_name("");
  commands.show
      ->add_option("--code", args.glyphCodes,
                   "Show the glyph a lookup of this code finds (0x82A0 or decimal); may be "
                   "repeated")
      ->type_name("CODE");
  commands.render->add_option("TEXT", args.text, "The UTF-8 text to draw")
      ->required()
      ->type_name("");
  for (CLI::App* command : {commands.render, commands.sheet}) {
    command
        ->add_option("-o,--output", args.output,
                     "The PNG file to write; - writes to standard output")
        ->required();
    AddScale(*command, args);
  }
  commands.cArray->add_option("--name", args.name, "The name of the array (a C identifier)")
      ->required();
  commands.cArray->add_option("-o,--output", args.output,
                              "Write the header to this file instead of standard output");
  for (CLI::App* command : {commands.info, commands.check, commands.sheet, commands.cArray}) {
    AddConversionOptions(*command, args, false);
  }
  for (CLI::App* command : {commands.show, commands.render}) {
    AddConversionOptions(*command, args, true);
  }
  app.footer(
      "Run kvn COMMAND --help for the arguments of a command. FILE is read as BDF when its name "
      "ends in .bdf or .bdf.gz, or when it is no KVN font and starts like a BDF font or gzip "
      "data.\nExit status: 0 done, 1 refused or failed, 2 wrong arguments.");
  commands.cArray->footer(
      "The array holds the bytes the font's header accounts for; bytes a file has after them are "
      "left out and counted on standard error.");
  commands.show->footer(
      "A character without a code, or a code without a glyph, shows the default glyph.");
  commands.render->footer(
      "Each character is looked up by its code; one the font lacks is drawn as the default "
      "glyph and named on standard error. The image is as wide as the advances add up to and "
      "as high as the cell.");
  commands.sheet->footer(
      "Glyphs go in the order of their codes through the ranges; glyphs no code finds come "
      "last, in a row labelled ----.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : kExitUsage;
  }
  CLI::App* used = app.get_subcommands().front();
  if (const std::string error = CheckArguments(commands, args, *used); !error.empty()) {
    return UsageError(error);
  }
  kelvane::ConversionOptions options;
  if (const std::string error = kelvane::MakeConversionOptions(args.conversion, options);
      !error.empty()) {
    return UsageError(error);
  }
  // A file-size limit fails a write instead of ending the process.
  std::signal(SIGXFSZ, SIG_IGN);
  kelvane::bdf::LineReaderState lineState;
  auto loaded = kelvane::LoadFont(args.file, options, lineState);
  if (!loaded) return Refused(loaded.error());
  if (!(*loaded)->converted) {
    if (const std::string error = CheckOptionsForKvn(commands, args, *used); !error.empty()) {
      return UsageError(error);
    }
  }
  const kelvane::LoadedFont& font = **loaded;
  if (used == commands.info) return Info(font);
  if (used == commands.check) return Check(font);
  if (used == commands.show) return Show(font, args);
  if (used == commands.render) return Render(font, args);
  if (used == commands.sheet) return Sheet(font, args);
  return CArray(font, args);
}
