#include "output/file_replacement.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "conversion/utf8_path.h"

namespace kelvane {
namespace fs = std::filesystem;
namespace {

constexpr int kMaxLinkDepth = 40;

std::string ErrnoText(int error, const char* fallback) {
  return error != 0 ? std::strerror(error) : fallback;
}

// The file a path finally names, following symbolic links, dangling ones too.
std::optional<fs::path> ResolveLinks(fs::path path, std::string* reason) {
  std::error_code ec;
  for (int depth = 0; fs::is_symlink(fs::symlink_status(path, ec)); ++depth) {
    if (depth == kMaxLinkDepth) {
      *reason = std::make_error_code(std::errc::too_many_symbolic_link_levels).message();
      return std::nullopt;
    }
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) {
      *reason = ec.message();
      return std::nullopt;
    }
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

bool HasAnyWriteBit(fs::perms perms) {
  return (perms & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) !=
         fs::perms::none;
}

// Why an existing file at target may not be replaced, or nullopt.
std::optional<std::string> ReasonNotReplaceable(const fs::path& target) {
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  if (!fs::exists(status)) return std::nullopt;
  if (fs::is_directory(status)) return std::make_error_code(std::errc::is_a_directory).message();
  // Devices, pipes and sockets are never renamed over.
  if (!fs::is_regular_file(status)) return std::string("not a regular file");
  const auto denied = std::make_error_code(std::errc::permission_denied).message();
  if (!HasAnyWriteBit(status.permissions())) return denied;
  errno = 0;
  std::ofstream probe(target, std::ios::binary | std::ios::app);  // writes nothing
  if (!probe.is_open()) return ErrnoText(errno, denied.c_str());
  return std::nullopt;
}

fs::path TemporaryPathBeside(const fs::path& target) {
  std::random_device random;
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  for (;;) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
    fs::path name(".");
    name += target.filename();
    name += suffix;
    const fs::path candidate = dir / name;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
  }
}

std::optional<std::string> WritePieces(const fs::path& path,
                                       std::span<const std::span<const std::uint8_t>> pieces) {
  errno = 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) return ErrnoText(errno, "cannot be created");
  for (const auto& piece : pieces) {
    out.write(reinterpret_cast<const char*>(piece.data()),
              static_cast<std::streamsize>(piece.size()));
    if (!out) return ErrnoText(errno, "write failed");
  }
  out.flush();
  if (!out) return ErrnoText(errno, "write failed");
  out.close();
  if (!out) return ErrnoText(errno, "close failed");
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ReplaceFile(const std::string& utf8Path,
                                       std::span<const std::span<const std::uint8_t>> pieces) {
  std::string reason;
  const auto target = ResolveLinks(PathFromUtf8(utf8Path), &reason);
  if (!target) return reason;
  if (auto refused = ReasonNotReplaceable(*target)) return refused;

  const fs::path temporary = TemporaryPathBeside(*target);
  std::error_code ec;
  auto failure = WritePieces(temporary, pieces);
  if (!failure) {
    std::error_code statusError;
    const fs::file_status old = fs::status(*target, statusError);
    if (fs::exists(old)) fs::permissions(temporary, old.permissions(), ec);
    if (!ec) fs::rename(temporary, *target, ec);
    if (ec) failure = ec.message();
  }
  if (failure) fs::remove(temporary, ec);
  return failure;
}

}  // namespace kelvane
