#include "font_report.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "terminal_text.h"

namespace kelvane {
namespace {

// "0x8140-0x8141  glyphs 0-1", or "0x82A0         glyph 2".
std::string RangeLine(const kvn_range& range) {
  const unsigned first = range.first_code - range.index_delta;
  const unsigned last = range.last_code - range.index_delta;
  std::string codes = CodeText(range.first_code);
  if (range.last_code != range.first_code) codes += "-" + CodeText(range.last_code);
  codes.resize(std::max<std::size_t>(codes.size(), 13), ' ');
  return "    " + codes + "  " +
         (first == last ? "glyph " + std::to_string(first)
                        : "glyphs " + std::to_string(first) + "-" + std::to_string(last)) +
         "\n";
}

// The first code that finds the default glyph, if any does.
std::optional<std::uint16_t> CodeOfDefault(const kvn_font& font) {
  for (const CodedGlyph& coded : CodesThroughRanges(font)) {
    if (coded.index == font.default_index) return coded.code;
  }
  return std::nullopt;
}

// A file name inside a C comment: no control bytes, and no end of the comment.
std::string CommentSafe(std::string text) {
  text = EscapeControlBytes(text);
  for (std::size_t at; (at = text.find("*/")) != std::string::npos;) text.replace(at, 2, "*\\/");
  return text;
}

// The keywords of C (up to C23) and C++ (up to C++20), and the alternative
// spellings of operators, which <iso646.h> makes macros in C.
constexpr std::string_view kKeywords =
    "alignas alignof and and_eq asm auto bitand bitor bool break case catch char char8_t char16_t "
    "char32_t class compl concept const consteval constexpr constinit const_cast continue "
    "co_await co_return co_yield decltype default delete do double dynamic_cast else enum "
    "explicit export extern false float for friend goto if inline int long mutable namespace new "
    "noexcept not not_eq nullptr operator or or_eq private protected public register "
    "reinterpret_cast requires restrict return short signed sizeof static static_assert "
    "static_cast struct switch template this thread_local throw true try typedef typeid typename "
    "typeof typeof_unqual union unsigned using virtual void volatile wchar_t while xor xor_eq";

// What the compiler defines itself (the names all hold two underscores, but
// are worth naming as what they are).
constexpr std::string_view kPredefined =
    "__FILE__ __LINE__ __DATE__ __TIME__ __STDC__ __STDC_VERSION__ __STDC_HOSTED__ "
    "__STDC_IEC_559__ __STDC_IEC_559_COMPLEX__ __STDC_ISO_10646__ __cplusplus __func__";

// The macros the C99 standard headers define (the type-generic ones of
// <tgmath.h> among them), but for those that start with an underscore and a
// capital letter, and the families ReservedMacroFamily names.
constexpr std::string_view kStandardMacros =
    // <assert.h>, and the macro that switches it off
    "assert NDEBUG "
    // <complex.h>
    "complex imaginary I "
    // <errno.h>
    "errno EDOM EILSEQ ERANGE "
    // <fenv.h>
    "FE_DIVBYZERO FE_INEXACT FE_INVALID FE_OVERFLOW FE_UNDERFLOW FE_ALL_EXCEPT FE_DOWNWARD "
    "FE_TONEAREST FE_TOWARDZERO FE_UPWARD FE_DFL_ENV "
    // <float.h>
    "FLT_ROUNDS FLT_EVAL_METHOD FLT_RADIX DECIMAL_DIG FLT_MANT_DIG DBL_MANT_DIG LDBL_MANT_DIG "
    "FLT_DIG DBL_DIG LDBL_DIG FLT_MIN_EXP DBL_MIN_EXP LDBL_MIN_EXP FLT_MIN_10_EXP DBL_MIN_10_EXP "
    "LDBL_MIN_10_EXP FLT_MAX_EXP DBL_MAX_EXP LDBL_MAX_EXP FLT_MAX_10_EXP DBL_MAX_10_EXP "
    "LDBL_MAX_10_EXP FLT_MAX DBL_MAX LDBL_MAX FLT_EPSILON DBL_EPSILON LDBL_EPSILON FLT_MIN "
    "DBL_MIN LDBL_MIN "
    // <limits.h>
    "CHAR_BIT SCHAR_MIN SCHAR_MAX UCHAR_MAX CHAR_MIN CHAR_MAX MB_LEN_MAX SHRT_MIN SHRT_MAX "
    "USHRT_MAX INT_MIN INT_MAX UINT_MAX LONG_MIN LONG_MAX ULONG_MAX LLONG_MIN LLONG_MAX "
    "ULLONG_MAX "
    // <locale.h>
    "LC_ALL LC_COLLATE LC_CTYPE LC_MONETARY LC_NUMERIC LC_TIME "
    // <math.h>
    "HUGE_VAL HUGE_VALF HUGE_VALL INFINITY NAN FP_INFINITE FP_NAN FP_NORMAL FP_SUBNORMAL FP_ZERO "
    "FP_FAST_FMA FP_FAST_FMAF FP_FAST_FMAL FP_ILOGB0 FP_ILOGBNAN MATH_ERRNO MATH_ERREXCEPT "
    "math_errhandling fpclassify isfinite isinf isnan isnormal signbit isgreater isgreaterequal "
    "isless islessequal islessgreater isunordered "
    // <setjmp.h>
    "setjmp "
    // <signal.h>
    "SIG_DFL SIG_ERR SIG_IGN SIGABRT SIGFPE SIGILL SIGINT SIGSEGV SIGTERM "
    // <stdarg.h>
    "va_arg va_copy va_end va_start "
    // <stdbool.h>
    "bool true false "
    // <stddef.h>
    "NULL offsetof "
    // <stdint.h>, but for INT.../UINT... _MIN, _MAX and _C
    "PTRDIFF_MIN PTRDIFF_MAX SIG_ATOMIC_MIN SIG_ATOMIC_MAX SIZE_MAX WCHAR_MIN WCHAR_MAX WINT_MIN "
    "WINT_MAX "
    // <stdio.h>
    "BUFSIZ EOF FOPEN_MAX FILENAME_MAX L_tmpnam SEEK_CUR SEEK_END SEEK_SET TMP_MAX stderr stdin "
    "stdout "
    // <stdlib.h>
    "EXIT_FAILURE EXIT_SUCCESS RAND_MAX MB_CUR_MAX "
    // <tgmath.h>
    "acos asin atan acosh asinh atanh cos sin tan cosh sinh tanh exp log pow sqrt fabs atan2 cbrt "
    "ceil copysign erf erfc exp2 expm1 fdim floor fma fmax fmin fmod frexp hypot ilogb ldexp "
    "lgamma llrint llround log10 log1p log2 logb lrint lround nearbyint nextafter nexttoward "
    "remainder remquo rint round scalbn scalbln tgamma trunc carg cimag conj cproj creal "
    // <time.h>
    "CLOCKS_PER_SEC "
    // <wchar.h>, <wctype.h>
    "WEOF";

// Whether `name` is one of the words of `list`, which are separated by blanks.
bool Contains(std::string_view list, std::string_view name) {
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t end = std::min(list.find(' ', at), list.size());
    if (list.substr(at, end - at) == name) return true;
    at = end + 1;
  }
  return false;
}

// The macro families the standard headers reserve: INT8_MAX, UINT64_C,
// INTMAX_MIN; PRId32, SCNxPTR.
std::optional<std::string> ReservedMacroFamily(std::string_view name) {
  if ((name.starts_with("INT") || name.starts_with("UINT")) &&
      (name.ends_with("_MIN") || name.ends_with("_MAX") || name.ends_with("_C"))) {
    return "reserved for the macros of <stdint.h> (INT or UINT, then _MIN, _MAX or _C)";
  }
  const auto lowerOrX = [](char c) { return (c >= 'a' && c <= 'z') || c == 'X'; };
  if ((name.starts_with("PRI") || name.starts_with("SCN")) && name.size() > 3 &&
      lowerOrX(name[3])) {
    return "reserved for the macros of <inttypes.h> (PRI or SCN, then a lowercase letter or X)";
  }
  return std::nullopt;
}

}  // namespace

