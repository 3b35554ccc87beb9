#include "conversion_options.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kelvane {

void AddConversionOptions(CLI::App& command, ConversionArguments& args,
                          const ConversionHelp& help) {
  command.add_option("--charset", args.charset, help.charset);
  command.add_option("--table", args.table, help.table)->check(CLI::IsMember({"cp932", "jis"}));
  command.add_option("--chars", args.charsFile, help.chars);
  command.add_option("--codes", args.codes, help.codes);
}

std::string MakeConversionOptions(const ConversionArguments& args, ConversionOptions& options) {
  options.suggestCharsetOption = true;
  options.table = args.table;
  if (!args.charset.empty()) options.charset = args.charset;
  if (!args.codes.empty()) options.codes = args.codes;
  if (!args.charsFile.empty()) {
    std::ifstream in(args.charsFile, std::ios::binary);
    if (!in) return "--chars: cannot read " + args.charsFile + " (" + std::strerror(errno) + ")";
    options.charsText.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    options.charsName = args.charsFile;
  }
  const auto checked = CheckOptions(options);
  return checked ? std::string() : checked.error().text;
}

}  // namespace kelvane
