#include "mapping/code_space.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <charconv>

#include "mapping/charset.h"

namespace kelvane {

struct CodeSpace::Impl {
  std::string name;
  char32_t unicodeLimit = 0;  // not 0: codes are characters up to this one
  bool japanese = false;      // the members of a variant pair stand in for each other
  std::vector<std::pair<std::int32_t, char32_t>> codes;  // by code
  std::vector<std::pair<char32_t, std::int32_t>> chars;  // by character, then code
  // For each character of several codes, the one the table encodes it to.
  std::vector<std::pair<char32_t, std::int32_t>> preferred;
};

namespace {

using CodeList = std::vector<std::pair<std::int32_t, char32_t>>;

constexpr std::string_view kOutputCodeSetNames[] = {
    "shift_jis",  "jisx0208",   "jisx0201",   "iso8859-1",  "iso8859-2", "iso8859-3",  "iso8859-4",
    "iso8859-5",  "iso8859-6",  "iso8859-7",  "iso8859-8",  "iso8859-9", "iso8859-10", "iso8859-11",
    "iso8859-13", "iso8859-14", "iso8859-15", "iso8859-16", "unicode"};

// The default first.
constexpr std::string_view kJapaneseTableNames[] = {"cp932", "jis"};
constexpr JapaneseTable kJapaneseTables[] = {JapaneseTable::kCp932, JapaneseTable::kJis};

// The upper half of ISO 8859-16, which this system's ICU does not carry.
constexpr std::array<char32_t, 96> kIso8859_16Upper = {
    0x00A0, 0x0104, 0x0105, 0x0141, 0x20AC, 0x201E, 0x0160, 0x00A7, 0x0161, 0x00A9, 0x0218, 0x00AB,
    0x0179, 0x00AD, 0x017A, 0x017B, 0x00B0, 0x00B1, 0x010C, 0x0142, 0x017D, 0x201D, 0x00B6, 0x00B7,
    0x017E, 0x010D, 0x0219, 0x00BB, 0x0152, 0x0153, 0x0178, 0x017C, 0x00C0, 0x00C1, 0x00C2, 0x0102,
    0x00C4, 0x0106, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x0110, 0x0143, 0x00D2, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x015A, 0x0170, 0x00D9, 0x00DA, 0x00DB,
    0x00DC, 0x0118, 0x021A, 0x00DF, 0x00E0, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x0107, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x0111, 0x0144, 0x00F2, 0x00F3,
    0x00F4, 0x0151, 0x00F6, 0x015B, 0x0171, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x0119, 0x021B, 0x00FF};

constexpr std::array<std::pair<char32_t, char32_t>, 6> kVariantPairs = {{
    {0x2014, 0x2015},  // 0x815C
    {0x301C, 0xFF5E},  // 0x8160, the wave dash
    {0x2016, 0x2225},  // 0x8161
    {0x2212, 0xFF0D},  // 0x817C, the minus
    {0x00A5, 0x005C},  // 0x5C
    {0x203E, 0x007E},  // 0x7E
}};

// An ICU converter that reports unmapped bytes instead of substituting.
class Converter {
 public:
  explicit Converter(const char* name) {
    UErrorCode error = U_ZERO_ERROR;
    converter_ = ucnv_open(name, &error);
    if (U_FAILURE(error)) converter_ = nullptr;
    if (converter_ == nullptr) return;
    ucnv_setToUCallBack(converter_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    ucnv_setFromUCallBack(converter_, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
  }
  ~Converter() {
    if (converter_ != nullptr) ucnv_close(converter_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return converter_ != nullptr; }

  // The one character `code` (one or two bytes) decodes to, or nullopt.
  std::optional<char32_t> Decode(std::int32_t code) {
    char bytes[2];
    int length = 0;
    if (code > 0xFF) bytes[length++] = static_cast<char>(code >> 8);
    bytes[length++] = static_cast<char>(code & 0xFF);
    UChar out[4];
    UErrorCode error = U_ZERO_ERROR;
    ucnv_reset(converter_);
    const int32_t count = ucnv_toUChars(converter_, out, 4, bytes, length, &error);
    if (U_FAILURE(error) || count == 0) return std::nullopt;
    char32_t c = out[0];
    if (U16_IS_LEAD(out[0]) && count == 2)
      c = U16_GET_SUPPLEMENTARY(out[0], out[1]);
    else if (count != 1)
      return std::nullopt;
    if (c == 0xFFFD || c == 0x1A || (c >= 0xE000 && c <= 0xF8FF)) return std::nullopt;
    return c;
  }

  // The code (one or two bytes) the table encodes `c` to, or nullopt.
  std::optional<std::int32_t> Encode(char32_t c) {
    UChar units[2];
    std::int32_t count = 0;
    U16_APPEND_UNSAFE(units, count, static_cast<UChar32>(c));
    char bytes[4];
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length = ucnv_fromUChars(converter_, bytes, 4, units, count, &error);
    if (U_FAILURE(error) || length < 1 || length > 2) return std::nullopt;
    const auto byte = [&](int at) { return static_cast<std::int32_t>(bytes[at] & 0xFF); };
    return length == 1 ? byte(0) : byte(0) << 8 | byte(1);
  }

 private:
  UConverter* converter_ = nullptr;
};

const char* ConverterName(JapaneseTable table) {
  return table == JapaneseTable::kJis ? "ibm-943_P130-1999" : "windows-31j";
}

void AddDecoded(Converter& converter, std::int32_t first, std::int32_t last, CodeList& codes) {
  for (std::int32_t code = first; code <= last; ++code) {
    if (auto c = converter.Decode(code)) codes.emplace_back(code, *c);
  }
}

void AddSingleBytes(Converter& converter, CodeList& codes) {
  AddDecoded(converter, 0x20, 0x7E, codes);
  AddDecoded(converter, 0xA1, 0xDF, codes);
}

// The JIS X 0208 characters (rows 1-8 and 16-84) at their Shift_JIS codes.
void AddJisX0208(Converter& converter, CodeList& codes) {
  for (int row = 1; row <= 84; ++row) {
    if (row > 8 && row < 16) continue;
    for (int cell = 1; cell <= 94; ++cell) {
      const std::int32_t code = JisToSjis((row + 0x20) << 8 | (cell + 0x20));
      if (auto c = converter.Decode(code)) codes.emplace_back(code, *c);
    }
  }
}

// NEC row 13 and the IBM extensions of the Windows table.
void AddWindowsExtensions(Converter& converter, CodeList& codes) {
  for (const auto& [first, last] :
       {std::pair{0x8740, 0x879C}, std::pair{0xED40, 0xEEFC}, std::pair{0xFA40, 0xFC4B}}) {
    AddDecoded(converter, first, last, codes);
  }
}

// Every two-byte code the table decodes, the user area aside.
void AddAllDoubleBytes(Converter& converter, CodeList& codes) {
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    AddDecoded(converter, lead << 8 | 0x40, lead << 8 | 0xFC, codes);
  }
}

std::optional<CodeList> Iso8859Codes(int part) {
  CodeList codes;
  for (std::int32_t code = 0x20; code <= 0x7E; ++code) codes.emplace_back(code, code);
  if (part == 16) {
    for (std::int32_t code = 0xA0; code <= 0xFF; ++code)
      codes.emplace_back(code, kIso8859_16Upper[code - 0xA0]);
    return codes;
  }
  Converter converter(("ISO-8859-" + std::to_string(part)).c_str());
  if (!converter.ok()) return std::nullopt;
  AddDecoded(converter, 0xA0, 0xFF, codes);
  return codes;
}

// The part number of "iso8859-N" (any case), or 0.
int Iso8859Part(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const std::string_view prefix : {"iso8859-", "iso-8859-"}) {
    if (!lower.starts_with(prefix)) continue;
    const std::string_view digits = std::string_view(lower).substr(prefix.size());
    int part = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), part);
    if (error != std::errc() || end != digits.data() + digits.size()) return 0;
    return part >= 1 && part <= 16 && part != 12 ? part : 0;
  }
  return 0;
}

std::unique_ptr<CodeSpace::Impl> UnicodeImpl(std::string name, char32_t limit) {
  auto impl = std::make_unique<CodeSpace::Impl>();
  impl->name = std::move(name);
  impl->unicodeLimit = limit;
  return impl;
}

// The space of these codes; `table`, when given, chooses the code of a
// character that has several.
std::unique_ptr<CodeSpace::Impl> MakeImpl(std::string name, CodeList codes, bool japanese,
                                          Converter* table = nullptr) {
  auto impl = std::make_unique<CodeSpace::Impl>();
  impl->name = std::move(name);
  impl->japanese = japanese;
  std::sort(codes.begin(), codes.end());
  for (const auto& [code, c] : codes) impl->chars.emplace_back(c, code);
  std::sort(impl->chars.begin(), impl->chars.end());
  impl->codes = std::move(codes);
  const auto& chars = impl->chars;
  for (std::size_t i = 1; table != nullptr && i < chars.size(); ++i) {
    if (chars[i].first != chars[i - 1].first) continue;
    if (!impl->preferred.empty() && impl->preferred.back().first == chars[i].first) continue;
    if (const auto code = table->Encode(chars[i].first)) {
      impl->preferred.emplace_back(chars[i].first, *code);
    }
  }
  return impl;
}

}  // namespace

