#pragma once

#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/example_source.h"

struct BenchOptions {
  ExampleSource source;
  int repeat = 3;
  std::string save;   // where the tree goes, or empty
  std::string write;  // where the examples go as CSV, or empty to learn
};

using ParsedBenchArguments = ParsedArguments<BenchOptions>;

// Reads the arguments after the program's name: a data file with --header,
// --no-header and --class N|NAME, or --generate CODE
// N with --seed S, then --repeat R, --save TREE and --write FILE.csv.
ParsedBenchArguments parseBenchArguments(const std::vector<std::string>& args);
