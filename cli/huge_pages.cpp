#include "cli/huge_pages.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#if defined(__linux__) && defined(__GLIBC__)
#include <unistd.h>
#endif

#include "conversion/utf8_path.h"

namespace kelvane {
namespace {

// Below this much BDF the glyph store is small and a restart would cost more
// than it saves.
constexpr std::uintmax_t kWorthwhileInputBytes = 4 << 20;

std::uintmax_t TotalSize(const std::vector<std::string>& files) {
  std::uintmax_t total = 0;
  for (const std::string& file : files) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(PathFromUtf8(file), ec);
    if (!ec) total += size;
  }
  return total;
}

}  // namespace

// The glyph store of a large font is one buffer of several megabytes. The kernel
// maps it in 4 KB pages by default, and on some machines those page faults cost
// as much as reading the whole font; with transparent huge pages it maps 2 MB at
// a time. glibc asks for them only when its tunable is set before the program
// starts, hence the restart. A user's own GLIBC_TUNABLES is left alone.
void RestartWithHugePagesIfWorthwhile(char** argv, const std::vector<std::string>& files) {
#if defined(__linux__) && defined(__GLIBC__)
  if (std::getenv("GLIBC_TUNABLES") != nullptr) return;
  if (TotalSize(files) < kWorthwhileInputBytes) return;
  if (::setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 1) != 0) return;
  ::execv("/proc/self/exe", argv);
  ::unsetenv("GLIBC_TUNABLES");  // the restart failed: go on without it
#else
  (void)argv;
  (void)files;
#endif
}

}  // namespace kelvane
