#pragma once

#include <signal.h>

#include <string>

// Keeps a temporary file from outliving the save that makes it when a
// terminating signal (hang-up, Ctrl-C, Ctrl-\, kill) ends the program. For
// the guard's life a handler removes the file and then hands the signal on
// to whatever was there before: a handler, or the default action, so that
// the exit status still tells the signal. An ignored signal stays ignored.
// Nothing can help against SIGKILL. One guard at a time.
class TemporaryFileGuard {
 public:
  TemporaryFileGuard();
  ~TemporaryFileGuard();
  TemporaryFileGuard(const TemporaryFileGuard&) = delete;
  TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

  // Creates a file as mkstemp does, completing `pattern`, and answers its
  // descriptor (close-on-exec) or -1. From then until the guard ends, a
  // signal removes the file named `pattern`, which must outlive the guard.
  int create(std::string& pattern);
};

// Holds the terminating signals back for its life, so that a write that
// cannot be undone is never cut short; they act as it ends.
class TerminatingSignalsHeld {
 public:
  TerminatingSignalsHeld();
  ~TerminatingSignalsHeld();
  TerminatingSignalsHeld(const TerminatingSignalsHeld&) = delete;
  TerminatingSignalsHeld& operator=(const TerminatingSignalsHeld&) = delete;

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
