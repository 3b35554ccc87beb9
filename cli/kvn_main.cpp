// kvn: shows what a KVN font holds and draws with it through the device
// reader, so a font can be looked at before it reaches the device. Fonts of
// other kinds are converted in memory first. Files are read and written
// through the pipeline, under the rules and in the words of bdf2kvn.
#include <CLI/CLI.hpp>

#include <cctype>
#include <exception>
#include <iostream>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "c_array.h"
#include "conversion_options.h"
#include "diff_report.h"
#include "font_report.h"
#include "kelvane/version.h"
#include "pipeline/files.h"
#include "pipeline/names.h"
#include "render/diff_image.h"
#include "render/font_diff.h"
#include "render/font_file.h"
#include "render/glyph_sheet.h"
#include "render/png_image.h"
#include "render/text_render.h"
#include "terminal_text.h"
#include "user_words.h"

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
// diff, as cmp: 0 the same, then these.
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

struct Arguments {
  std::string file, text, output;
  std::vector<std::string> glyphCodes;  // show --code
  std::string newFile;                  // diff NEW (FILE is OLD)
  bool brief = false;                   // diff --brief
  int scale = 1;
  kelvane::ConversionArguments conversion;
  kelvane::CArrayArguments cArray;
};

// The subcommands, each with the options it was given.
struct Commands {
  CLI::App* info;
  CLI::App* check;
  CLI::App* show;
  CLI::App* render;
  CLI::App* sheet;
  CLI::App* cArray;
  CLI::App* diff;
};

int UsageError(const std::string& text) {
  std::cerr << "kvn: " << kelvane::EscapeControlBytes(text) << '\n';
  return kExitUsage;
}

// "kvn: FILE: text", with what bdf2kvn names as the remedy.
int Refused(const Arguments& args, const kelvane::Diagnostic& error) {
  std::cerr << "kvn: " << kelvane::EscapeControlBytes(args.file) << ": "
            << kelvane::EscapeControlBytes(
                   kelvane::WithRemedyWords(error, kelvane::RemedyText(error.remedy)))
            << '\n';
  return kExitRefused;
}

void AddFile(CLI::App& command, Arguments& args) {
  command
      .add_option("FILE", args.file,
                  "A KVN font, or a font to convert: BDF, PCF, TrueType, OpenType, Windows, "
                  "FONTX2, Unifont .hex or PSF (gzip-compressed too)")
      ->required()
      ->type_name("");
}

// The conversion options of bdf2kvn; for show and render --charset and
// --table also encode the text.
void AddConversionOptions(CLI::App& command, Arguments& args, bool encodesText) {
  kelvane::ConversionHelp help;
  const std::string converted = "For a FILE to convert: ";
  help.charset = (encodesText ? "Encode TEXT in this code set (default " +
                                    std::string(kelvane::kDefaultTextCodeSet) +
                                    "), and convert a FILE that is no KVN font into it too"
                              : converted + "convert the font into this code set") +
                 ": " + kelvane::CodeSetNameSummary();
  help.table = (encodesText ? std::string("The Japanese table for TEXT and a FILE to convert")
                            : converted + "the Japanese table") +
               ": " + kelvane::JapaneseTableSummary();
  help.chars =
      converted + "keep only the glyphs of the characters in this UTF-8 file; may be repeated";
  help.codes = converted + "keep only these codes, e.g. 0x20-0x7E,0x8140-0x84BE";
  for (std::string* text : {&help.size, &help.face, &help.outline, &help.hinting, &help.cell}) {
    text->front() = static_cast<char>(std::tolower(static_cast<unsigned char>(text->front())));
    *text = converted + *text;
  }
  kelvane::AddConversionOptions(command, args.conversion, help);
}

void AddScale(CLI::App& command, Arguments& args) {
  command.add_option("--scale", args.scale, "Draw each font pixel as N x N image pixels")
      ->check(CLI::Range(1, 64))
      ->default_val(1);
}

// The code set TEXT is encoded in.
std::string TextCharset(const Arguments& args) {
  return args.conversion.charset.empty() ? std::string(kelvane::kDefaultTextCodeSet)
                                         : args.conversion.charset;
}

