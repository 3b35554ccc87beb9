#include "platform/file_replacement.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <functional>
#include <utility>
#include <vector>

#include "platform_test_support.h"

namespace kelvane::platform::test {
namespace {

using Names = std::set<std::string>;

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

Status Replace(const std::string& path, std::string_view bytes) {
  Result<FileReplacement> replacement = FileReplacement::Begin(path);
  if (!replacement) return replacement.error();
  if (Status written = replacement->Write(AsBytes(bytes)); !written) return written;
  return replacement->Commit();
}

struct stat StatusOf(const std::string& path) {
  struct stat status {};
  lstat(path.c_str(), &status);
  return status;
}

mode_t ModeOf(const std::string& path) { return StatusOf(path).st_mode & 07777; }

// Sets the process's umask while the object lives.
class UmaskSet {
 public:
  explicit UmaskSet(mode_t mask) : saved_(umask(mask)) {}
  ~UmaskSet() { umask(saved_); }

 private:
  mode_t saved_;
};

// The program's fsync, which notes what was flushed and what the file being
// replaced held at that moment, then flushes as the C library's would.
struct FlushLog {
  std::string target;
  std::vector<std::string> events;
  ino_t flushedFile = 0;
};
FlushLog* gFlushLog = nullptr;

}  // namespace
}  // namespace kelvane::platform::test

extern "C" int fsync(int fd) {
  using kelvane::platform::test::gFlushLog;
  if (gFlushLog != nullptr) {
    struct stat status {};
    fstat(fd, &status);
    const bool directory = S_ISDIR(status.st_mode);
    if (!directory) gFlushLog->flushedFile = status.st_ino;
    gFlushLog->events.push_back(std::string(directory ? "directory" : "file") + ", target holds " +
                                kelvane::platform::test::ReadBytes(gFlushLog->target));
  }
  return static_cast<int>(syscall(SYS_fsync, fd));
}

