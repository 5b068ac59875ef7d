#pragma once

#include <signal.h>
#include <termios.h>

#include <string>

// Every signal handler of the process is installed here, so that every way
// the program can end leaves the terminal as it was found and no temporary
// file behind, and ends by the very signal that ended it, so that a shell
// still reports 128 + N.
//
// Handled: every signal whose default action ends the process and that can
// be caught (HUP, INT, QUIT, TERM, USR1, USR2, ALRM, VTALRM, PROF, XCPU,
// IO, PWR, STKFLT, PIPE, SYS, TRAP and the real-time ones) and the crash
// signals (SEGV, BUS, ILL, FPE, ABRT): each restores the terminal, removes
// the pending temporary file and then ends the process by the same signal.
// SIGPIPE is held back while a save writes into a FIFO, so that a reader
// that leaves fails that save rather than ending the program. A stop
// (SIGTSTP) restores the terminal before it stops, and a continue puts key
// mode back. SIGXFSZ is ignored, so that a save beyond the file size limit
// fails like any other.

// Installs the handlers and ignores SIGXFSZ, once; later calls do nothing. A
// signal that was ignored when the program started stays ignored, as under
// nohup.
void installSignalHandlers();

// The terminal that every way out restores to `original`, and that a
// continue after a stop puts back into `keyMode` when the program is in the
// foreground. Also restored at exit.
void watchTerminal(int fd, const termios& original, const termios& keyMode);

// Restores the watched terminal now and stops watching it. Works from the
// background too, where a change of the terminal would otherwise stop the
// program.
void releaseTerminal();

// The descriptor of the watched terminal, or -1.
int watchedTerminal();

// Whether the program went on after a stop since the last call.
bool continuedSinceAsked();

// Waits until `fd` has something to read (true), or until the program goes
// on after a stop (false); a continue that came before the call counts too,
// without waiting. Signals that are not stops interrupt nothing.
bool awaitInputOrContinue(int fd);

// Creates a file as mkostemp does (close-on-exec), completing `pattern`, and
// answers its descriptor or -1. From its creation on, until
// `forgetTemporaryFile`, any ending signal removes it first. One at a time.
int createTemporaryFile(std::string& pattern);
void forgetTemporaryFile();

// Holds every asynchronous ending signal back for its life, so that a write
// that cannot be undone is never cut short; they act as it ends.
class EndingSignalsHeld {
 public:
  EndingSignalsHeld();
  ~EndingSignalsHeld();
  EndingSignalsHeld(const EndingSignalsHeld&) = delete;
  EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

 private:
  sigset_t saved_{};
};

// For its life a write to a pipe whose reader has gone fails with EPIPE
// instead of ending the program by SIGPIPE.
class BrokenPipeAsError {
 public:
  BrokenPipeAsError();
  ~BrokenPipeAsError();
  BrokenPipeAsError(const BrokenPipeAsError&) = delete;
  BrokenPipeAsError& operator=(const BrokenPipeAsError&) = delete;

 private:
  sigset_t saved_{};
  bool pendingBefore_ = false;
};
