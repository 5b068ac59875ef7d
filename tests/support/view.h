#pragma once

#include <pthread.h>

#include <cstddef>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/command.h"
#include "tools/view/view_program.h"

// A run of the viewer inside the test, with `input` as its standard input.
struct ViewRun {
  std::string out;
  std::string err;
  int status = -1;  // the exit status
};

inline ViewRun runView(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  ViewRun run;
  run.status = runViewer(args, in, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

// Runs the real treebench-view, for what only its process shows: the exit
// status that reaches a shell, and output to a closed or full stream.
inline CommandRun runViewProgram(const std::vector<std::string>& args, const CommandOptions& options = {}) {
  std::vector<std::string> argv{TREEBENCH_VIEW_PROGRAM};
  argv.insert(argv.end(), args.begin(), args.end());
  return runCommand(argv, options);
}

// Runs `work` on a thread whose stack holds only `bytes`, far too few for
// code that recursed once per level of a deep tree.
inline void onSmallStack(std::size_t bytes, std::function<void()> work) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, bytes);
  pthread_t thread;
  const auto run = [](void* job) -> void* {
    (*static_cast<std::function<void()>*>(job))();
    return nullptr;
  };
  const int started = pthread_create(&thread, &attributes, run, &work);
  pthread_attr_destroy(&attributes);
  if (started != 0) throw std::runtime_error("pthread_create failed");
  pthread_join(thread, nullptr);
}

// The lines of `text`, each without its line end.
inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}
