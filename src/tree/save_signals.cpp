#include "tree/save_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <span>

namespace {

constexpr std::array<int, 4> terminating{SIGHUP, SIGINT, SIGQUIT, SIGTERM};
constexpr std::array<int, 1> brokenPipe{SIGPIPE};

// Read by the handler, so written only while it cannot run: `previous`
// before the handler is installed, `armed` atomically.
std::array<struct sigaction, terminating.size()> previous{};
std::array<bool, terminating.size()> replaced{};
std::atomic<const char*> armed{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free, "the signal handler reads it");

sigset_t setOf(std::span<const int> signals) {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : signals) sigaddset(&set, signal);
  return set;
}

// Async-signal-safe: unlink, sigaction and raise are, and nothing here
// allocates or locks.
void removeThenHandOn(int signal) {
  const int savedErrno = errno;
  if (const char* name = armed.exchange(nullptr)) unlink(name);
  for (std::size_t i = 0; i < terminating.size(); ++i) {
    if (terminating[i] == signal) sigaction(signal, &previous[i], nullptr);
  }
  // Pending until this handler returns, then delivered to what was there.
  raise(signal);
  errno = savedErrno;
}

}  // namespace

TemporaryFileGuard::TemporaryFileGuard() {
  struct sigaction action {};
  action.sa_handler = removeThenHandOn;
  // The other terminating signals wait while one is handled.
  action.sa_mask = setOf(terminating);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < terminating.size(); ++i) {
    replaced[i] = sigaction(terminating[i], nullptr, &previous[i]) == 0 && previous[i].sa_handler != SIG_IGN;
    if (replaced[i]) sigaction(terminating[i], &action, nullptr);
  }
}

TemporaryFileGuard::~TemporaryFileGuard() {
  armed.store(nullptr);
  for (std::size_t i = 0; i < terminating.size(); ++i) {
    if (replaced[i]) sigaction(terminating[i], &previous[i], nullptr);
  }
}

int TemporaryFileGuard::create(std::string& pattern) {
  // Held back, so that no signal falls between the file's creation and the
  // handler's knowing its name.
  const TerminatingSignalsHeld held;
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd >= 0) armed.store(pattern.c_str());
  return fd;
}

TerminatingSignalsHeld::TerminatingSignalsHeld() {
  const sigset_t set = setOf(terminating);
  pthread_sigmask(SIG_BLOCK, &set, &saved_);
}

TerminatingSignalsHeld::~TerminatingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

BrokenPipeAsError::BrokenPipeAsError() {
  sigset_t pending;
  pendingBefore_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
  const sigset_t pipe = setOf(brokenPipe);
  pthread_sigmask(SIG_BLOCK, &pipe, &saved_);
}

BrokenPipeAsError::~BrokenPipeAsError() {
  const sigset_t pipe = setOf(brokenPipe);
  sigset_t pending;
  if (!pendingBefore_ && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
    // Raised by our own write; the EPIPE has told the save already.
    const timespec now{};
    sigtimedwait(&pipe, nullptr, &now);
  }
  pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}
