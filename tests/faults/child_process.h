// Running code and programs in child processes, so that resource limits and
// signal settings stay out of the test process.
#pragma once

#include <sys/resource.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvane::faults {

struct ChildLimits {
  // RLIMIT_FSIZE in bytes, with SIGXFSZ ignored so a write past it fails with EFBIG.
  std::optional<rlim_t> fileSize;
};

struct ProgramResult {
  int exitStatus = -1;     // -1 when the program did not exit normally
  long peakKilobytes = 0;  // the program's peak resident memory
  std::string out;
  std::string err;
};

// Runs argv[0] (a path) with the arguments in workingDir and collects its output.
ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::filesystem::path& workingDir, const ChildLimits& limits = {});

// Runs `body` in a forked child under `limits` and returns the text it
// produced, or nullopt when the child did not exit normally.
std::optional<std::string> RunInChild(const std::function<std::string()>& body,
                                      const ChildLimits& limits = {});

}  // namespace kelvane::faults
