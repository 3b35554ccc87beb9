#include "conversion_options.h"

#include <charconv>
#include <limits>
#include <string_view>
#include <vector>

#include "pipeline/files.h"
#include "pipeline/names.h"

namespace kelvane {

std::string JapaneseTableSummary() {
  std::string text;
  const auto names = JapaneseTableNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += names[i];
    if (i == 0) text += " (the default)";
  }
  return text;
}

ConversionHelp::ConversionHelp()
    : charset("Give the glyphs the codes of this code set: " + CodeSetNameSummary() +
              " (unicode: code points up to U+FFFF). Without it, fonts keep their own codes "
              "(JIS X 0208 as Shift_JIS) and Unicode fonts are refused"),
      table("The Japanese table: " + JapaneseTableSummary() +
            "; cp932 follows Windows conventions") {}

std::optional<std::pair<int, int>> ParseCell(const std::string& text) {
  // Digits only: no sign, blank or second "x".
  const auto side = [](std::string_view digits) -> std::optional<int> {
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || digits.front() == '-' || error != std::errc() ||
        end != digits.data() + digits.size() || value < 1 || value > 255) {
      return std::nullopt;
    }
    return value;
  };
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return std::nullopt;
  const auto width = side(std::string_view(text).substr(0, x));
  const auto height = side(std::string_view(text).substr(x + 1));
  if (!width || !height) return std::nullopt;
  return std::pair(*width, *height);
}

void AddConversionOptions(CLI::App& command, ConversionArguments& args,
                          const ConversionHelp& help) {
  const auto tables = JapaneseTableNames();
  command.add_option("--charset", args.charset, help.charset);
  command.add_option("--table", args.table, help.table)
      ->check(CLI::IsMember(std::vector<std::string>(tables.begin(), tables.end())));
  command.add_option("--chars", args.charsFiles, help.chars)
      ->type_name("FILE")
      ->allow_extra_args(false);  // one file each time, so FILE after it stays FILE
  command.add_option("--codes", args.codes, help.codes);
  command.add_option("--size", args.size, help.size)->type_name("PX")->check(CLI::Range(1, 255));
  command.add_option("--face", args.face, help.face)
      ->type_name("N")
      ->check(CLI::Range(0, std::numeric_limits<int>::max()));
  command.add_flag("--outline", args.outline, help.outline);
  command.add_option("--hinting", args.hinting, help.hinting)
      ->check(CLI::IsMember({"native", "auto", "none"}));
  command.add_option("--cell", args.cell, help.cell)
      ->type_name("WxH")
      ->check(CLI::Validator(
          [](const std::string& text) {
            return ParseCell(text) ? std::string() : "not a cell WxH with sides from 1 to 255";
          },
          ""));
}

std::string MakeConversionOptions(const ConversionArguments& args, ConversionOptions& options) {
  options.table = args.table;
  if (!args.charset.empty()) options.charset = args.charset;
  options.codes = args.codes;
  options.pixelSize = args.size;
  options.face = args.face;
  options.outline = args.outline;
  options.hinting = args.hinting == "auto"   ? Hinting::kAuto
                    : args.hinting == "none" ? Hinting::kNone
                                             : Hinting::kNative;
  if (args.cell) options.cell = ParseCell(*args.cell);
  for (const std::string& file : args.charsFiles) {
    // A FIFO without a writer is refused, not waited on; a file too large to
    // be a list of characters is refused before it fills the memory.
    auto text = ReadTextFile(file, InputPolicy::kNoWaiting);
    if (!text) return "--chars: " + text.error().text;
    options.chars.push_back({file, std::move(*text)});
  }
  const auto checked = CheckOptions(options);
  return checked ? std::string() : checked.error().text;
}

}  // namespace kelvane
