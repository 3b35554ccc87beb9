#include "child_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>

namespace kelvane::faults {
namespace {

void ApplyLimits(const ChildLimits& limits) {
  if (!limits.fileSize) return;
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{*limits.fileSize, *limits.fileSize};
  if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
}

std::string ReadAllFrom(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

// The exit status of pid, or -1 when it did not exit normally.
int WaitFor(pid_t pid, long* peakKilobytes = nullptr) {
  int raw = 0;
  rusage usage{};
  while (::wait4(pid, &raw, 0, &usage) < 0) {
  }
  if (peakKilobytes != nullptr) *peakKilobytes = usage.ru_maxrss;
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using TempFile = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::filesystem::path& workingDir, const ChildLimits& limits) {
  // Unnamed files outside workingDir, so the directory under test holds only
  // what the program made.
  const TempFile out(std::tmpfile()), err(std::tmpfile());
  ProgramResult result;
  if (!out || !err) return result;
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(::fileno(out.get()), STDOUT_FILENO);
    ::dup2(::fileno(err.get()), STDERR_FILENO);
    if (::chdir(workingDir.c_str()) != 0) ::_exit(127);
    ApplyLimits(limits);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  if (pid < 0) return result;
  result.exitStatus = WaitFor(pid, &result.peakKilobytes);
  for (auto [file, text] : {std::pair{out.get(), &result.out}, std::pair{err.get(), &result.err}}) {
    ::lseek(::fileno(file), 0, SEEK_SET);
    *text = ReadAllFrom(::fileno(file));
  }
  return result;
}

std::optional<std::string> RunInChild(const std::function<std::string()>& body,
                                      const ChildLimits& limits) {
  int channel[2];
  if (::pipe(channel) != 0) return std::nullopt;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(channel[0]);
    ApplyLimits(limits);
    const std::string text = body();
    const bool sent =
        ::write(channel[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::_exit(sent ? 0 : 1);
  }
  ::close(channel[1]);
  if (pid < 0) {
    ::close(channel[0]);
    return std::nullopt;
  }
  std::string text = ReadAllFrom(channel[0]);
  ::close(channel[0]);
  if (WaitFor(pid) != 0) return std::nullopt;
  return text;
}

}  // namespace kelvane::faults