std::string DescribeFont(const LoadedFont& loaded) {
  const kvn_font& font = loaded.font;
  std::ostringstream out;
  out << EscapeControlBytes(loaded.path) << (loaded.converted ? " (converted in memory)" : "")
      << '\n';
  const std::size_t data = loaded.DataSize();
  out << "  size           " << loaded.fileSize << " bytes";
  if (loaded.fileSize > data) {
    out << " (" << data << " of font data, " << loaded.fileSize - data << " after it)";
  }
  out << '\n';
  out << "  glyphs         " << font.glyph_count << '\n';
  out << "  cell           " << int{font.cell_width} << "x" << int{font.cell_height} << '\n';
  out << "  bytes a glyph  " << int{font.glyph_bytes} << " of bitmap and 1 of advance\n";
  out << "  default glyph  index " << font.default_index;
  if (const auto code = CodeOfDefault(font)) {
    out << ", code " << CodeText(*code) << '\n';
  } else {
    out << ", found by no code\n";
  }
  out << "  ranges         " << font.range_count << ", "
      << (font.ranges_ascend ? "ascending" : "not ascending (lookups scan them in order)") << '\n';
  const unsigned count = font.range_count;
  const auto line = [&](unsigned i) {
    out << RangeLine(kvn_range_at(&font, static_cast<std::uint16_t>(i)));
  };
  if (count <= 20) {
    for (unsigned i = 0; i < count; ++i) line(i);
  } else {
    for (unsigned i = 0; i < 10; ++i) line(i);
    out << "    ... " << count - 15 << " more ...\n";
    for (unsigned i = count - 5; i < count; ++i) line(i);
  }
  return out.str();
}

