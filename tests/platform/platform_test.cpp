// Every file these tests make is in a scratch directory under the temporary
// directory; /dev/zero is only ever refused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../support/test_support.h"
#include "platform/file_replacement.h"
#include "platform/input_file.h"

namespace {
const char* gFlushTarget = nullptr;  // while set, fsync() notes in gFlushes
std::vector<std::string> gFlushes;   // what it flushed, and what the target then held
}  // namespace

extern "C" int fsync(int fd) {  // stands in for the C library's in this program
  struct stat status {};
  if (gFlushTarget != nullptr && fstat(fd, &status) == 0) {
    std::string held;
    std::getline(std::ifstream(gFlushTarget), held);
    gFlushes.push_back((S_ISDIR(status.st_mode) ? "directory with " : "file with ") + held);
  }
  return static_cast<int>(syscall(SYS_fsync, fd));
}

namespace kelvane::platform {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;
using test::ReadBytes, test::WriteBytes;
constexpr unsigned kSpareId = 12345;  // a user and group id no account has

// Every path in the tree, relative to it; links are not followed.
Names NamesIn(const test::TempDir& dir) {
  Names names;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
    names.insert(entry.path().lexically_relative(dir.path()).string());
  return names;
}

template <class T>
std::string Outcome(const Result<T>& result) {  // "ok", or the reason a step failed
  return result ? "ok" : result.error().text;
}

// Runs `body` in a child process, which SIGALRM ends after 5 s, and returns its
// standard output, the text `body` returns last; `status` gets its wait status.
template <class Body>
std::string RunInChild(const Body& body, int* status = nullptr) {
  int fds[2];
  if (pipe(fds) != 0) return "no pipe";
  const pid_t pid = fork();
  if (pid == 0) {
    alarm(5);
    dup2(fds[1], STDOUT_FILENO);
    const std::string said = [&]() noexcept { return body(); }();  // never back into gtest
    _exit(write(STDOUT_FILENO, said.data(), said.size()) < 0);
  }
  close(fds[1]);
  if (pid > 0) waitpid(pid, status, 0);
  char buffer[512];  // more than any body says, which waits in the pipe
  const ssize_t got = read(fds[0], buffer, sizeof buffer);
  close(fds[0]);
  return std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
}

Status Replace(const std::string& path, const std::string& bytes,
               std::span<const FileIdentity> inputs = {}) {
  Result<FileReplacement> replacement = FileReplacement::Begin(path, inputs);
  if (!replacement) return replacement.error();
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  if (Status written = replacement->Write({data, bytes.size()}); !written) return written;
  return replacement->Commit();
}

mode_t ModeOf(const std::string& path) {  // with the set-id and sticky bits
  return static_cast<mode_t>(fs::symlink_status(path).permissions());
}

TEST(FileReplacement, KeepsOwnerAndModeWithoutSetIdBitsOrGivesNewFileUmaskMode) {
  const struct {
    mode_t before;  // the existing file's mode, or 0 for none
    mode_t mask, after;
  } cases[] = {{0644, 027, 0644},  {04755, 0, 0755}, {02750, 027, 0750},
               {06777, 022, 0777}, {0, 027, 0640},   {0, 0, 0666}};
  const std::string name(255, 'n');  // the longest a file name may be
  bool chowned = true;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::oct << "mode 0" << c.before << ", umask 0" << c.mask);
    test::TempDir dir;
    if (c.before != 0) {
      WriteBytes(dir / name, "old contents");
      chowned = chown((dir / name).c_str(), kSpareId, kSpareId) == 0 && chowned;
      ASSERT_EQ(chmod((dir / name).c_str(), c.before), 0);
    }
    const mode_t savedMask = umask(c.mask);
    EXPECT_EQ(Outcome(Replace(dir / name, "new")), "ok");
    umask(savedMask);
    EXPECT_EQ(ReadBytes(dir / name), "new");
    EXPECT_EQ(ModeOf(dir / name), c.after);
    EXPECT_EQ(NamesIn(dir), Names{name});
    struct stat status {};
    if (c.before != 0 && chowned && lstat((dir / name).c_str(), &status) == 0) {
      EXPECT_EQ(std::pair(status.st_uid, status.st_gid), std::pair(kSpareId, kSpareId));
    }
  }
  if (!chowned) GTEST_SKIP() << "the owner checks need root, to chown files to " << kSpareId;
}