std::span<const std::string_view> OutputCodeSetNames() { return kOutputCodeSetNames; }

std::span<const std::string_view> JapaneseTableNames() { return kJapaneseTableNames; }

std::string CodeSetNameSummary() {
  // The ISO 8859 parts, which follow one another, as one range.
  const auto names = OutputCodeSetNames();
  std::string summary;
  for (std::size_t first = 0, last = 0; first < names.size(); first = ++last) {
    while (Iso8859Part(names[first]) != 0 && last + 1 < names.size() &&
           Iso8859Part(names[last + 1]) != 0) {
      ++last;
    }
    if (!summary.empty()) summary += ", ";
    summary += names[first];
    if (last > first) summary += " .. " + std::string(names[last]);
  }
  return summary;
}

std::optional<JapaneseTable> JapaneseTableNamed(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kJapaneseTableNames); ++i) {
    if (name == kJapaneseTableNames[i]) return kJapaneseTables[i];
  }
  return std::nullopt;
}

Result<CodeSpace> CodeSpace::ForOutput(std::string_view name, JapaneseTable table) {
  if (name == "unicode") return CodeSpace(UnicodeImpl("unicode", 0xFFFF));
  if (const int part = Iso8859Part(name)) {
    auto codes = Iso8859Codes(part);
    if (!codes) return Diagnostic{.text = "no table for " + std::string(name)};
    return CodeSpace(MakeImpl("iso8859-" + std::to_string(part), std::move(*codes), false));
  }
  const bool oneByte = name == "shift_jis" || name == "jisx0201";
  const bool twoByte = name == "shift_jis" || name == "jisx0208";
  if (!oneByte && !twoByte) {
    return Diagnostic{.text = "unknown code set \"" + std::string(name) + "\" (" +
                              CodeSetNameSummary() + ")"};
  }
  Converter converter(ConverterName(table));
  if (!converter.ok())
    return Diagnostic{.text = "no ICU table " + std::string(ConverterName(table))};
  CodeList codes;
  if (oneByte) AddSingleBytes(converter, codes);
  if (twoByte) AddJisX0208(converter, codes);
  if (twoByte && table == JapaneseTable::kCp932) AddWindowsExtensions(converter, codes);
  return CodeSpace(MakeImpl(std::string(name), std::move(codes), true, &converter));
}

