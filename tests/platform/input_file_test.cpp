#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform_test_support.h"

namespace kelvane::platform::test {
namespace {

// Everything left in the file, read a few bytes at a time.
std::string ReadAll(InputFile& file) {
  std::string bytes;
  char buffer[7];
  for (;;) {
    Result<std::size_t> got = file.Read(buffer);
    if (!got) return "read failed: " + got.error().text;
    if (*got == 0) return bytes;
    bytes.append(buffer, *got);
  }
}

TEST(InputFile, ReadsEveryByteOfARegularFile) {
  ScratchDir dir;
  std::string bytes(1000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 253);
  WriteBytes(dir / "font.bdf", bytes);
  Result<InputFile> opened = InputFile::Open(dir / "font.bdf", InputKinds::kRegularOnly);
  ASSERT_TRUE(opened) << opened.error().text;
  InputFile file = std::move(*opened);
  EXPECT_EQ(ReadAll(file), bytes);
}

TEST(InputFile, RefusesWhatItDoesNotRead) {
  ScratchDir dir;
  fs::create_directory(dir / "folder");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0666), 0);
  const struct {
    std::string path;
    InputKinds kinds;
    std::string reason;
  } cases[] = {
      {dir / "folder", InputKinds::kAllowPipes, "Is a directory"},
      {"/dev/zero", InputKinds::kAllowPipes, "not a regular file"},
      {"/dev/null", InputKinds::kRegularOnly, "not a regular file"},
      {dir / "fifo", InputKinds::kRegularOnly, "not a regular file"},
      {dir / "missing", InputKinds::kRegularOnly, "No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    // In a child with an alarm, since a FIFO without a writer would block the open.
    const ChildEnd end = RunInChild([&] {
      alarm(5);
      return Outcome(InputFile::Open(c.path, c.kinds));
    });
    EXPECT_TRUE(ExitedCleanly(end.status)) << "wait status " << end.status;
    EXPECT_EQ(end.output, c.reason);
  }
}

TEST(InputFile, ReadsAPipeWhenAllowedThroughInterruptions) {
  ScratchDir dir;
  const std::string fifo = dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
  const pid_t writer = fork();
  ASSERT_NE(writer, -1);
  if (writer == 0) {
    alarm(5);       // should the reader give up, open() would wait for it forever
    usleep(30000);  // the reader waits in open() meanwhile, interrupted again and again
    const int fd = open(fifo.c_str(), O_WRONLY);
    usleep(30000);  // and then in read()
    const bool wrote = fd >= 0 && write(fd, "through a pipe", 14) == 14;
    _exit(wrote ? 0 : 1);
  }
  const ChildEnd reader = RunInChild([&] {
    InterruptEveryMillisecond();
    Result<InputFile> file = InputFile::Open(fifo, InputKinds::kAllowPipes);
    return file ? ReadAll(*file) : file.error().text;
  });
  int status = 0;
  waitpid(writer, &status, 0);
  EXPECT_EQ(reader.output, "through a pipe");
  EXPECT_TRUE(ExitedCleanly(reader.status));
  EXPECT_TRUE(ExitedCleanly(status));
}

TEST(InputFile, KnowsTheSameFileUnderAnotherName) {
  ScratchDir dir;
  WriteBytes(dir / "font.bdf", "bytes");
  WriteBytes(dir / "copy.bdf", "bytes");
  fs::create_symlink("font.bdf", dir / "alias.bdf");
  Result<InputFile> file = InputFile::Open(dir / "font.bdf", InputKinds::kRegularOnly);
  ASSERT_TRUE(file) << file.error().text;
  EXPECT_TRUE(file->IsSameFileAs(dir / "font.bdf"));
  EXPECT_TRUE(file->IsSameFileAs(dir / "alias.bdf"));
  EXPECT_FALSE(file->IsSameFileAs(dir / "copy.bdf"));
  EXPECT_FALSE(file->IsSameFileAs(dir / "missing.bdf"));
}

TEST(InputFile, StandardInputIsReadButNotClosed) {
  ScratchDir dir;
  WriteBytes(dir / "font.bdf", "from standard input");
  const ChildEnd end = RunInChild([&] {
    const int fd = open((dir / "font.bdf").c_str(), O_RDONLY);
    if (fd < 0 || dup2(fd, STDIN_FILENO) < 0) return std::string("cannot redirect");
    std::string read;
    {
      InputFile in = InputFile::StandardInput();
      read = ReadAll(in);
    }
    return read + (fcntl(STDIN_FILENO, F_GETFD) != -1 ? "|still open" : "|closed");
  });
  EXPECT_TRUE(ExitedCleanly(end.status));
  EXPECT_EQ(end.output, "from standard input|still open");
}

}  // namespace
}  // namespace kelvane::platform::test