TEST(FileReplacement, TemporaryIsPrivateAndGoesWithoutCommit) {
  test::TempDir dir;
  WriteBytes(dir / "out.kvn", "old");
  {
    const mode_t savedMask = umask(0);
    Result<FileReplacement> replacement = FileReplacement::Begin(dir / "out.kvn");
    umask(savedMask);
    ASSERT_EQ(Outcome(replacement), "ok");
    Names temporary = NamesIn(dir);
    temporary.erase("out.kvn");
    ASSERT_EQ(temporary.size(), 1u);
    EXPECT_EQ(ModeOf(dir / *temporary.begin()), 0600u);
  }
  EXPECT_EQ(NamesIn(dir), Names{"out.kvn"});
  EXPECT_EQ(ReadBytes(dir / "out.kvn"), "old");
}

// Links as "link>target" ("/x" stands for dir/x); a '~' before one gives the link,
// and "~shared" the sticky world-writable directory "shared", to the spare user.
TEST(FileReplacement, FollowsLinksExceptOtherUsersInSharedDirectories) {
  const struct {
    const char *what, *path, *links, *replaced;  // replaced: "" when refused
  } cases[] = {
      {"one link", "out", "out>real", "real"},
      {"dangling link", "out", "out>made", "made"},
      {"our link in a shared directory", "shared/out", "shared/out>../real", "real"},
      {"our directory link there", "shared/up/real", "shared/up>..", "real"},
      {"a directory link, then ..", "in/./../real", "in>shared/nest", "shared/real"},
      {"an absolute directory link", "shared/abs/real", "shared/abs>/shared", "shared/real"},
      // From here on files are given to the spare user, which needs root.
      {"another user's link there", "shared/out", "~shared/out>../real", ""},
      {"another user's directory link there", "shared/up/real", "~shared/up>..", ""},
      {"the directory owner's links there", "shared/up/out",
       "~shared ~shared/up>. ~shared/out>../real", "real"},
      {"foreign hop", "out", "out>shared/hop ~shared/hop>real", ""},
      {"foreign directory hop", "via/real", "via>shared/up ~shared/up>..", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    fs::create_directories(dir / "shared/nest");
    ASSERT_EQ(chmod((dir / "shared").c_str(), 01777), 0);  // sticky and world-writable
    WriteBytes(dir / "real", "old");
    WriteBytes(dir / "shared/real", "old");
    bool given = true;
    std::istringstream links(c.links);
    for (std::string item; links >> item;) {
      const bool foreign = item.starts_with('~');
      const std::size_t arrow = item.find('>');
      const std::string link = item.substr(foreign, arrow - foreign);
      if (arrow != std::string::npos) {
        const std::string target = item.substr(arrow + 1);
        fs::create_symlink(target.starts_with('/') ? dir.path().string() + target : target,
                           dir / link);
      }
      given = given && (!foreign || lchown((dir / link).c_str(), kSpareId, -1) == 0);
    }
    if (!given) GTEST_SKIP() << "giving files to uid " << kSpareId << " needs root";
    Names expected = NamesIn(dir);
    if (*c.replaced != '\0') expected.insert(c.replaced);
    EXPECT_EQ(Outcome(Replace(dir / c.path, "new")),
              *c.replaced == '\0' ? "symbolic link in a shared directory" : "ok");
    for (const std::string file : {"real", "shared/real"}) {
      EXPECT_EQ(ReadBytes(dir / file), file == c.replaced ? "new" : "old") << file;
    }
    EXPECT_EQ(NamesIn(dir), expected);  // nothing else made, no temporary left
  }
}

TEST(FileReplacement, RefusesWhatItMayNotReplace) {
  test::TempDir dir;
  fs::create_directory(dir / "directory");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0666), 0);
  WriteBytes(dir / "read-only", "old");
  ASSERT_EQ(chmod((dir / "read-only").c_str(), 0444), 0);
  fs::create_symlink("loop", dir / "loop");
  WriteBytes(dir / "font.bdf", "old");
  WriteBytes(dir / "copy.bdf", "old");
  fs::create_hard_link(dir / "font.bdf", dir / "hard.bdf");
  fs::create_symlink("font.bdf", dir / "alias.bdf");
  Result<InputFile> input = InputFile::Open(dir / "font.bdf", InputKinds::kRegularOnly);
  ASSERT_EQ(Outcome(input), "ok");
  const FileIdentity inputs[] = {input->identity()};
  const Names before = NamesIn(dir);
  const std::pair<std::string, std::string> cases[] = {
      {"directory", "Is a directory"},
      {"fifo", "not a regular file"},
      {"read-only", "Permission denied"},
      {"missing/out", "No such file or directory"},
      {"loop/out", "Too many levels of symbolic links"},
      {"font.bdf", std::string(kReplacesInput)},
      {"hard.bdf", std::string(kReplacesInput)},
      {"alias.bdf", std::string(kReplacesInput)},
      {"copy.bdf", "ok"}};
  for (const auto& [name, reason] : cases) {
    EXPECT_EQ(Outcome(Replace(dir / name, "new", inputs)), reason) << name;
  }
  EXPECT_EQ(NamesIn(dir), before);
  EXPECT_EQ(ReadBytes(dir / "read-only"), "old");
  EXPECT_EQ(ReadBytes(dir / "font.bdf"), "old");
}

