// How the core reports failure: a value, or one diagnostic naming where the
// problem lies.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace kelvane {

// What a user could do about a refusal. Lower layers only name it; each front
// end words it for its own user (a command option, a control of a window).
enum class Remedy {
  kNone,
  kMapCharset,         // choosing an output code set maps the font
  kMapMergedCharsets,  // choosing an output code set maps the merged fonts into one
  kGivePixelSize,      // an outline font is drawn at a pixel size given
  kChoosePixelSize,    // a font of several sizes converts at the one chosen
  kChooseFace,         // a collection converts the face chosen
};

// What went wrong, and where: the file and its line (0 when no line is meant).
// `text` is the whole message the user sees, before any remedy.
struct Diagnostic {
  std::string file{};
  std::int64_t line = 0;
  std::string text{};
  Remedy remedy = Remedy::kNone;

  bool operator==(const Diagnostic&) const = default;
};

// Either a T or a Diagnostic.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::move(value)) {}                     // NOLINT: implicit by design
  Result(Diagnostic diagnostic) : state_(std::move(diagnostic)) {}  // NOLINT

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  const Diagnostic& error() const& { return std::get<1>(state_); }
  Diagnostic&& error() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<T, Diagnostic> state_;
};

// The refusal's text with a front end's words for its remedy: words that
// start with ':' or ';' go inside the text's closing bracket ("(an outline
// font: give a pixel size with --size)"), any others after the text.
inline std::string WithRemedyWords(const Diagnostic& refusal, const std::string& words) {
  const bool inside = !words.empty() && (words.front() == ':' || words.front() == ';');
  if (!inside || refusal.text.empty() || refusal.text.back() != ')') return refusal.text + words;
  return refusal.text.substr(0, refusal.text.size() - 1) + words + ")";
}

// Something worth telling about a result that succeeded: `text` always,
// `detail` (what it is about, by name) to a user who asks for details.
struct Warning {
  std::string text{};
  std::string detail{};

  bool operator==(const Warning&) const = default;
};

// Success without a value.
struct Done {};
using Status = Result<Done>;
inline Status Ok() { return Done{}; }

}  // namespace kelvane