namespace kelvane::platform::test {
namespace {

TEST(FileReplacement, ReplacesContentsKeepingModeWithoutSetIdBits) {
  const struct {
    mode_t before, after;
  } cases[] = {{0644, 0644},  {0600, 0600},  {0200, 0200},  {04755, 0755},
               {02750, 0750}, {06777, 0777}, {01644, 01644}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode 0" << std::oct << c.before);
    ScratchDir dir;
    const std::string out = dir / "out.kvn";
    WriteBytes(out, "old contents, longer than the new");
    ASSERT_EQ(chmod(out.c_str(), c.before), 0);
    EXPECT_EQ(Outcome(Replace(out, "new")), "ok");
    EXPECT_EQ(ReadBytes(out), "new");
    EXPECT_EQ(ModeOf(out), c.after);
    EXPECT_EQ(dir.Names(), Names{"out.kvn"});
  }
}

TEST(FileReplacement, NewFileModeFollowsUmask) {
  const struct {
    mode_t mask, mode;
  } cases[] = {{022, 0644}, {027, 0640}, {077, 0600}, {0, 0666}, {0222, 0444}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "umask 0" << std::oct << c.mask);
    ScratchDir dir;
    UmaskSet mask(c.mask);
    EXPECT_EQ(Outcome(Replace(dir / "out.kvn", "new")), "ok");
    EXPECT_EQ(ModeOf(dir / "out.kvn"), c.mode);
  }
}

TEST(FileReplacement, TemporaryFileIsPrivateUntilCommitted) {
  ScratchDir dir;
  UmaskSet mask(0);
  Result<FileReplacement> replacement = FileReplacement::Begin(dir / "out.kvn");
  ASSERT_TRUE(replacement) << replacement.error().text;
  ASSERT_EQ(Outcome(replacement->Write(AsBytes("secret"))), "ok");

  const Names names = dir.Names();
  ASSERT_EQ(names.size(), 1u);
  const std::string temporary = *names.begin();
  EXPECT_EQ(temporary.front(), '.');
  EXPECT_LE(temporary.size(), 16u);
  EXPECT_EQ(ModeOf(dir / temporary), 0600);

  EXPECT_EQ(Outcome(replacement->Commit()), "ok");
  EXPECT_EQ(dir.Names(), Names{"out.kvn"});
  EXPECT_EQ(ModeOf(dir / "out.kvn"), 0666);
}

TEST(FileReplacement, AbandonedReplacementLeavesTargetAlone) {
  ScratchDir dir;
  const std::string out = dir / "out.kvn";
  WriteBytes(out, "old");
  {
    Result<FileReplacement> replacement = FileReplacement::Begin(out);
    ASSERT_TRUE(replacement) << replacement.error().text;
    FileReplacement moved = std::move(*replacement);
    ASSERT_EQ(Outcome(moved.Write(AsBytes("new"))), "ok");
    EXPECT_EQ(dir.Names().size(), 2u);
  }
  EXPECT_EQ(dir.Names(), Names{"out.kvn"});
  EXPECT_EQ(ReadBytes(out), "old");
}

TEST(FileReplacement, LongestFileNameIsReplaced) {
  ScratchDir dir;
  const std::string out = dir / std::string(255, 'n');
  WriteBytes(out, "old");
  EXPECT_EQ(Outcome(Replace(out, "new")), "ok");
  EXPECT_EQ(ReadBytes(out), "new");
  EXPECT_EQ(dir.Names(), Names{std::string(255, 'n')});
}

TEST(FileReplacement, PathWithoutDirectoryIsInWorkingDirectory) {
  ScratchDir dir;
  const fs::path saved = fs::current_path();
  fs::current_path(dir.path());
  const std::string outcome = Outcome(Replace("out.kvn", "new"));
  fs::current_path(saved);
  EXPECT_EQ(outcome, "ok");
  EXPECT_EQ(ReadBytes(dir / "out.kvn"), "new");
}

TEST(FileReplacement, FollowsLinksOutsideSharedDirectories) {
  // Links from the scratch directory; a target starting with @ is made absolute.
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> links;
    std::string replaced;
  } cases[] = {
      {"one link", {{"out", "real"}}, "real"},
      {"dangling link", {{"out", "made"}}, "made"},
      {"link into a subdirectory", {{"out", "sub/real"}}, "sub/real"},
      {"absolute link", {{"out", "@sub/real"}}, "sub/real"},
      {"chain, each hop relative to its own directory",
       {{"out", "sub/hop"}, {"sub/hop", "../sub/next"}, {"sub/next", "real"}},
       "sub/real"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    fs::create_directory(dir / "sub");
    WriteBytes(dir / "real", "old");
    WriteBytes(dir / "sub/real", "old");
    for (const auto& [link, target] : c.links) {
      fs::create_symlink(target[0] == '@' ? dir / target.substr(1) : target, dir / link);
    }
    EXPECT_EQ(Outcome(Replace(dir / "out", "new")), "ok");
    EXPECT_EQ(ReadBytes(dir / c.replaced), "new");
    for (const char* other : {"real", "sub/real"}) {
      if (other != c.replaced) {
        EXPECT_EQ(ReadBytes(dir / other), "old") << other;
      }
    }
    for (const auto& link : c.links) EXPECT_TRUE(fs::is_symlink(dir / link.first)) << link.first;
  }
}

TEST(FileReplacement, FollowsAtMostFortyLinks) {
  for (int length : {40, 41}) {
    SCOPED_TRACE(testing::Message() << length << " links");
    ScratchDir dir;
    WriteBytes(dir / "real", "old");
    for (int i = 0; i < length; ++i) {
      const std::string next = i + 1 < length ? "l" + std::to_string(i + 1) : "real";
      fs::create_symlink(next, dir / ("l" + std::to_string(i)));
    }
    EXPECT_EQ(Outcome(Replace(dir / "l0", "new")),
              length <= 40 ? "ok" : "Too many levels of symbolic links");
  }
  ScratchDir dir;
  fs::create_symlink("b", dir / "a");
  fs::create_symlink("a", dir / "b");
  EXPECT_EQ(Outcome(Replace(dir / "a", "new")), "Too many levels of symbolic links");
  EXPECT_EQ(dir.Names(), (Names{"a", "b"}));
}

TEST(FileReplacement, LinksInSharedDirectoriesFollowOnlyTrustedOwners) {
  const unsigned me = geteuid();
  const struct {
    const char* what;
    mode_t mode;
    unsigned dirOwner, linkOwner;
    bool followed;
  } cases[] = {
      {"another user's link in a sticky world-writable directory", 01777, me, kSpareId, false},
      {"our own link there", 01777, me, me, true},
      {"the directory owner's link there", 01777, kSpareId, kSpareId, true},
      {"world-writable without the sticky bit", 0777, me, kSpareId, true},
      {"sticky but not world-writable", 01775, me, kSpareId, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const std::string shared = dir / "shared";
    const std::string link = dir / "shared/out";
    fs::create_directory(shared);
    ASSERT_EQ(chmod(shared.c_str(), c.mode), 0);
    WriteBytes(dir / "real", "old");
    fs::create_symlink("../real", link);
    if (lchown(link.c_str(), c.linkOwner, -1) != 0 || chown(shared.c_str(), c.dirOwner, -1) != 0) {
      GTEST_SKIP() << "giving files to uid " << kSpareId << " needs root";
    }
    EXPECT_EQ(Outcome(Replace(link, "new")),
              c.followed ? "ok" : "symbolic link in a shared directory");
    EXPECT_EQ(ReadBytes(dir / "real"), c.followed ? "new" : "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(shared), fs::directory_iterator()), 1);
  }
}

TEST(FileReplacement, EveryHopOfAChainIsChecked) {
  ScratchDir dir;
  const std::string shared = dir / "shared";
  fs::create_directory(shared);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  WriteBytes(dir / "real", "old");
  fs::create_symlink("shared/hop", dir / "out");
  fs::create_symlink("../real", dir / "shared/hop");
  if (lchown((dir / "shared/hop").c_str(), kSpareId, -1) != 0) {
    GTEST_SKIP() << "giving files to uid " << kSpareId << " needs root";
  }
  EXPECT_EQ(Outcome(Replace(dir / "out", "new")), "symbolic link in a shared directory");
  EXPECT_EQ(ReadBytes(dir / "real"), "old");
}

TEST(FileReplacement, KeepsOwnerOfReplacedFile) {
  ScratchDir dir;
  const std::string out = dir / "out.kvn";
  WriteBytes(out, "old");
  if (chown(out.c_str(), kSpareId, kSpareId) != 0) {
    GTEST_SKIP() << "giving files to uid " << kSpareId << " needs root";
  }
  ASSERT_EQ(chmod(out.c_str(), 0640), 0);
  EXPECT_EQ(Outcome(Replace(out, "new")), "ok");
  const struct stat status = StatusOf(out);
  EXPECT_EQ(status.st_uid, kSpareId);
  EXPECT_EQ(status.st_gid, kSpareId);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(FileReplacement, AnotherUserReplacesOnlyFilesItMayWrite) {
  ScratchDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
  const std::string writable = dir / "writable.kvn";
  const std::string readable = dir / "readable.kvn";
  WriteBytes(writable, "old");
  WriteBytes(readable, "old");
  ASSERT_EQ(chmod(writable.c_str(), 0666), 0);
  ASSERT_EQ(chmod(readable.c_str(), 0644), 0);
  const ChildEnd end = RunInChild([&] {
    if (setgroups(0, nullptr) != 0 || setgid(kSpareId) != 0 || setuid(kSpareId) != 0) {
      return std::string("cannot become the spare user");
    }
    return Outcome(Replace(writable, "new")) + "|" + Outcome(Replace(readable, "new"));
  });
  if (end.output == "cannot become the spare user") GTEST_SKIP() << "needs root";
  EXPECT_TRUE(ExitedCleanly(end.status));
  EXPECT_EQ(end.output, "ok|Permission denied");
  // The old owner could not be given back, which is no failure.
  EXPECT_EQ(StatusOf(writable).st_uid, kSpareId);
  EXPECT_EQ(ReadBytes(writable), "new");
  EXPECT_EQ(ReadBytes(readable), "old");
  EXPECT_EQ(dir.Names(), (Names{"readable.kvn", "writable.kvn"}));
}

TEST(FileReplacement, RefusesWhatItMayNotReplace) {
  const struct {
    const char* what;
    std::function<std::string(const ScratchDir&)> setUp;  // returns the path to replace
    std::string reason;
  } cases[] = {
      {"directory",
       [](const ScratchDir& d) {
         fs::create_directory(d / "out");
         return d / "out";
       },
       "Is a directory"},
      {"FIFO",
       [](const ScratchDir& d) {
         mkfifo((d / "out").c_str(), 0666);
         return d / "out";
       },
       "not a regular file"},
      {"read-only file",
       [](const ScratchDir& d) {
         WriteBytes(d / "out", "old");
         chmod((d / "out").c_str(), 0444);
         return d / "out";
       },
       "Permission denied"},
      {"missing directory", [](const ScratchDir& d) { return d / "nowhere/out"; },
       "No such file or directory"},
      {"file as a directory",
       [](const ScratchDir& d) {
         WriteBytes(d / "file", "old");
         return d / "file/out";
       },
       "Not a directory"},
      {"name too long", [](const ScratchDir& d) { return d / std::string(256, 'n'); },
       "File name too long"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const std::string path = c.setUp(dir);
    const Names before = dir.Names();
    EXPECT_EQ(Outcome(Replace(path, "new")), c.reason);
    EXPECT_EQ(dir.Names(), before);
    if (fs::exists(dir / "out") && fs::is_regular_file(dir / "out")) {
      EXPECT_EQ(ReadBytes(dir / "out"), "old");
    }
  }
}

TEST(FileReplacement, NeverReplacesADevice) {
  // A node of its own for the null device, so that a fault cannot replace the system's.
  ScratchDir dir;
  const std::string device = dir / "null";
  if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "making a device node needs root";
  }
  fs::create_symlink("null", dir / "link");
  for (const std::string& path : {device, dir / "link"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Outcome(Replace(path, "new")), "not a regular file");
    EXPECT_TRUE(S_ISCHR(StatusOf(device).st_mode));
    EXPECT_EQ(dir.Names(), (Names{"link", "null"}));
  }
}

TEST(FileReplacement, WritePastFileSizeLimitFails) {
  ScratchDir dir;
  const ChildEnd end = RunInChild([&] {
    InstallSignalHandling();
    const rlimit limit{4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("cannot set the limit");
    Result<FileReplacement> replacement = FileReplacement::Begin(dir / "out.kvn");
    if (!replacement) return replacement.error().text;
    const std::string written = Outcome(replacement->Write(AsBytes(std::string(10000, 'x'))));
    const std::string committed = Outcome(replacement->Commit());
    const auto left = std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator());
    return written + "|" + committed + "|" + std::to_string(left) + " left";
  });
  EXPECT_TRUE(ExitedCleanly(end.status)) << "wait status " << end.status;
  EXPECT_EQ(end.output, "File too large|File too large|0 left");
  EXPECT_EQ(dir.Names(), Names{});
}

// In a child: installs the handlers, begins replacing `path` if asked, writes,
// reports on `ready` and waits for a signal.
[[noreturn]] void WaitForSignal(const std::string& path, bool open, int ready) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::signal(signal, SIG_DFL);
  InstallSignalHandling();
  Result<FileReplacement> replacement = FileReplacement::ToStandardOutput();
  if (open) replacement = FileReplacement::Begin(path);
  if (!replacement || (open && !replacement->Write(AsBytes("new")))) _exit(1);
  if (write(ready, "r", 1) != 1) _exit(1);
  for (;;) pause();
}

TEST(FileReplacement, TerminationSignalRemovesTemporaryFile) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    for (bool open : {true, false}) {
      SCOPED_TRACE(testing::Message() << "signal " << signal << (open ? " while open" : ""));
      ScratchDir dir;
      WriteBytes(dir / "out.kvn", "old");
      int ready[2];
      ASSERT_EQ(pipe(ready), 0);
      const pid_t pid = fork();
      ASSERT_NE(pid, -1);  // never signal pid -1: that is every process
      if (pid == 0) {
        close(ready[0]);
        WaitForSignal(dir / "out.kvn", open, ready[1]);
      }
      close(ready[1]);
      char byte = 0;
      const bool childReady = read(ready[0], &byte, 1) == 1;
      close(ready[0]);
      const std::size_t entriesWhileOpen = dir.Names().size();
      kill(pid, signal);
      int status = 0;
      waitpid(pid, &status, 0);

      ASSERT_TRUE(childReady);
      EXPECT_EQ(entriesWhileOpen, open ? 2u : 1u);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "wait status " << status;
      EXPECT_EQ(dir.Names(), Names{"out.kvn"});
      EXPECT_EQ(ReadBytes(dir / "out.kvn"), "old");
    }
  }
}

TEST(FileReplacement, HangupIgnoredOnEntryStaysIgnored) {
  ScratchDir dir;
  const ChildEnd end = RunInChild([&] {
    signal(SIGHUP, SIG_IGN);
    InstallSignalHandling();
    Result<FileReplacement> replacement = FileReplacement::Begin(dir / "out.kvn");
    raise(SIGHUP);
    return replacement ? Outcome(replacement->Commit()) : replacement.error().text;
  });
  EXPECT_TRUE(ExitedCleanly(end.status)) << "wait status " << end.status;
  EXPECT_EQ(end.output, "ok");
  EXPECT_EQ(dir.Names(), Names{"out.kvn"});
}

TEST(FileReplacement, StandardOutputReceivesEveryByteThroughInterruptions) {
  std::string bytes(1 << 20, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  // The reader is slow, so the writer waits on a full pipe while the timer interrupts it.
  const ChildEnd end = RunInChild(
      [&] {
        InterruptEveryMillisecond();
        FileReplacement out = FileReplacement::ToStandardOutput();
        for (std::size_t at = 0; at < bytes.size(); at += 100000) {
          const Status written = out.Write(AsBytes(std::string_view(bytes).substr(at, 100000)));
          if (!written) return written.error().text;
        }
        return Outcome(out.Commit());
      },
      std::chrono::microseconds(500));
  EXPECT_TRUE(ExitedCleanly(end.status));
  EXPECT_EQ(end.output.size(), bytes.size() + 2);
  EXPECT_TRUE(end.output == bytes + "ok");
}

TEST(FileReplacement, FlushesFileBeforeRenameAndDirectoryAfter) {
  ScratchDir dir;
  FlushLog log;
  log.target = dir / "out.kvn";
  WriteBytes(log.target, "old");
  gFlushLog = &log;
  const std::string outcome = Outcome(Replace(log.target, "new"));
  gFlushLog = nullptr;
  EXPECT_EQ(outcome, "ok");
  EXPECT_EQ(log.events,
            (std::vector<std::string>{"file, target holds old", "directory, target holds new"}));
  EXPECT_EQ(log.flushedFile, StatusOf(log.target).st_ino);
}

}  // namespace
}  // namespace kelvane::platform::test
