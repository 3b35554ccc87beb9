#include "c_array.h"

#include <algorithm>
#include <filesystem>

#include "terminal_text.h"

namespace kelvane {
namespace {

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

// The names the standard headers give types, besides those ending in _t.
constexpr std::string_view kStandardTypes = "FILE jmp_buf va_list";

// The macros a header defines, the include guard among them, each named by
// the array's name in capitals and its ending. No macro ends as the guard does.
enum Macro { kCellWidth, kCellHeight, kGlyphs, kSize, kBaseline, kGuard, kMacroCount };
constexpr std::string_view kMacroEndings[kMacroCount] = {"_CELL_WIDTH", "_CELL_HEIGHT", "_GLYPHS",
                                                         "_SIZE",       "_BASELINE",    "_KVN_H"};

std::string MacroName(std::string_view name, Macro macro) {
  std::string text(name);
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text + std::string(kMacroEndings[macro]);
}

// The last part of a path: the input, header and source are named by it alone.
std::string BaseName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// A file name inside a C comment: no control bytes, and no end of the comment.
std::string CommentSafe(std::string text) {
  text = EscapeControlBytes(text);
  for (std::size_t at; (at = text.find("*/")) != std::string::npos;) text.replace(at, 2, "*\\/");
  return text;
}

// What a C text says the font is: "small.bdf converted into a KVN font: 3
// glyphs, 4x4 cell, 36 bytes", the input named without its directory.
std::string FontSummary(const LoadedFont& loaded) {
  const kvn_font& font = loaded.font;
  const std::string input = CommentSafe(BaseName(loaded.path));
  return (loaded.converted ? input + " converted into a KVN font" : "the KVN font " + input) +
         ": " + std::to_string(font.glyph_count) + " glyphs, " + std::to_string(font.cell_width) +
         "x" + std::to_string(font.cell_height) + " cell, " + std::to_string(loaded.DataSize()) +
         " bytes";
}

// How every header's comment ends.
constexpr char kPlainPointers[] =
    "   The device reader reads the array through plain pointers: keep it where\n"
    "   the CPU addresses it directly (RAM, or flash mapped into memory). */\n";

// The include guard, then the macros of the font's sizes.
std::string GuardAndMacros(const LoadedFont& loaded, const std::string& name,
                           const std::optional<std::int64_t>& baseline) {
  const kvn_font& font = loaded.font;
  const auto define = [&name](Macro macro, const std::string& value) {
    return "#define " + MacroName(name, macro) + " " + value + "\n";
  };
  const std::string guard = MacroName(name, kGuard);
  std::string out = "#ifndef " + guard + "\n#define " + guard + "\n\n";
  out += define(kCellWidth, std::to_string(font.cell_width)) +
         define(kCellHeight, std::to_string(font.cell_height)) +
         define(kGlyphs, std::to_string(font.glyph_count)) +
         define(kSize, std::to_string(loaded.DataSize()) + " /* bytes */");
  if (baseline) {
    const std::string value = std::to_string(*baseline);
    out += define(kBaseline, (*baseline < 0 ? "(" + value + ")" : value) +
                                 " /* rows from the top of the cell down to the baseline */");
  }
  return out + "\n";
}

std::string GuardEnd(const std::string& name) {
  return "\n#endif /* " + MacroName(name, kGuard) + " */\n";
}

// The definitions of the array, its declarator after `qualifiers`, and of its
// length.
std::string Definitions(const LoadedFont& loaded, const CArrayArguments& args,
                        const std::string& qualifiers) {
  const std::size_t size = loaded.DataSize();
  std::string out = qualifiers + "unsigned char " + args.name + "[]" +
                    (args.attribute ? " " + *args.attribute : "") + " = {\n";
  out.reserve(out.size() + size * 6 + size / 12 * 3 + 100);
  static constexpr char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < size; ++i) {
    out += i % 12 == 0 ? "  " : " ";
    const std::uint8_t byte = loaded.bytes[i];
    out += {'0', 'x', kHex[byte >> 4], kHex[byte & 0xF], ','};
    if (i % 12 == 11 || i + 1 == size) out += '\n';
  }
  out += "};\n";
  return out + qualifiers + "unsigned long " + args.name + "_len = " + std::to_string(size) + ";\n";
}

// A comment's first lines: "/* TITLE, made by kvn c-array." and the font.
std::string Opening(const std::string& title, const LoadedFont& loaded) {
  return "/* " + title + ", made by kvn c-array.\n   " + FontSummary(loaded) + ".\n";
}

// The header -o writes: everything, the array static, for one C file.
std::string SelfContainedHeader(const LoadedFont& loaded, const CArrayArguments& args,
                                const std::optional<std::int64_t>& baseline) {
  return Opening(args.name, loaded) + kPlainPointers + GuardAndMacros(loaded, args.name, baseline) +
         Definitions(loaded, args, "static const ") + GuardEnd(args.name);
}

// The header of --header: the declarations, which C++ files take as C's.
std::string DeclaringHeader(const LoadedFont& loaded, const CArrayArguments& args,
                            const std::optional<std::int64_t>& baseline) {
  return Opening(CommentSafe(BaseName(args.header)), loaded) + "   " +
         CommentSafe(BaseName(args.source)) + " defines the array.\n" + kPlainPointers +
         GuardAndMacros(loaded, args.name, baseline) +
         "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\nextern const unsigned char " + args.name +
         "[];\nextern const unsigned long " + args.name +
         "_len;\n\n#ifdef __cplusplus\n}\n#endif\n" + GuardEnd(args.name);
}

// The source of --source, which includes the header by its name.
std::string DefiningSource(const LoadedFont& loaded, const CArrayArguments& args) {
  std::string opening = Opening(CommentSafe(BaseName(args.source)), loaded);
  opening.insert(opening.size() - 1, " */");
  return opening + "#include \"" + BaseName(args.header) + "\"\n\n" +
         Definitions(loaded, args, "const ");
}

// Why the header's name cannot be what the source includes, or nothing.
std::optional<std::string> IncludeProblem(const std::string& path) {
  const std::string name = BaseName(path);
  if (name.empty() || name == "." || name == "..") return "not the name of a file";
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"' || c == '\'' || c == '\\') {
      return "the source would include it by a name with control bytes, quotes or backslashes";
    }
  }
  return std::nullopt;
}

}  // namespace