std::optional<CodeSpace> CodeSpace::ForFont(std::string_view registry, std::string_view encoding,
                                            JapaneseTable table) {
  const std::string full = encoding.empty() ? std::string(registry)
                                            : std::string(registry) + "-" + std::string(encoding);
  if (CharsetIdOf(full) == CHARSET_UNSUPPORTED && Iso8859Part(full) == 0) {
    std::string upper(registry);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper != "ISO10646") return std::nullopt;
    return CodeSpace(UnicodeImpl(full, 0x10FFFF));
  }
  if (const int part = Iso8859Part(full)) {
    auto codes = Iso8859Codes(part);
    if (!codes) return std::nullopt;
    return CodeSpace(MakeImpl(full, std::move(*codes), false));
  }
  CodeList codes;
  switch (CharsetIdOf(full)) {
    case CHARSET_ISO646:
      for (std::int32_t code = 0x20; code <= 0x7E; ++code) codes.emplace_back(code, code);
      return CodeSpace(MakeImpl(full, std::move(codes), false));
    case CHARSET_JISX0201: {  // its own table: 0x5C is the yen sign, 0x7E the overline
      Converter converter(ConverterName(JapaneseTable::kJis));
      if (!converter.ok()) return std::nullopt;
      AddSingleBytes(converter, codes);
      return CodeSpace(MakeImpl(full, std::move(codes), true, &converter));
    }
    case CHARSET_JISX0208: {
      Converter converter(ConverterName(table));
      if (!converter.ok()) return std::nullopt;
      AddAllDoubleBytes(converter, codes);
      return CodeSpace(MakeImpl(full, std::move(codes), true, &converter));
    }
    case CHARSET_CP1252: {
      Converter converter("windows-1252");
      if (!converter.ok()) return std::nullopt;
      AddDecoded(converter, 0x20, 0xFF, codes);
      return CodeSpace(MakeImpl(full, std::move(codes), false, &converter));
    }
    default:
      return std::nullopt;  // ISO8859 without a known part
  }
}

