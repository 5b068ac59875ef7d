#include <iostream>
#include <string>
#include <vector>

#include "tools/view/view_program.h"

int main(int argc, char** argv) {
  // The streams get buffers of their own instead of going through C's, which
  // makes reading a large file from standard input and drawing a deep tree
  // far cheaper; nothing here writes through C's streams.
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return runViewer(args, std::cin, std::cout, std::cerr);
}
