#include "signal_slot.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/file_replacement.h"

namespace kelvane::platform {
namespace posix {
namespace {

constexpr int kTerminationSignals[] = {SIGINT, SIGTERM, SIGHUP};

// One temporary file to remove. `state` says whether the handler may read the
// other fields: only an armed entry is complete.
enum EntryState : int { kFree, kFilling, kArmed };
struct Entry {
  std::atomic<int> state{kFree};
  int dirfd = -1;
  char name[kTemporaryNameCapacity] = {};
};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

// The one piece of process-wide state: room for a few replacements open at once
// (in different threads), read by the signal handler.
constexpr int kEntries = 8;
Entry gTemporaryFiles[kEntries];

sigset_t TerminationSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kTerminationSignals) sigaddset(&set, signal);
  return set;
}

// Async-signal-safe only: unlinkat, sigaction and raise.
void RemoveTemporaryFilesAndEnd(int signal) {
  const int savedErrno = errno;
  for (Entry& entry : gTemporaryFiles) {
    if (entry.state.load(std::memory_order_acquire) == kArmed) {
      unlinkat(entry.dirfd, entry.name, 0);
    }
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  // The signal stays blocked until this handler returns; then it ends the process.
  raise(signal);
  errno = savedErrno;
}

void SetDisposition(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_mask = TerminationSignalSet();
  sigaction(signal, &action, nullptr);
}

bool IsIgnored(int signal) {
  struct sigaction current {};
  return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

}  // namespace

TerminationSignalsBlocked::TerminationSignalsBlocked() {
  const sigset_t set = TerminationSignalSet();
  pthread_sigmask(SIG_BLOCK, &set, &saved_);
}

TerminationSignalsBlocked::~TerminationSignalsBlocked() {
  pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

int RememberTemporaryFile(int dirfd, const char* name) {
  if (std::strlen(name) >= kTemporaryNameCapacity) return -1;
  for (int index = 0; index < kEntries; ++index) {
    Entry& entry = gTemporaryFiles[index];
    int expected = kFree;
    if (!entry.state.compare_exchange_strong(expected, kFilling)) continue;
    entry.dirfd = dirfd;
    std::strcpy(entry.name, name);
    entry.state.store(kArmed, std::memory_order_release);
    return index;
  }
  return -1;
}

void ForgetTemporaryFile(int entry) {
  if (entry < 0 || entry >= kEntries) return;
  gTemporaryFiles[entry].state.store(kFree, std::memory_order_release);
}

}  // namespace posix

void InstallSignalHandling() {
  for (int signal : posix::kTerminationSignals) {
    // A signal ignored on entry (nohup, a background job) stays ignored.
    if (!posix::IsIgnored(signal)) posix::SetDisposition(signal, posix::RemoveTemporaryFilesAndEnd);
  }
  posix::SetDisposition(SIGXFSZ, SIG_IGN);
}

}  // namespace kelvane::platform
