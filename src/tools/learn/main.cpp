#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "tools/learn/learn_program.h"

int main(int argc, char** argv) {
  // The output stream gets a buffer of its own instead of going through C's;
  // the data are read through C's standard input, which nothing here reads
  // through a C++ stream.
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return runLearn(args, stdin, std::cout, std::cerr);
}
