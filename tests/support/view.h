#pragma once

#include <string>
#include <vector>

#include "support/command.h"

// Runs the real treebench-view with these arguments.
inline CommandRun runView(const std::vector<std::string>& args, const CommandOptions& options = {}) {
  std::vector<std::string> argv{TREEBENCH_VIEW_PROGRAM};
  argv.insert(argv.end(), args.begin(), args.end());
  return runCommand(argv, options);
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
