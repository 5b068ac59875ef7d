#pragma once

#include <sys/resource.h>

#include <string>
#include <vector>

// Runs of any program, with its standard output and error kept apart.

struct CommandRun {
  std::string out;
  std::string err;
  int status = -1;  // as waitpid reports it
};

struct CommandOptions {
  std::string input;                   // fed to standard input, which then ends
  std::string outputFile;              // when set, standard output goes to this file instead
  std::string folder;                  // working folder; empty keeps ours
  rlim_t stackLimit = RLIM_INFINITY;   // RLIMIT_STACK of the program
  rlim_t memoryLimit = RLIM_INFINITY;  // RLIMIT_AS of the program
  bool closedOutput = false;           // starts it with standard output closed
};

// Starts `argv[0]` (looked up in PATH when it holds no slash) with `argv`,
// in a new session, so that it has no controlling terminal. A program that
// cannot be started ends with status 127.
CommandRun runCommand(const std::vector<std::string>& argv, const CommandOptions& options = {});

// The exit status, or -1 when the program did not exit (a signal ended it).
int exitCode(int status);

// Whether an executable named `name` is on the PATH.
bool onPath(const std::string& name);
