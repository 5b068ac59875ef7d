#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "tools/curve/curve_program.h"

int main(int argc, char** argv) {
  // The output stream gets a buffer of its own instead of going through
  // C's; nothing here writes through C's streams.
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return runCurve(args, std::cout, std::cerr, terminalWidth(STDOUT_FILENO, std::getenv("COLUMNS")));
}