std::optional<std::string> CNameProblem(std::string_view name) {
  const auto letter = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  };
  if (name.empty() || !letter(name.front()) || !std::all_of(name.begin(), name.end(), [&](char c) {
        return letter(c) || (c >= '0' && c <= '9');
      })) {
    return "not a C identifier (letters, digits and underscores, not starting with a digit)";
  }
  if (Contains(kKeywords, name)) return "a keyword of C or C++";
  if (Contains(kPredefined, name)) return "predefined by C or C++ compilers";
  if (name.size() > 1 && name[0] == '_' && ((name[1] >= 'A' && name[1] <= 'Z') || name[1] == '_')) {
    return "reserved: names that start with an underscore and a capital letter or a second "
           "underscore belong to the compiler";
  }
  if (name.find("__") != std::string_view::npos) {
    return "reserved in C++: names with two underscores in a row belong to the compiler";
  }
  if (name.front() == '_') return "reserved in C at file scope: it starts with an underscore";
  if (name.back() == '_') {
    return "its length would be " + std::string(name) + "_len, which has two underscores in a row";
  }
  if (Contains(kStandardMacros, name)) return "a macro of the C standard headers";
  return ReservedMacroFamily(name);
}

std::string CArrayOf(const LoadedFont& loaded, const std::string& name) {
  const kvn_font& font = loaded.font;
  const std::size_t size = loaded.DataSize();
  std::string out = "/* " + CommentSafe(loaded.path) + (loaded.converted ? " (converted)" : "") +
                    ": a KVN font of " + std::to_string(font.glyph_count) + " glyphs, " +
                    std::to_string(font.cell_width) + "x" + std::to_string(font.cell_height) +
                    " cell, " + std::to_string(size) + " bytes; made by kvn c-array */\n";
  out += "static const unsigned char " + name + "[] = {\n";
  out.reserve(out.size() + size * 6 + size / 12 * 3 + 100);
  static constexpr char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < size; ++i) {
    out += i % 12 == 0 ? "  " : " ";
    const std::uint8_t byte = loaded.bytes[i];
    out += {'0', 'x', kHex[byte >> 4], kHex[byte & 0xF], ','};
    if (i % 12 == 11 || i + 1 == size) out += '\n';
  }
  out += "};\n";
  out += "static const unsigned int " + name + "_len = " + std::to_string(size) + ";\n";
  return out;
}

}  // namespace kelvane
