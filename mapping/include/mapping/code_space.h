// Code spaces: the codes of a character set, each standing for one character.
// A code is the encoded bytes read as one big-endian number: 0x41, 0xB1, 0x82A0.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "font/result.h"

namespace kelvane {

// Which table turns Japanese codes into characters. They differ at six codes
// only (0x5C, 0x7E, 0x815C, 0x8160, 0x8161, 0x817C); cp932 also has the
// Windows extensions.
enum class JapaneseTable { kJis, kCp932 };

// The names of the tables, the default first: cp932, jis.
std::span<const std::string_view> JapaneseTableNames();
std::optional<JapaneseTable> JapaneseTableNamed(std::string_view name);

// The names of the output code sets: shift_jis, jisx0208, jisx0201,
// iso8859-1 .. iso8859-16 (no 12) and unicode.
std::span<const std::string_view> OutputCodeSetNames();
// The same in one line for help and error texts, the ISO 8859 parts as a
// range: "shift_jis, jisx0208, jisx0201, iso8859-1 .. iso8859-16, unicode".
std::string CodeSetNameSummary();

class CodeSpace {
 public:
  // An output code set, one of OutputCodeSetNames(). Its codes are exactly the
  // ones the set lists.
  static Result<CodeSpace> ForOutput(std::string_view name, JapaneseTable table);
  // The character set a font names, with codes as a KVN file of that font
  // stores them (JIS X 0208 as Shift_JIS). nullopt when it is not known.
  static std::optional<CodeSpace> ForFont(std::string_view registry, std::string_view encoding,
                                          JapaneseTable table);

  CodeSpace(CodeSpace&&) noexcept;
  CodeSpace& operator=(CodeSpace&&) noexcept;
  ~CodeSpace();

  const std::string& name() const;
  // True when a code is the character itself (ISO 10646, unicode).
  bool isUnicode() const;
  // The character a code stands for, or nullopt when it is not in this space.
  std::optional<char32_t> Decode(std::int32_t code) const;
  // Every code of the space with its character, in ascending code order;
  // empty for unicode spaces, whose codes are the characters.
  const std::vector<std::pair<std::int32_t, char32_t>>& Codes() const;
  // The codes that stand for `c`, ascending; several when the table decodes
  // more than one code to it (under cp932, 髙 is at 0xEEE0 and 0xFBFC).
  std::vector<std::int32_t> CodesOf(char32_t c) const;
  // The other member of c's variant pair (U+301C and U+FF5E, U+005C and
  // U+00A5, ...) in a Japanese code set: shift_jis, jisx0208, jisx0201, and
  // the character sets of JIS X 0201 and JIS X 0208 fonts. nullopt elsewhere.
  std::optional<char32_t> VariantOf(char32_t c) const;
  // The codes of `c`, else those of its variant (in a Japanese code set only).
  std::vector<std::int32_t> CodesFor(char32_t c) const;
  // Of the codes of `c`, the one the table encodes it back to (under cp932,
  // ≒ is at 0x81E0 and 0x8790 and is encoded to 0x81E0); the lowest when the
  // table gives none of them; nullopt when `c` has no code.
  std::optional<std::int32_t> PreferredCode(char32_t c) const;

  struct Impl;

 private:
  explicit CodeSpace(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace kelvane
