// Running a program under test as a process in a directory, with what it
// printed and how it ended.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace kelvane::test {

struct Outcome {
  int status = -1;  // the exit status, or 128 + the signal, as a shell shows it
  std::string out{}, err{};
};

struct RunOptions {
  rlim_t fileSizeLimit = 0;  // sets RLIMIT_FSIZE, SIGXFSZ keeping its default action
  std::string stdinFile{};   // standard input, relative to the directory
  std::string loader{};      // runs the program through this one (a dynamic loader)
  // Kills the program (SIGKILL, status 137) after this long; 0 waits however long it runs.
  std::chrono::milliseconds timeout{0};
};

// Runs argv[0] with its arguments in `dir`.
inline Outcome RunProcess(const std::filesystem::path& dir, std::vector<std::string> args,
                          const RunOptions& options = {}) {
  if (!options.loader.empty()) args.insert(args.begin(), options.loader);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::FILE* const streams[] = {std::tmpfile(), std::tmpfile()};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(::fileno(streams[0]), STDOUT_FILENO);
    ::dup2(::fileno(streams[1]), STDERR_FILENO);
    if (options.fileSizeLimit > 0) {
      std::signal(SIGXFSZ, SIG_DFL);
      const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    if (::chdir(dir.c_str()) != 0) ::_exit(127);
    if (!options.stdinFile.empty() && !std::freopen(options.stdinFile.c_str(), "rb", stdin)) {
      ::_exit(127);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int raw = 0;
  Outcome run;
  const auto deadline = std::chrono::steady_clock::now() + options.timeout;
  while (::waitpid(pid, &raw, options.timeout.count() > 0 ? WNOHANG : 0) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &raw, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  for (auto [stream, text] : {std::pair{streams[0], &run.out}, std::pair{streams[1], &run.err}}) {
    std::rewind(stream);
    for (int c; (c = std::fgetc(stream)) != EOF;) *text += static_cast<char>(c);
    std::fclose(stream);
  }
  return run;
}

}  // namespace kelvane::test
