#include "safety/signals.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

// Every signal that ends a process by default and can be caught, but
// SIGXFSZ; the real-time ones join them at run time.
constexpr int ending[] = {SIGHUP,    SIGINT,  SIGQUIT, SIGTERM, SIGUSR1,   SIGUSR2, SIGALRM, SIGVTALRM,
                          SIGPROF,   SIGXCPU, SIGIO,   SIGPWR,  SIGSTKFLT, SIGPIPE, SIGSYS,  SIGTRAP,
                          SIGSEGV,   SIGBUS,  SIGILL,  SIGFPE,  SIGABRT};

// Read by the handlers, so written only while they are held back, or as one
// sig_atomic_t.
volatile std::sig_atomic_t terminalFd = -1;
volatile std::sig_atomic_t keyModeOn = 0;
volatile std::sig_atomic_t continued = 0;
volatile std::sig_atomic_t temporaryPending = 0;
volatile std::sig_atomic_t brokenPipeIsAnError = 0;
termios originalMode{};
termios keyMode{};
char temporaryName[PATH_MAX];
bool installed = false;

// What every handler holds back while it runs: the other handled signals,
// so that two never interleave, and SIGTTOU, so that restoring the terminal
// from the background goes through. Without that, a stop under a parent in
// the same job (`make run`) is stopped again inside its own handler once the
// shell has taken the terminal back, and the continue is spent finishing that
// call, leaving the program stopped with nobody to continue it.
sigset_t handlerMask() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : ending) sigaddset(&set, signal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) sigaddset(&set, signal);
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
  while (terminalFd >= 0 && tcsetattr(terminalFd, TCSANOW, &mode) != 0 && errno == EINTR) {
  }
}

// Only in the foreground: a program continued in the background leaves the
// terminal to the shell, and gets it back with the next continue.
void resumeKeyMode() {
  if (keyModeOn != 0 && terminalFd >= 0 && tcgetpgrp(terminalFd) == getpgrp()) setMode(keyMode);
}

// Lets the signal do what it would have done without the handler.
void actAsBefore(int signal) {
  setAction(signal, SIG_DFL);
  sigset_t own;
  sigemptyset(&own);
  sigaddset(&own, signal);
  sigprocmask(SIG_UNBLOCK, &own, nullptr);
  raise(signal);
}

void onEndingSignal(int signal) {
  // The write that raised it fails with EPIPE instead.
  if (signal == SIGPIPE && brokenPipeIsAnError != 0) return;
  setMode(originalMode);
  if (temporaryPending != 0) unlink(temporaryName);
  actAsBefore(signal);
}

void onStop(int signal) {
  const int savedErrno = errno;
  setMode(originalMode);
  actAsBefore(signal);
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

}  // namespace

void installSignalHandlers() {
  if (installed) return;
  installed = true;
  for (const int signal : ending) installUnlessIgnored(signal, onEndingSignal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) installUnlessIgnored(signal, onEndingSignal);
  installUnlessIgnored(SIGTSTP, onStop);
  installUnlessIgnored(SIGCONT, onContinue);
  std::signal(SIGXFSZ, SIG_IGN);
}

void watchTerminal(int fd, const termios& original, const termios& keys) {
  installSignalHandlers();
  {
    const SignalsHeld held;
    originalMode = original;
    keyMode = keys;
    terminalFd = fd;
    keyModeOn = 1;
  }
  static const bool atExit = std::atexit(releaseTerminal) == 0;
  static_cast<void>(atExit);
}

void releaseTerminal() {
  const SignalsHeld held;
  keyModeOn = 0;
  setMode(originalMode);
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
  while (!readable && !continuedSinceAsked()) {
    // An error is left for the read to find.
    const int result = ppoll(&ready, 1, nullptr, &waiting);
    readable = result > 0 || (result < 0 && errno != EINTR);
  }
  sigprocmask(SIG_SETMASK, &saved, nullptr);
  return readable;
}

int createTemporaryFile(std::string& pattern) {
  installSignalHandlers();
  if (pattern.size() >= sizeof temporaryName) return -1;
  // Held back, so that no signal falls between the file's creation and the
  // handlers' knowing its name.
  const SignalsHeld held;
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd >= 0) {
    std::memcpy(temporaryName, pattern.c_str(), pattern.size() + 1);
    temporaryPending = 1;
  }
  return fd;
}

void forgetTemporaryFile() { temporaryPending = 0; }

SignalsHeld::SignalsHeld() {
  const sigset_t set = handlerMask();
  sigprocmask(SIG_BLOCK, &set, &saved_);
}

SignalsHeld::~SignalsHeld() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }

BrokenPipeAsError::BrokenPipeAsError() {
  installSignalHandlers();
  brokenPipeIsAnError = 1;
}

BrokenPipeAsError::~BrokenPipeAsError() { brokenPipeIsAnError = 0; }
