#include "platform/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <optional>
#include <random>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "signal_slot.h"

namespace kelvane::platform {
namespace {

// The kernel's limit on symbolic links followed while resolving one path.
constexpr int kMaxLinkHops = 40;
constexpr int kMaxNameAttempts = 100;
constexpr const char* kSharedDirectoryLink = "symbolic link in a shared directory";
constexpr const char* kNotRegular = "not a regular file";

Diagnostic Reason(std::string text) { return Diagnostic{.text = std::move(text)}; }
Diagnostic ErrnoReason(int error) { return Reason(std::generic_category().message(error)); }

// A file descriptor closed when the object goes.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.fd_, -1));
    return *this;
  }
  ~UniqueFd() { Reset(-1); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes the descriptor now, for the error close() may report.
  int Close() { return ::close(std::exchange(fd_, -1)); }

 private:
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  int fd_ = -1;
};

// A name within an open directory: where the file to replace is, or would be.
struct Location {
  UniqueFd dir;
  std::string name;
};

// The kernel's protected-symlinks rule: in a sticky world-writable directory
// only links owned by the follower or by the directory's owner are followed.
Status CheckMayFollow(int dir, const struct stat& link) {
  struct stat dirStat {};
  if (fstat(dir, &dirStat) != 0) return ErrnoReason(errno);
  const bool shared = (dirStat.st_mode & S_ISVTX) != 0 && (dirStat.st_mode & S_IWOTH) != 0;
  if (!shared || link.st_uid == geteuid() || link.st_uid == dirStat.st_uid) return Ok();
  return Reason(kSharedDirectoryLink);
}

Result<std::string> ReadLink(int dir, const std::string& name, std::size_t size) {
  std::string target(size > 0 ? size + 1 : 256, '\0');
  for (;;) {
    const ssize_t length = readlinkat(dir, name.c_str(), target.data(), target.size());
    if (length < 0) return ErrnoReason(errno);
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    target.resize(target.size() * 2);  // the link grew since it was examined
  }
}

// The text of the link `name` in `dir`, if it may be followed as the
// `hops`-th link of the path.
Result<std::string> FollowLink(int dir, const std::string& name, const struct stat& link,
                               int& hops) {
  if (++hops > kMaxLinkHops) return ErrnoReason(ELOOP);
  if (Status follow = CheckMayFollow(dir, link); !follow) return std::move(follow).error();
  return ReadLink(dir, name, static_cast<std::size_t>(link.st_size));
}

// A directory open during a walk. `searchOnly` when the user may look names up
// in it but not read it: it is then open only for that (O_PATH).
struct WalkedDirectory {
  UniqueFd fd;
  bool searchOnly = false;
};

// Opens the directory `name` in `dir`, never through a link.
Result<WalkedDirectory> OpenDirectory(int dir, const char* name) {
  const int fd = openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) return WalkedDirectory{UniqueFd(fd), false};
  if (errno != EACCES) return ErrnoReason(errno);
  const int searchFd = openat(dir, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (searchFd < 0) return ErrnoReason(EACCES);
  return WalkedDirectory{UniqueFd(searchFd), true};
}

// Puts the names of `path` on `pending` so that they come off it in order.
void PushNames(std::vector<std::string>& pending, std::string_view path) {
  const std::size_t first = pending.size();
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view name = path.substr(0, slash);
    if (!name.empty() && name != ".") pending.emplace_back(name);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  }
  std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
}

