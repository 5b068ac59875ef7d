#pragma once

#include <sys/resource.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Runs of any program, with its standard output and error kept apart.

struct CommandRun {
  std::string out;
  std::string err;
  int status = -1;         // as waitpid reports it
  long peakKilobytes = 0;  // the program's largest resident size
};

struct CommandOptions {
  std::string input;                   // fed to standard input, which then ends
  std::string outputFile;              // when set, standard output goes to this file instead
  std::string folder;                  // working folder; empty keeps ours
  rlim_t stackLimit = RLIM_INFINITY;   // RLIMIT_STACK of the program
  rlim_t memoryLimit = RLIM_INFINITY;  // RLIMIT_AS of the program
  rlim_t fileSizeLimit = RLIM_INFINITY;  // RLIMIT_FSIZE of the program
  bool closedOutput = false;           // starts it with standard output closed
  // Takes standard output as it arrives instead of `CommandRun::out`, for
  // runs too long to keep whole.
  std::function<void(std::string_view)> onOutput;
  // Closes the program's output once this much has arrived, as `head -c`
  // does.
  std::size_t outputLimit = SIZE_MAX;
};

// Starts `argv[0]` (looked up in PATH when it holds no slash) with `argv`,
// in a new session, so that it has no controlling terminal. A program that
// cannot be started ends with status 127.
CommandRun runCommand(const std::vector<std::string>& argv, const CommandOptions& options = {});

// The exit status, or -1 when the program did not exit (a signal ended it).
int exitCode(int status);

// Whether an executable named `name` is on the PATH.
bool onPath(const std::string& name);
