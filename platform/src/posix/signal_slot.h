// The process-wide record a signal handler reads to remove open replacements'
// temporary files before the process ends.
#pragma once

#include <signal.h>

namespace kelvane::platform::posix {

// Blocks SIGINT, SIGTERM and SIGHUP in the calling thread for its lifetime, so
// that creating or removing a temporary file and recording it happen as one
// step as far as those signals are concerned.
class TerminationSignalsBlocked {
 public:
  TerminationSignalsBlocked();
  ~TerminationSignalsBlocked();
  TerminationSignalsBlocked(const TerminationSignalsBlocked&) = delete;
  TerminationSignalsBlocked& operator=(const TerminationSignalsBlocked&) = delete;

 private:
  sigset_t saved_;
};

// Longest temporary file name that can be recorded, with its terminating NUL.
inline constexpr int kTemporaryNameCapacity = 32;

// Records that the file `name` in the directory open as `dirfd` is to be
// removed if a termination signal ends the process. Returns the entry to pass
// to ForgetTemporaryFile(), or -1 when the record is full or the name too long
// (the file is then simply not removed by a signal).
int RememberTemporaryFile(int dirfd, const char* name);
void ForgetTemporaryFile(int entry);

}  // namespace kelvane::platform::posix