TEST(FileReplacement, FlushesFileBeforeRenameAndDirectoryAfter) {
  test::TempDir dir;
  const std::string target = dir / "out.kvn";
  WriteBytes(target, "old");
  gFlushes.clear();
  gFlushTarget = target.c_str();
  const std::string outcome = Outcome(Replace(target, "new"));
  gFlushTarget = nullptr;
  EXPECT_EQ(outcome, "ok");
  EXPECT_EQ(gFlushes, (std::vector<std::string>{"file with old", "directory with new"}));
}

TEST(FileReplacement, WritePastFileSizeLimitFailsAndLeavesNoTemporary) {
  test::TempDir dir;
  const std::string output = RunInChild([&] {
    InstallSignalHandling();
    const rlimit limit{4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("no limit");
    return Outcome(Replace(dir / "out.kvn", std::string(10000, 'x')));
  });
  EXPECT_EQ(output, "File too large");
  EXPECT_EQ(NamesIn(dir), Names{});
}

TEST(FileReplacement, TerminationSignalRemovesTemporary) {
  test::TempDir dir;
  WriteBytes(dir / "out.kvn", "old");
  int status = 0;
  const std::string output = RunInChild(
      [&] {
        signal(SIGTERM, SIG_DFL);  // in case the tests run with it ignored
        InstallSignalHandling();
        Result<FileReplacement> replacement = FileReplacement::Begin(dir / "out.kvn");
        if (replacement && NamesIn(dir).size() == 2) kill(getpid(), SIGTERM);
        return "lived on, with " + std::to_string(NamesIn(dir).size()) + " files";
      },
      &status);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << output;
  EXPECT_EQ(NamesIn(dir), Names{"out.kvn"});
  EXPECT_EQ(ReadBytes(dir / "out.kvn"), "old");
}

// Standard input's identity, which keeps the output from replacing it, is
// checked by the writers' case OutputIsTheStandardInput.
TEST(InputFile, KnowsItsFileThroughALink) {
  test::TempDir dir;
  WriteBytes(dir / "font.bdf", "STARTFONT");
  WriteBytes(dir / "copy.bdf", "STARTFONT");
  fs::create_symlink("font.bdf", dir / "alias.bdf");
  Result<InputFile> font = InputFile::Open(dir / "font.bdf", InputKinds::kRegularOnly);
  ASSERT_EQ(Outcome(font), "ok");
  EXPECT_TRUE(font->IsSameFileAs(dir / "alias.bdf"));
  EXPECT_FALSE(font->IsSameFileAs(dir / "copy.bdf"));
}

TEST(InputFile, RefusesAtOnceWhatItMayNotRead) {
  test::TempDir dir;
  fs::create_directory(dir / "directory");
  for (const char* fifo : {"fifo", "silent"}) ASSERT_EQ(mkfifo((dir / fifo).c_str(), 0600), 0);
  // "silent" has a writer that writes nothing (its reader only lets it open).
  const int reader = open((dir / "silent").c_str(), O_RDONLY | O_NONBLOCK);
  const int writer = open((dir / "silent").c_str(), O_WRONLY | O_NONBLOCK);
  close(reader);
  using enum InputKinds;
  const struct {
    std::string path;
    InputKinds kinds;
    const char* reason;
  } cases[] = {{dir / "directory", kRegularOnly, "Is a directory"},
               {"/dev/zero", kAllowPipes, "not a regular file"},  // a device under any kinds
               {dir / "fifo", kRegularOnly, "not a regular file"},
               {dir / "fifo", kPipesWithWriter, "a pipe without a writer"},
               {dir / "silent", kPipesWithWriter, "a pipe without a writer"}};
  for (const auto& c : cases) {
    // In a child, which its alarm ends should Open() wait for a writer.
    EXPECT_EQ(RunInChild([&] {
                const auto start = std::chrono::steady_clock::now();
                std::string said = Outcome(InputFile::Open(c.path, c.kinds));
                if (std::chrono::steady_clock::now() - start > std::chrono::seconds(1)) {
                  said += ", slowly";
                }
                return said;
              }),
              c.reason)
        << c.path << " as kind " << static_cast<int>(c.kinds);
  }
  close(writer);
}

// Under kAllowPipes, a FIFO whose writer comes later is read in the next test.
TEST(InputFile, ReadsAFifoWhoseWriterHasWritten) {
  test::TempDir dir;
  const std::string fifo = dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // With a reading end open, a writing end opens at once and the bytes wait in the pipe.
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  ASSERT_EQ(write(writer, "through a pipe", 14), 14);
  Result<InputFile> file = InputFile::Open(fifo, InputKinds::kPipesWithWriter);
  close(writer);
  close(reader);
  ASSERT_EQ(Outcome(file), "ok");
  char buffer[32];  // more than the pipe holds: read to its end
  const Result<std::size_t> got = file->ReadFull(buffer);
  EXPECT_EQ(std::string(buffer, got ? *got : 0), "through a pipe");
}

TEST(InputFile, ReadsAllUpToTheLimitAndRefusesPastIt) {
  constexpr std::size_t kMiB = 1 << 20;
  const struct {
    std::size_t size, limit;
    const char* outcome;
    bool cutsWriterShort;  // refused through a pipe before its writer is done
  } cases[] = {{kMiB, kMiB, "ok", false},
               {kMiB + 1, kMiB, "more than 1 MiB", false},  // the last byte may fit in the pipe
               {1001, 1000, "more than 1000 bytes", false},
               {4 * kMiB, kMiB, "more than 1 MiB", true}};
  test::TempDir dir;
  const std::string fifo = dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " bytes, limit " << c.limit);
    const std::string bytes(c.size, 'x');
    WriteBytes(dir / "font.bdf", bytes);
    auto file = InputFile::Open(dir / "font.bdf", InputKinds::kRegularOnly);
    ASSERT_TRUE(file.ok());
    Result<std::string> read = file->ReadAll(c.limit);
    EXPECT_EQ(Outcome(read), c.outcome);
    EXPECT_TRUE(!read || *read == bytes);
    // The same through a pipe, whose size is unknown: refused once past the
    // limit, even while the writer still writes (the refusal ends it with SIGPIPE).
    const pid_t pid = fork();
    if (pid == 0) {
      alarm(5);
      signal(SIGPIPE, SIG_DFL);
      const int fd = open(fifo.c_str(), O_WRONLY);
      _exit(fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()));
    }
    read = InputFile::Open(fifo, InputKinds::kAllowPipes).value().ReadAll(c.limit);  // then closed
    EXPECT_EQ(Outcome(read), c.outcome);
    EXPECT_TRUE(!read || *read == bytes);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(!read || status == 0) << status;
    EXPECT_TRUE(!c.cutsWriterShort || (WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE));
  }
}

}  // namespace
}  // namespace kelvane::platform