// A usage error's text for what the command line alone shows, or empty.
std::string CheckArguments(const Commands& commands, const Arguments& args, const CLI::App& used) {
  if (&used == commands.diff) {
    if (args.file.empty() || args.newFile.empty()) return "empty OLD or NEW argument";
    if (args.file == kelvane::kStandardStream || args.newFile == kelvane::kStandardStream) {
      return "OLD and NEW must name files (standard input is not read)";
    }
    if (used.count("--png") > 0 &&
        (args.output.empty() || args.output == kelvane::kStandardStream)) {
      return "--png needs a file name (standard output is for the report)";
    }
  }
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
      if (!kelvane::ParseCode(code)) return "--code " + code + ": not a code from 0x0000 to 0xFFFF";
    }
  }
  if (&used == commands.cArray) {
    if (auto problem =
            kelvane::CArrayArgumentsProblem(args.cArray, output != nullptr && output->count() > 0);
        !problem.empty()) {
      return problem;
    }
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

// Conversion options are for fonts to convert; only show, render and diff
// use --charset and --table for a KVN font too.
std::string CheckOptionsForKvn(const Commands& commands, const Arguments& args,
                               const CLI::App& used) {
  const bool text = &used == commands.show || &used == commands.render || &used == commands.diff;
  for (const char* option : kelvane::kConversionOptionNames) {
    const bool forText =
        text && (std::string(option) == "--charset" || std::string(option) == "--table");
    if (used.count(option) > 0 && !forText) {
      return std::string(option) + " converts a font; " + args.file + " is a KVN font";
    }
  }
  return {};
}

// What the conversion of a font had to say, each warning with what it is
// about (bdf2kvn gives that with -v).
void PrintWarnings(const Arguments& args, const kelvane::LoadedFont& loaded) {
  for (const kelvane::Warning& warning : loaded.warnings) {
    std::cerr << kelvane::WarningLine("kvn", args.file, warning, true) << '\n';
    if (!warning.detail.empty()) {
      std::cerr << "  " << kelvane::EscapeControlBytes(warning.detail) << '\n';
    }
  }
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
    std::cerr << "kvn: no glyph for " << kelvane::DescribeCharacter(*pick.character) << "; "
              << drawn << " as the default glyph\n";
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
      picks.push_back(kelvane::PickGlyphForCode(loaded.font, kelvane::ParseCode(code).value()));
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

// Writes -o's file (or standard output) as bdf2kvn writes a font.
int WriteOutput(const Arguments& args, const std::vector<std::uint8_t>& bytes) {
  const std::string output =
      args.output.empty() ? std::string(kelvane::kStandardStream) : args.output;
  if (const auto written = kelvane::WriteFile(output, bytes, {args.file, args.newFile}); !written) {
    return Refused(args, written.error());
  }
  return 0;
}

// Draws an image of this size, if it can be made, and writes it as PNG.
template <class Draw>
int WriteImage(const Arguments& args, std::int64_t width, std::int64_t height, Draw draw) {
  if (auto problem = kelvane::ImageSizeProblem(width, height)) {
    if (args.scale > 1) *problem += "; try a smaller --scale";
    return Refused(args, {args.file, 0, *problem});
  }
  const auto png = kelvane::EncodePng(draw());
  if (!png) return Refused(args, png.error());
  return WriteOutput(args, *png);
}

int Render(const kelvane::LoadedFont& loaded, const Arguments& args) {
  auto picks =
      kelvane::PickGlyphsForText(loaded.font, args.text, TextCharset(args), args.conversion.table);
  if (!picks) return UsageError("TEXT: " + picks.error().text);
  const std::int64_t width = kelvane::LineWidth(loaded.font, *picks) * args.scale;
  const std::int64_t height = std::int64_t{loaded.font.cell_height} * args.scale;
  const int status = WriteImage(
      args, width, height, [&] { return kelvane::RenderLine(loaded.font, *picks, args.scale); });
  if (status == 0) ReportMissing(*picks, "drawn");
  return status;
}

int Sheet(const kelvane::LoadedFont& loaded, const Arguments& args) {
  const auto entries = kelvane::SheetOrder(loaded.font);
  const auto size = kelvane::SheetSizeFor(loaded.font, entries, args.scale);
  return WriteImage(args, size.width, size.height,
                    [&] { return kelvane::DrawSheet(loaded.font, entries, args.scale); });
}

int CArray(const kelvane::LoadedFont& loaded, const Arguments& args) {
  const auto files = kelvane::CArrayFiles(loaded, args.cArray, args.output);
  if (!files) return UsageError(files.error().text);
  std::vector<kelvane::FileToWrite> outputs;
  for (const kelvane::CArrayFile& file : *files) {
    outputs.push_back(
        {file.path, {reinterpret_cast<const std::uint8_t*>(file.text.data()), file.text.size()}});
  }
  if (const auto written = kelvane::WriteFiles(outputs, {args.file}); !written) {
    return Refused(args, written.error());
  }
  if (!loaded.converted && loaded.fileSize > loaded.DataSize()) {
    std::cerr << "kvn: " << kelvane::EscapeControlBytes(args.file) << ": "
              << loaded.fileSize - loaded.DataSize() << " bytes after the font data left out\n";
  }
  return 0;
}

// diff: OLD and NEW read as FILE is, with the same options; exit 0 when they
// draw alike, kExitDifferent when not, kExitTrouble when anything fails.
int Diff(const Commands& commands, const Arguments& args, const CLI::App& used,
         const kelvane::ConversionOptions& options) {
  const auto characters = kelvane::CharactersOfCodes(TextCharset(args), args.conversion.table);
  if (!characters) return UsageError(characters.error().text);
  const auto as = [&args](const std::string& path) {  // the words of FILE for each font
    Arguments side = args;
    side.file = path;
    return side;
  };
  kelvane::Converter converter;
  std::vector<std::unique_ptr<kelvane::LoadedFont>> fonts;
  for (const std::string& path : {args.file, args.newFile}) {
    auto bytes = converter.LoadFont(path, options, kelvane::InputPolicy::kNoWaiting);
    if (!bytes) {
      Refused(as(path), bytes.error());
      return kExitTrouble;
    }
    auto loaded = kelvane::OpenFont(path, std::move(*bytes));
    if (!loaded) {
      Refused(as(path), loaded.error());
      return kExitTrouble;
    }
    fonts.push_back(std::move(*loaded));
  }
  if (!fonts[0]->converted && !fonts[1]->converted) {
    if (const std::string error = CheckOptionsForKvn(commands, args, used); !error.empty()) {
      return UsageError(error);
    }
  }
  for (const auto& font : fonts) PrintWarnings(as(font->path), *font);
  const kvn_font &before = fonts[0]->font, &after = fonts[1]->font;
  std::vector<bool> noCharacter(characters->size());
  for (std::size_t code = 0; code < noCharacter.size(); ++code) {
    noCharacter[code] = !(*characters)[code];
  }
  const kelvane::FontDiff diff = kelvane::CompareFonts(before, after, noCharacter);
  if (!args.output.empty()) {
    const auto size = kelvane::DiffImageSizeFor(before, after, diff);
    if (WriteImage(args, size.width, size.height,
                   [&] { return kelvane::DrawDiffImage(before, after, diff); }) != 0) {
      return kExitTrouble;
    }
  }
  std::cout << (args.brief ? "" : kelvane::DiffLines(diff, *characters))
            << kelvane::DiffSummary(diff) << '\n';
  return diff.DrawsAlike() ? 0 : kExitDifferent;
}

// `failure`: the exit status for a failure not foreseen, once the command is known.
int Run(int argc, char** argv, int& failure) {
  CLI::App app{
      "Shows what a KVN font holds and draws with it as the device reader finds its glyphs.\n"
      "FILE may also be a font of any kind bdf2kvn reads, converted in memory with the\n"
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
      "c-array",
      "Write the font as C for firmware: a header with the array, or a header and a source");

  commands.diff = app.add_subcommand(
      "diff",
      "Compare two fonts as the device draws them: each difference, then a summary; exit 0 "
      "the same, 1 different, 2 trouble");
  for (CLI::App* command : {commands.info, commands.check, commands.show, commands.render,
                            commands.sheet, commands.cArray}) {
    AddFile(*command, args);
  }
  commands.diff
      ->add_option("OLD", args.file, "The font before: a KVN font, or a font to convert as FILE")
      ->required()
      ->type_name("");
  commands.diff->add_option("NEW", args.newFile, "The font after, read as OLD is")
      ->required()
      ->type_name("");
  commands.diff
      ->add_option("--png", args.output,
                   "Draw each glyph that draws differently into this PNG image: a row "
                   "each, OLD's, NEW's, and both over each other (red: ink only in OLD, "
                   "green: only in NEW, black: in both)")
      ->type_name("FILE");
  commands.diff->add_flag("--brief", args.brief, "Print only the summary");
  AddConversionOptions(*commands.diff, args, false);
  commands.diff->get_option("--charset")
      ->description("Name the characters of codes in this code set (default " +
                    std::string(kelvane::kDefaultTextCodeSet) +
                    "), and convert OLD or NEW that is no KVN font into it too: " +
                    kelvane::CodeSetNameSummary());
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
  kelvane::AddCArrayOptions(*commands.cArray, args.cArray);
  commands.cArray->add_option("-o,--output", args.output,
                              "Write the one header to this file instead of standard output");
  for (CLI::App* command : {commands.info, commands.check, commands.sheet, commands.cArray}) {
    AddConversionOptions(*command, args, false);
  }
  for (CLI::App* command : {commands.show, commands.render}) {
    AddConversionOptions(*command, args, true);
  }
  app.footer(
      "Run kvn COMMAND --help for the arguments of a command. FILE is a KVN font when the "
      "device reader opens it and it starts like no other font; otherwise it is converted in "
      "memory as bdf2kvn converts it: BDF, PCF, TrueType and OpenType (--size for outlines, "
      "--face for a collection), Windows .fnt/.fon, FONTX2, Unifont .hex or PSF, told by its "
      "first bytes (and as BDF when named .bdf or .bdf.gz), gzip-compressed too.\n"
      "Outputs are replaced as bdf2kvn replaces a font.\nExit status: 0 done, 1 refused or "
      "failed, 2 wrong arguments; diff's, as cmp's: 0 the same, 1 different, 2 trouble.");
  commands.cArray->footer(
      "Without --header and --source, one header holds the array as static const unsigned char "
      "NAME[] and its length as NAME_len, for one C file to include. With them, the header "
      "declares both (extern, with C linkage for C++) and the source defines them; build the "
      "source with the reader. Either header defines NAME_CELL_WIDTH, NAME_CELL_HEIGHT, "
      "NAME_GLYPHS, NAME_SIZE (bytes) and, when the font states it or --baseline gives it, "
      "NAME_BASELINE (rows from the top of the cell down to the baseline), NAME in capitals.\n"
      "The device reader reads the array through plain pointers: it must lie in memory the CPU "
      "addresses directly (RAM, or flash mapped into memory), not in memory read through "
      "special instructions such as AVR's PROGMEM and pgm_read_byte.\n"
      "The array holds the bytes the font's header accounts for; bytes a file has after them are "
      "left out and counted on standard error.");
  commands.diff->footer(
      "The fonts are the same when their cells are and every code from 0x0000 to 0xFFFF draws "
      "the same glyph (bitmap and advance) in both, a code a font lacks drawing its default "
      "glyph; range tables and the order of glyphs do not matter. Lines that start with "
      "\"layout: \" tell of differences that change no drawing. Characters are named in "
      "--charset under --table; codes go in ascending order.\n"
      "Exit status: 0 the same, 1 different, 2 refused, failed or wrong arguments (as cmp).");
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
  if (used == commands.diff) failure = kExitTrouble;
  if (const std::string error = CheckArguments(commands, args, *used); !error.empty()) {
    return UsageError(error);
  }
  kelvane::ConversionOptions options;
  if (const std::string error = kelvane::MakeConversionOptions(args.conversion, options);
      !error.empty()) {
    return UsageError(error);
  }
  kelvane::PrepareProcessForConversions();
  if (used == commands.diff) return Diff(commands, args, *used, options);
  kelvane::Converter converter;
  auto bytes = converter.LoadFont(args.file, options, kelvane::InputPolicy::kNoWaiting);
  if (!bytes) return Refused(args, bytes.error());
  if (!bytes->converted) {
    if (const std::string error = CheckOptionsForKvn(commands, args, *used); !error.empty()) {
      return UsageError(error);
    }
  }
  auto loaded = kelvane::OpenFont(args.file, std::move(*bytes));
  if (!loaded) return Refused(args, loaded.error());
  const kelvane::LoadedFont& font = **loaded;
  PrintWarnings(args, font);
  if (used == commands.info) return Info(font);
  if (used == commands.check) return Check(font);
  if (used == commands.show) return Show(font, args);
  if (used == commands.render) return Render(font, args);
  if (used == commands.sheet) return Sheet(font, args);
  return CArray(font, args);
}

}  // namespace

int main(int argc, char** argv) {
  // Whatever fails unforeseen (memory, say) is a refusal, never an abort.
  int failure = kExitRefused;
  try {
    return Run(argc, argv, failure);
  } catch (const std::bad_alloc&) {
    std::cerr << "kvn: out of memory\n";
  } catch (const std::exception& e) {
    std::cerr << "kvn: " << kelvane::EscapeControlBytes(e.what()) << '\n';
  } catch (...) {
    std::cerr << "kvn: failed for a reason not known\n";
  }
  return failure;
}
