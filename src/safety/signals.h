#pragma once

#include <signal.h>
#include <termios.h>

#include <string>

// Every signal handler of the process is installed here, so that every way
// out leaves the terminal as it was found and no temporary file behind.
//
// Each signal that ends a process by default and can be caught (HUP, INT,
// QUIT, TERM, USR1, USR2, ALRM, VTALRM, PROF, XCPU, IO, PWR, STKFLT, PIPE,
// the real-time ones) and each crash signal (SEGV, BUS, ILL, FPE, ABRT, SYS,
// TRAP) restores the terminal, removes the pending temporary file and then
// ends the process by itself, so that a shell still reports 128 + N. SIGPIPE
// is the program's own business while a save writes into a FIFO (see
// BrokenPipeAsError), and SIGXFSZ is ignored, so that a save beyond the file
// size limit fails like any other. A stop (SIGTSTP) restores the terminal
// before it stops, and a continue puts key mode back.

// Installs the handlers once; later calls do nothing. A signal that was
// ignored when the program started stays ignored, as under nohup.
void installSignalHandlers();

// The terminal that every way out restores to `original`, and that a
// continue after a stop puts back into `keyMode` when the program is in the
// foreground. Also restored at exit.
void watchTerminal(int fd, const termios& original, const termios& keyMode);

// Restores the watched terminal now and stops watching it; from the
// background too, where changing a terminal would otherwise stop the program.
void releaseTerminal();

// The descriptor of the watched terminal, or -1.
int watchedTerminal();

// Whether the program went on after a stop since the last call.
bool continuedSinceAsked();

// Waits until `fd` has something to read (true), or until the program goes
// on after a stop (false), also one that came before the call.
bool awaitInputOrContinue(int fd);

// Creates a file as mkostemp does (close-on-exec), completing `pattern`, and
// answers its descriptor or -1. From its creation on, until
// `forgetTemporaryFile`, any ending signal removes it first. One at a time.
int createTemporaryFile(std::string& pattern);
void forgetTemporaryFile();

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
