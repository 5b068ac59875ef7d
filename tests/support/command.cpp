#include "support/command.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/program.h"

CommandRun runCommand(const std::vector<std::string>& argv, const CommandOptions& options) {
  int input[2];
  int output[2];
  int error[2];
  // Close-on-exec, so that only the descriptors duplicated onto 0, 1 and 2
  // reach the program and its pipes end when it does.
  if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0 || pipe2(error, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  const pid_t pid = launch(argv, [&] {
    if (!options.folder.empty() && chdir(options.folder.c_str()) != 0) _exit(126);
    // Moved above 2 first: where the test itself runs without standard
    // streams, a pipe end may already be one of them.
    const int in = fcntl(input[0], F_DUPFD_CLOEXEC, 3);
    int out = fcntl(output[1], F_DUPFD_CLOEXEC, 3);
    const int err = fcntl(error[1], F_DUPFD_CLOEXEC, 3);
    if (!options.outputFile.empty()) {
      out = open(options.outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
      if (out < 0) _exit(126);
    }
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    if (options.closedOutput) close(STDOUT_FILENO);
    setsid();
    if (options.stackLimit != RLIM_INFINITY) {
      const rlimit limit{options.stackLimit, options.stackLimit};
      setrlimit(RLIMIT_STACK, &limit);
    }
    if (options.memoryLimit != RLIM_INFINITY) {
      const rlimit limit{options.memoryLimit, options.memoryLimit};
      setrlimit(RLIMIT_AS, &limit);
    }
    if (options.fileSizeLimit != RLIM_INFINITY) {
      const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
  });
  close(input[0]);
  close(output[1]);
  close(error[1]);
  // Fed from a thread of its own, so that a program that writes while it
  // still reads can never stall both sides.
  std::thread feeder([fd = input[1], &options] {
    writeAll(fd, options.input);
    close(fd);
  });
  CommandRun run;
  pollfd streams[2] = {{output[0], POLLIN, 0}, {error[0], POLLIN, 0}};
  std::string* texts[2] = {&run.out, &run.err};
  int open = 2;
  std::size_t taken = 0;
  char buffer[65536];
  while (open > 0) {
    if (poll(streams, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (streams[i].fd < 0 || streams[i].revents == 0) continue;
      const std::size_t most = i == 0 ? std::min(sizeof buffer, options.outputLimit - taken) : sizeof buffer;
      const ssize_t got = read(streams[i].fd, buffer, most);
      if (got < 0 && errno == EINTR) continue;
      if (got > 0 && i == 0) taken += static_cast<std::size_t>(got);
      if (got > 0 && i == 0 && options.onOutput) {
        options.onOutput(std::string_view(buffer, static_cast<std::size_t>(got)));
      } else if (got > 0) {
        texts[i]->append(buffer, static_cast<std::size_t>(got));
      }
      if (got <= 0 || (i == 0 && taken == options.outputLimit)) {
        close(streams[i].fd);
        streams[i].fd = -1;
        --open;
      }
    }
  }
  feeder.join();
  rusage usage{};
  wait4(pid, &run.status, 0, &usage);
  run.peakKilobytes = usage.ru_maxrss;
  return run;
}

int exitCode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

bool onPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return true;
  }
  return false;
}
