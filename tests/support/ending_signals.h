#pragma once

#include <csignal>
#include <vector>

// Every signal whose default action ends a process and that a program can
// catch: those from outside, the crash signals and the first and last
// real-time ones. SIGXFSZ is the program's own business and is left out.
inline std::vector<int> endingSignals() {
  return {SIGHUP,  SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
          SIGPROF, SIGXCPU, SIGIO,  SIGPWR,  SIGSTKFLT, SIGPIPE, SIGSYS, SIGTRAP,
          SIGSEGV, SIGBUS, SIGILL, SIGFPE,  SIGABRT, SIGRTMIN, SIGRTMAX};
}
