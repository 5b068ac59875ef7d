#pragma once

#include <signal.h>

// Every signal handler of the process is installed here, and each calls
// the restores of the owners of what must not outlive the program: the
// console gives the terminal back, the saving removes its temporary file.
//
// Each signal that ends a process by default and can be caught (HUP, INT,
// QUIT, TERM, USR1, USR2, ALRM, VTALRM, PROF, XCPU, IO, PWR, STKFLT, PIPE,
// the real-time ones) and each crash signal (SEGV, BUS, ILL, FPE, ABRT, SYS,
// TRAP) calls every restore and then ends the process by itself, so that a
// shell still reports 128 + N. SIGPIPE is the program's own business while a
// save writes into a FIFO (see BrokenPipeAsError), and SIGXFSZ is ignored, so
// that a write beyond the file size limit fails like any other.

// Installs the handlers once; later calls do nothing. A signal that was
// ignored when the program started stays ignored, as under nohup.
void installSignalHandlers();

// Adds `restore` to what every ending signal calls before it ends the
// program, after the restores added before it. It may make only
// async-signal-safe calls. At most four; the handlers are installed first.
void restoreOnEnding(void (*restore)());

// What a stop (SIGTSTP) and a continue call, for the one owner of the
// terminal: `stopping` before the program stops, `resumed` after it goes on
// (also where the system discarded the stop), and `continued` on SIGCONT.
void restoreAroundStops(void (*stopping)(), void (*resumed)(), void (*continued)());

// Holds every handled signal back for its life, so that a write that cannot
// be undone is never cut short, nor the handlers' state seen half changed;
// they act as it ends. A fault cannot wait and still ends the program.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t saved_{};
};

// For its life a write to a pipe whose reader has gone fails with EPIPE
// instead of ending the program by SIGPIPE.
struct BrokenPipeAsError {
  BrokenPipeAsError();
  ~BrokenPipeAsError();
  BrokenPipeAsError(const BrokenPipeAsError&) = delete;
  BrokenPipeAsError& operator=(const BrokenPipeAsError&) = delete;
};