void AddCArrayOptions(CLI::App& command, CArrayArguments& args) {
  command
      .add_option("--name", args.name,
                  "The name of the array: a C identifier that is no keyword, reserved name, or "
                  "macro or type of a standard header; the macros are named after it in "
                  "capitals (NAME_SIZE)")
      ->required();
  command
      .add_option("--header", args.header,
                  "Write a header that declares the array (with C linkage in C++) to this file; "
                  "needs --source, not -o")
      ->type_name("FILE");
  command
      .add_option("--source", args.source,
                  "Write the C source that defines the array to this file; it includes the "
                  "header by its name. Needs --header")
      ->type_name("FILE");
  command
      .add_option("--attribute", args.attribute,
                  "Put TEXT after the array's name where it is defined, e.g. "
                  "'__attribute__((section(\".fonts\"), aligned(4)))'")
      ->type_name("TEXT");
  command
      .add_option("--baseline", args.baseline,
                  "For a font that does not state its baseline (KVN, FONTX2, PSF): the rows from "
                  "the top of the cell down to it, 0 to the cell's height, as NAME_BASELINE. "
                  "Other fonts take only the baseline they state")
      ->type_name("N")
      ->check(CLI::Range(0, 255));
}

std::string CArrayArgumentsProblem(const CArrayArguments& args, bool outputGiven) {
  if (const auto problem = CNameProblem(args.name)) return "--name " + args.name + ": " + *problem;
  if (args.attribute) {
    if (const auto problem = CAttributeProblem(*args.attribute)) {
      return "--attribute " + *args.attribute + ": " + *problem;
    }
  }
  const bool header = !args.header.empty(), source = !args.source.empty();
  if (!header && !source) return {};
  if (header != source) {
    return "--header and --source go together: the header declares the array the source defines";
  }
  if (outputGiven) return "-o writes one header that holds everything; not with --header";
  if (args.header == "-" || args.source == "-") {
    return "--header and --source name files (standard output takes -o's one header)";
  }
  if (std::filesystem::path(args.header).lexically_normal() ==
      std::filesystem::path(args.source).lexically_normal()) {
    return "--header and --source name the same file";
  }
  if (const auto problem = IncludeProblem(args.header)) {
    return "--header " + args.header + ": " + *problem;
  }
  return {};
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
  if (auto family = ReservedMacroFamily(name)) return family;
  if (Contains(kStandardTypes, name)) return "a type of the standard headers";
  if (name.ends_with("_t")) return "reserved for types (size_t, uint8_t): it ends in _t";
  if (name == "std") return "the namespace of the C++ standard library";
  for (int each = 0; each < kMacroCount; ++each) {
    const std::string macro = MacroName(name, static_cast<Macro>(each));
    if (Contains(kStandardMacros, macro)) return "its macro " + macro + " is one of C's own";
    if (auto family = ReservedMacroFamily(macro)) {
      return "its macro " + macro + " would be " + *family;
    }
  }
  return std::nullopt;
}

std::optional<std::string> CAttributeProblem(std::string_view text) {
  if (text.find_first_not_of(' ') == std::string_view::npos) return "no text";
  if (std::any_of(text.begin(), text.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
    return "a line end or other control character would break the line it goes on";
  }
  for (const std::string_view comment : {"/*", "*/", "//"}) {
    if (text.find(comment) != std::string_view::npos) {
      return "\"" + std::string(comment) + "\" would start or end a comment";
    }
  }
  int depth = 0;
  for (const char c : text) {
    depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    if (depth < 0) break;
  }
  if (depth != 0) return "the parentheses do not pair up";
  return std::nullopt;
}

Result<std::vector<CArrayFile>> CArrayFiles(const LoadedFont& loaded, const CArrayArguments& args,
                                            const std::string& output) {
  std::optional<std::int64_t> baseline = loaded.baseline;
  if (args.baseline) {
    const int height = loaded.font.cell_height;
    if (*args.baseline > height) {
      return Diagnostic{.text = "--baseline " + std::to_string(*args.baseline) +
                                ": below the cell, which is " + std::to_string(height) +
                                " rows high"};
    }
    if (baseline && *baseline != *args.baseline) {
      return Diagnostic{.text = "--baseline " + std::to_string(*args.baseline) + ": " +
                                BaseName(loaded.path) + " puts its glyphs on a baseline " +
                                std::to_string(*baseline) + " rows below the top of the cell"};
    }
    baseline = *args.baseline;
  }
  if (args.header.empty()) {
    return std::vector<CArrayFile>{
        {output.empty() ? "-" : output, SelfContainedHeader(loaded, args, baseline)}};
  }
  return std::vector<CArrayFile>{{args.header, DeclaringHeader(loaded, args, baseline)},
                                 {args.source, DefiningSource(loaded, args)}};
}

}  // namespace kelvane