// Opens the directory `path` names, relative to `base` unless it is absolute,
// one name at a time, following the links among them as the kernel would
// (each relative to the directory holding it) where CheckMayFollow allows.
// The directory is opened for reading: the replacement is flushed through it.
Result<UniqueFd> OpenDirectoryPath(int base, std::string_view path, int& hops) {
  Result<WalkedDirectory> current =
      path.starts_with('/') ? OpenDirectory(AT_FDCWD, "/") : OpenDirectory(base, ".");
  std::vector<std::string> pending;
  PushNames(pending, path);
  while (current && !pending.empty()) {
    const std::string name = std::move(pending.back());
    pending.pop_back();
    const int dir = current->fd.get();
    struct stat entry {};
    if (fstatat(dir, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) return ErrnoReason(errno);
    if (!S_ISLNK(entry.st_mode)) {
      current = OpenDirectory(dir, name.c_str());
      continue;
    }
    Result<std::string> linkText = FollowLink(dir, name, entry, hops);
    if (!linkText) return std::move(linkText).error();
    if (linkText->starts_with('/')) current = OpenDirectory(AT_FDCWD, "/");
    PushNames(pending, *linkText);
  }
  if (!current) return std::move(current).error();
  if (!current->searchOnly) return std::move(current->fd);
  const int fd = openat(current->fd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return ErrnoReason(errno);
  return UniqueFd(fd);
}

// Opens the directory holding the last name of `path`, relative to `base`
// unless the path is absolute.
Result<Location> OpenParent(int base, std::string_view path, int& hops) {
  if (path.empty()) return ErrnoReason(ENOENT);
  if (path.back() == '/') return ErrnoReason(EISDIR);
  std::string_view dirPath;
  std::string_view name = path;
  if (const std::size_t slash = path.rfind('/'); slash != std::string_view::npos) {
    dirPath = path.substr(0, slash + 1);  // keeps "/" for a name in the root
    name = path.substr(slash + 1);
  }
  Result<UniqueFd> dir = OpenDirectoryPath(base, dirPath, hops);
  if (!dir) return std::move(dir).error();
  return Location{std::move(*dir), std::string(name)};
}

// Why an existing file may not be replaced, if it may not.
Status CheckReplaceable(const Location& where, const struct stat& file) {
  if (S_ISDIR(file.st_mode)) return ErrnoReason(EISDIR);
  // Devices, pipes and sockets are never renamed over.
  if (!S_ISREG(file.st_mode)) return Reason(kNotRegular);
  // Even a process that may write anything leaves a read-only file alone.
  if ((file.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return ErrnoReason(EACCES);
  if (faccessat(where.dir.get(), where.name.c_str(), W_OK, AT_EACCESS) != 0) {
    return ErrnoReason(errno);
  }
  return Ok();
}

// The file a path finally names, with its status when it exists.
struct Target {
  Location where;
  std::optional<struct stat> existing;
};

FileIdentity IdentityOf(const struct stat& status) {
  return {.device = static_cast<std::uint64_t>(status.st_dev),
          .inode = static_cast<std::uint64_t>(status.st_ino)};
}

// Follows symbolic links at the end of the path one hop at a time, each
// relative to the directory holding it, through descriptors of those
// directories, so that what is checked is what is replaced.
Result<Target> FindTarget(const std::string& path, std::span<const FileIdentity> inputs) {
  int hops = 0;  // shared by the directories walked and the last names
  Result<Location> where = OpenParent(AT_FDCWD, path, hops);
  for (;;) {
    if (!where) return std::move(where).error();
    struct stat file {};
    if (fstatat(where->dir.get(), where->name.c_str(), &file, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) return Target{std::move(*where), std::nullopt};
      return ErrnoReason(errno);
    }
    if (!S_ISLNK(file.st_mode)) {
      if (std::ranges::find(inputs, IdentityOf(file)) != inputs.end()) {
        return Reason(std::string(kReplacesInput));
      }
      if (Status replaceable = CheckReplaceable(*where, file); !replaceable) {
        return std::move(replaceable).error();
      }
      return Target{std::move(*where), file};
    }
    Result<std::string> linkText = FollowLink(where->dir.get(), where->name, file, hops);
    if (!linkText) return std::move(linkText).error();
    where = OpenParent(where->dir.get(), *linkText, hops);
  }
}

std::string RandomTemporaryName(std::random_device& random) {
  char name[posix::kTemporaryNameCapacity];
  std::snprintf(name, sizeof name, ".kvn%08x.tmp", static_cast<unsigned>(random()));
  return name;
}

mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (!line.starts_with("Umask:")) continue;
    const std::size_t digits = line.find_first_of("01234567");
    unsigned mask = 0;
    if (digits == std::string::npos) break;
    const auto parsed = std::from_chars(line.data() + digits, line.data() + line.size(), mask, 8);
    if (parsed.ec == std::errc()) return static_cast<mode_t>(mask);
    break;
  }
  // Without /proc: read it by setting it, and put it back at once.
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// The mode the new contents get: the replaced file's, without set-user-ID and
// set-group-ID, or what a newly created file would get.
mode_t FinalMode(const std::optional<struct stat>& existing) {
  if (existing) return existing->st_mode & 07777 & ~(S_ISUID | S_ISGID);
  return 0666 & ~CurrentUmask();
}

Status WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return ErrnoReason(errno);
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return Ok();
}

}  // namespace

struct FileReplacement::State {
  bool toStandardOutput = false;
  Location target;
  std::optional<struct stat> existing;
  UniqueFd file;
  std::string temporaryName;  // empty once renamed or removed
  int signalEntry = -1;
  std::optional<Diagnostic> writeFailure;  // a failed write spoils the replacement

  ~State() { RemoveTemporary(); }

  int OutputFd() const { return toStandardOutput ? STDOUT_FILENO : file.get(); }

  Status CreateTemporary() {
    std::random_device random;
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
      std::string name = RandomTemporaryName(random);
      posix::TerminationSignalsBlocked blocked;
      const int fd = openat(target.dir.get(), name.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
      if (fd < 0) {
        if (errno == EEXIST) continue;
        return ErrnoReason(errno);
      }
      file = UniqueFd(fd);
      temporaryName = std::move(name);
      signalEntry = posix::RememberTemporaryFile(target.dir.get(), temporaryName.c_str());
      return Ok();
    }
    return ErrnoReason(EEXIST);
  }

  // Gives the temporary file the replaced file's owner, where allowed, and then
  // its final mode (changing the owner may clear mode bits).
  Status SetOwnerAndMode() {
    if (existing && fchown(file.get(), existing->st_uid, existing->st_gid) != 0 && errno != EPERM) {
      return ErrnoReason(errno);
    }
    if (fchmod(file.get(), FinalMode(existing)) != 0) return ErrnoReason(errno);
    return Ok();
  }

  Status FlushAndClose() {
    if (fsync(file.get()) != 0) return ErrnoReason(errno);
    // Some file systems report write errors only when the file is closed.
    if (file.Close() != 0) return ErrnoReason(errno);
    return Ok();
  }

  Status RenameOverTarget() {
    posix::TerminationSignalsBlocked blocked;
    const int dir = target.dir.get();
    if (renameat(dir, temporaryName.c_str(), dir, target.name.c_str()) != 0) {
      return ErrnoReason(errno);
    }
    posix::ForgetTemporaryFile(std::exchange(signalEntry, -1));
    temporaryName.clear();
    return Ok();
  }

  Status FlushDirectory() {
    if (fsync(target.dir.get()) != 0 && errno != EINVAL) return ErrnoReason(errno);
    return Ok();
  }

  void RemoveTemporary() {
    if (temporaryName.empty()) return;
    posix::TerminationSignalsBlocked blocked;
    posix::ForgetTemporaryFile(std::exchange(signalEntry, -1));
    unlinkat(target.dir.get(), temporaryName.c_str(), 0);
    temporaryName.clear();
  }
};

Result<FileReplacement> FileReplacement::Begin(const std::string& utf8Path,
                                               std::span<const FileIdentity> inputs) {
  Result<Target> found = FindTarget(utf8Path, inputs);
  if (!found) return std::move(found).error();
  auto state = std::make_unique<State>();
  state->target = std::move(found->where);
  state->existing = found->existing;
  if (Status created = state->CreateTemporary(); !created) return std::move(created).error();
  return FileReplacement(std::move(state));
}

FileReplacement FileReplacement::ToStandardOutput() {
  auto state = std::make_unique<State>();
  state->toStandardOutput = true;
  return FileReplacement(std::move(state));
}

FileReplacement::FileReplacement(std::unique_ptr<State> state) : state_(std::move(state)) {}
FileReplacement::FileReplacement(FileReplacement&&) noexcept = default;
FileReplacement& FileReplacement::operator=(FileReplacement&&) noexcept = default;
FileReplacement::~FileReplacement() = default;

Status FileReplacement::Write(std::span<const std::uint8_t> bytes) {
  if (!state_ || (!state_->toStandardOutput && !state_->file.valid())) return ErrnoReason(EBADF);
  if (state_->writeFailure) return *state_->writeFailure;
  Status written = WriteAll(state_->OutputFd(), bytes);
  if (!written) state_->writeFailure = written.error();
  return written;
}

Status FileReplacement::Commit() {
  if (!state_) return ErrnoReason(EBADF);
  State& state = *state_;
  if (state.toStandardOutput) return Ok();
  if (!state.file.valid()) return ErrnoReason(EBADF);
  Status done = state.writeFailure ? Status(*state.writeFailure) : Ok();
  if (done) done = state.SetOwnerAndMode();
  if (done) done = state.FlushAndClose();
  if (done) done = state.RenameOverTarget();
  if (done) done = state.FlushDirectory();
  if (!done) state.RemoveTemporary();
  return done;
}

}  // namespace kelvane::platform
