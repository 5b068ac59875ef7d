#include "safety/signals.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// Ending signals that come from outside the program: a write in place holds
// them back. The real-time signals join them at run time.
constexpr int fromOutside[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGTERM,  SIGUSR1, SIGUSR2, SIGALRM,
                               SIGVTALRM, SIGPROF, SIGXCPU, SIGIO, SIGPWR, SIGSTKFLT, SIGPIPE};
// A fault of the program itself, which cannot wait.
constexpr int faults[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGSYS, SIGTRAP};

// Read by the handlers, so written only while every handled signal is held
// back (the settings and the name), or as one sig_atomic_t.
volatile std::sig_atomic_t terminalFd = -1;
volatile std::sig_atomic_t keyModeOn = 0;
volatile std::sig_atomic_t continued = 0;
volatile std::sig_atomic_t temporaryPending = 0;
termios originalMode{};
termios keyMode{};
char temporaryName[PATH_MAX];
bool installed = false;

sigset_t endingFromOutside() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : fromOutside) sigaddset(&set, signal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) sigaddset(&set, signal);
  return set;
}

// What every handler holds back while it runs: the other handled signals,
// so that two never interleave, and SIGTTOU, so that restoring the terminal
// from the background goes through. Without that, a stop under a parent in
// the same job (`make run`) is stopped again inside its own handler once the
// shell has taken the terminal back, and the continue is spent finishing that
// call, leaving the program stopped with nobody to continue it.
sigset_t handlerMask() {
  sigset_t set = endingFromOutside();
  for (const int signal : faults) sigaddset(&set, signal);
  for (const int signal : {SIGTTOU, SIGTSTP, SIGCONT}) sigaddset(&set, signal);
  return set;
}

void setAction(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_mask = handlerMask();
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

void installUnlessIgnored(int signal, void (*handler)(int)) {
  struct sigaction current {};
  if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) setAction(signal, handler);
}

// Everything below that a handler calls is async-signal-safe: tcsetattr,
// tcgetpgrp, getpgrp, unlink, sigaction, sigprocmask and raise are, and
// nothing allocates or locks.

void setMode(const termios& mode) {
  while (tcsetattr(terminalFd, TCSANOW, &mode) != 0 && errno == EINTR) {
  }
}

void restoreMode() {
  if (terminalFd >= 0) setMode(originalMode);
}

// Only in the foreground: a program continued in the background must leave
// the terminal to the shell, and gets it back with the next continue.
void resumeKeyMode() {
  if (keyModeOn != 0 && terminalFd >= 0 && tcgetpgrp(terminalFd) == getpgrp()) setMode(keyMode);
}

void unblock(int signal) {
  sigset_t own;
  sigemptyset(&own);
  sigaddset(&own, signal);
  sigprocmask(SIG_UNBLOCK, &own, nullptr);
}

// The signal's own action follows once the handler is out of the way: a
// fault is raised again, an outside signal ends the process as it would
// have, so that the exit status names it.
void onEndingSignal(int signal) {
  restoreMode();
  if (temporaryPending != 0) unlink(temporaryName);
  setAction(signal, SIG_DFL);
  unblock(signal);
  raise(signal);
}

void onStop(int signal) {
  const int savedErrno = errno;
  restoreMode();
  setAction(signal, SIG_DFL);
  unblock(signal);
  raise(signal);
  // Going on: after a continue, or at once where the system discarded the
  // stop, as it does for a process group that no shell controls.
  setAction(signal, onStop);
  resumeKeyMode();
  errno = savedErrno;
}

// The screen is shown again by whoever waits for a key, not here: printed
// from a handler, the text could land inside output still on its way.
void onContinue(int) {
  const int savedErrno = errno;
  resumeKeyMode();
  continued = 1;
  errno = savedErrno;
}

// Holds back every handled signal while the handlers' state changes.
class HandlersHeld {
 public:
  HandlersHeld() {
    const sigset_t all = handlerMask();
    sigprocmask(SIG_BLOCK, &all, &saved_);
  }
  ~HandlersHeld() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
  HandlersHeld(const HandlersHeld&) = delete;
  HandlersHeld& operator=(const HandlersHeld&) = delete;

 private:
  sigset_t saved_{};
};

}  // namespace

void installSignalHandlers() {
  if (installed) return;
  installed = true;
  for (const int signal : fromOutside) installUnlessIgnored(signal, onEndingSignal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) installUnlessIgnored(signal, onEndingSignal);
  for (const int signal : faults) installUnlessIgnored(signal, onEndingSignal);
  installUnlessIgnored(SIGTSTP, onStop);
  installUnlessIgnored(SIGCONT, onContinue);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, nullptr);
}

void watchTerminal(int fd, const termios& original, const termios& keys) {
  installSignalHandlers();
  {
    const HandlersHeld held;
    originalMode = original;
    keyMode = keys;
    terminalFd = fd;
    keyModeOn = 1;
  }
  static const bool atExit = std::atexit(releaseTerminal) == 0;
  static_cast<void>(atExit);
}

void releaseTerminal() {
  const HandlersHeld held;
  keyModeOn = 0;
  restoreMode();
  terminalFd = -1;
}

int watchedTerminal() { return terminalFd; }

bool continuedSinceAsked() {
  const bool was = continued != 0;
  continued = 0;
  return was;
}

bool awaitInputOrContinue(int fd) {
  // Held until ppoll lets it in, so that a continue between the look at the
  // flag and the wait cannot go unseen.
  sigset_t cont;
  sigemptyset(&cont);
  sigaddset(&cont, SIGCONT);
  sigset_t saved;
  sigprocmask(SIG_BLOCK, &cont, &saved);
  sigset_t waiting = saved;
  sigdelset(&waiting, SIGCONT);
  pollfd ready{fd, POLLIN, 0};
  bool readable = false;
  while (!continuedSinceAsked()) {
    const int result = ppoll(&ready, 1, nullptr, &waiting);
    // An error is left for the read to find.
    if (result > 0 || (result < 0 && errno != EINTR)) {
      readable = true;
      break;
    }
  }
  sigprocmask(SIG_SETMASK, &saved, nullptr);
  return readable;
}

int createTemporaryFile(std::string& pattern) {
  installSignalHandlers();
  if (pattern.size() >= sizeof temporaryName) return -1;
  // Held back, so that no signal falls between the file's creation and the
  // handlers' knowing its name.
  const HandlersHeld held;
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd >= 0) {
    std::memcpy(temporaryName, pattern.c_str(), pattern.size() + 1);
    temporaryPending = 1;
  }
  return fd;
}

void forgetTemporaryFile() { temporaryPending = 0; }

EndingSignalsHeld::EndingSignalsHeld() {
  const sigset_t set = endingFromOutside();
  sigprocmask(SIG_BLOCK, &set, &saved_);
}

EndingSignalsHeld::~EndingSignalsHeld() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }

BrokenPipeAsError::BrokenPipeAsError() {
  sigset_t pending;
  pendingBefore_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  sigprocmask(SIG_BLOCK, &pipe, &saved_);
}

BrokenPipeAsError::~BrokenPipeAsError() {
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  sigset_t pending;
  if (!pendingBefore_ && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
    // Raised by our own write; the EPIPE has told the save already.
    const timespec now{};
    sigtimedwait(&pipe, nullptr, &now);
  }
  sigprocmask(SIG_SETMASK, &saved_, nullptr);
}
