// Scratch directories, file bytes and child processes for the platform tests.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include "font/result.h"

namespace kelvane::platform::test {

namespace fs = std::filesystem;

// An id no account has, for files that belong to someone else.
inline constexpr unsigned kSpareId = 12345;

// A fresh directory, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "kelvane-platform-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const fs::path& path() const { return path_; }
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }

  // The names directly in the directory, hidden ones too.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

 private:
  fs::path path_;
};

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// "ok", or the reason a step failed.
template <class T>
std::string Outcome(const Result<T>& result) {
  return result ? "ok" : result.error().text;
}

struct ChildEnd {
  int status = 0;      // as waitpid() reports it
  std::string output;  // all the child wrote to its standard output
};

// Runs `body` in a child process whose standard output the parent collects,
// pausing between reads if asked; the text the body returns is written there
// last. The body must not use the test assertions: it reports through what it
// writes and returns.
inline ChildEnd RunInChild(const std::function<std::string()>& body,
                           std::chrono::microseconds pauseBetweenReads = {}) {
  int fds[2];
  if (pipe(fds) != 0) return {-1, "pipe failed"};
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    dup2(fds[1], STDOUT_FILENO);
    const std::string said = body();
    const ssize_t written = write(STDOUT_FILENO, said.data(), said.size());
    _exit(written == static_cast<ssize_t>(said.size()) ? 0 : 1);
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return {-1, "fork failed"};
  }
  ChildEnd end;
  char buffer[4096];
  for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;) {
    end.output.append(buffer, got);
    std::this_thread::sleep_for(pauseBetweenReads);
  }
  close(fds[0]);
  waitpid(pid, &end.status, 0);
  return end;
}

// Interrupts the calling process's blocking system calls every millisecond,
// with a SIGALRM handler that does nothing and is installed without SA_RESTART.
inline void InterruptEveryMillisecond() {
  struct sigaction action {};
  action.sa_handler = [](int) {};
  sigaction(SIGALRM, &action, nullptr);
  const itimerval every{{0, 1000}, {0, 1000}};
  setitimer(ITIMER_REAL, &every, nullptr);
}

inline bool ExitedCleanly(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

}  // namespace kelvane::platform::test
