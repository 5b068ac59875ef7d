#include "safety/signals.h"

#include <cerrno>
#include <csignal>
#include <initializer_list>

namespace {

// Every signal that ends a process by default and can be caught, but
// SIGXFSZ; the real-time ones join them at run time.
constexpr int ending[] = {SIGHUP,    SIGINT,  SIGQUIT, SIGTERM, SIGUSR1,   SIGUSR2, SIGALRM, SIGVTALRM,
                          SIGPROF,   SIGXCPU, SIGIO,   SIGPWR,  SIGSTKFLT, SIGPIPE, SIGSYS,  SIGTRAP,
                          SIGSEGV,   SIGBUS,  SIGILL,  SIGFPE,  SIGABRT};

// Read by the handlers, so written only while they are held back.
void (*restores[4])() = {};
void (*stopping)() = nullptr;
void (*resumed)() = nullptr;
void (*continued)() = nullptr;
volatile std::sig_atomic_t brokenPipeIsAnError = 0;
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

// Everything below that a handler calls is async-signal-safe: sigaction,
// sigprocmask and raise are, and so must the owners' restores be.

void call(void (*restore)()) {
  if (restore != nullptr) restore();
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
  for (const auto restore : restores) call(restore);
  actAsBefore(signal);
}

void onStop(int signal) {
  const int savedErrno = errno;
  call(stopping);
  actAsBefore(signal);
  // Going on: after a continue, or at once where the system discarded the
  // stop, as it does for a process group that no shell controls.
  setAction(signal, onStop);
  call(resumed);
  errno = savedErrno;
}

void onContinue(int) {
  const int savedErrno = errno;
  call(continued);
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

void restoreOnEnding(void (*restore)()) {
  installSignalHandlers();
  const SignalsHeld held;
  for (auto& slot : restores) {
    if (slot == nullptr || slot == restore) {
      slot = restore;
      return;
    }
  }
}

void restoreAroundStops(void (*onStopping)(), void (*onResumed)(), void (*onContinued)()) {
  installSignalHandlers();
  const SignalsHeld held;
  stopping = onStopping;
  resumed = onResumed;
  continued = onContinued;
}

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