CodeSpace::CodeSpace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CodeSpace::CodeSpace(CodeSpace&&) noexcept = default;
CodeSpace& CodeSpace::operator=(CodeSpace&&) noexcept = default;
CodeSpace::~CodeSpace() = default;

const std::string& CodeSpace::name() const { return impl_->name; }
bool CodeSpace::isUnicode() const { return impl_->unicodeLimit != 0; }

std::optional<char32_t> CodeSpace::Decode(std::int32_t code) const {
  if (isUnicode()) {
    if (code < 0 || static_cast<char32_t>(code) > impl_->unicodeLimit) return std::nullopt;
    if (code >= 0xD800 && code <= 0xDFFF) return std::nullopt;
    return static_cast<char32_t>(code);
  }
  const auto at = std::lower_bound(impl_->codes.begin(), impl_->codes.end(),
                                   std::pair<std::int32_t, char32_t>{code, 0});
  if (at == impl_->codes.end() || at->first != code) return std::nullopt;
  return at->second;
}

const std::vector<std::pair<std::int32_t, char32_t>>& CodeSpace::Codes() const {
  return impl_->codes;
}

std::vector<std::int32_t> CodeSpace::CodesOf(char32_t c) const {
  if (isUnicode()) {
    if (Decode(static_cast<std::int32_t>(c))) return {static_cast<std::int32_t>(c)};
    return {};
  }
  std::vector<std::int32_t> found;
  auto at = std::lower_bound(impl_->chars.begin(), impl_->chars.end(),
                             std::pair<char32_t, std::int32_t>{c, 0});
  for (; at != impl_->chars.end() && at->first == c; ++at) found.push_back(at->second);
  return found;
}

std::optional<char32_t> CodeSpace::VariantOf(char32_t c) const {
  if (!impl_->japanese) return std::nullopt;
  for (const auto& [a, b] : kVariantPairs) {
    if (c == a) return b;
    if (c == b) return a;
  }
  return std::nullopt;
}

std::vector<std::int32_t> CodeSpace::CodesFor(char32_t c) const {
  auto codes = CodesOf(c);
  if (codes.empty()) {
    if (const auto variant = VariantOf(c)) codes = CodesOf(*variant);
  }
  return codes;
}

std::optional<std::int32_t> CodeSpace::PreferredCode(char32_t c) const {
  const auto codes = CodesOf(c);
  if (codes.size() < 2) return codes.empty() ? std::nullopt : std::optional(codes.front());
  const auto at = std::lower_bound(impl_->preferred.begin(), impl_->preferred.end(),
                                   std::pair<char32_t, std::int32_t>{c, 0});
  if (at != impl_->preferred.end() && at->first == c &&
      std::binary_search(codes.begin(), codes.end(), at->second)) {
    return at->second;
  }
  return codes.front();
}

}  // namespace kelvane
