#include "conversion_options.h"

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

void AddConversionOptions(CLI::App& command, ConversionArguments& args,
                          const ConversionHelp& help) {
  const auto tables = JapaneseTableNames();
  command.add_option("--charset", args.charset, help.charset);
  command.add_option("--table", args.table, help.table)
      ->check(CLI::IsMember(std::vector<std::string>(tables.begin(), tables.end())));
  command.add_option("--chars", args.charsFile, help.chars);
  command.add_option("--codes", args.codes, help.codes);
}

std::string MakeConversionOptions(const ConversionArguments& args, ConversionOptions& options) {
  options.table = args.table;
  if (!args.charset.empty()) options.charset = args.charset;
  options.codes = args.codes;
  if (args.charsFile) {
    // A FIFO without a writer is refused, not waited on; a file too large to
    // be a list of characters is refused before it fills the memory.
    auto text = ReadTextFile(*args.charsFile, InputPolicy::kNoWaiting);
    if (!text) return "--chars: " + text.error().text;
    options.charsText = std::move(*text);
    options.charsName = *args.charsFile;
  }
  const auto checked = CheckOptions(options);
  return checked ? std::string() : checked.error().text;
}

}  // namespace kelvane
