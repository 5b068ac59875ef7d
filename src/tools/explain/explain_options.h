#pragma once

#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/example_source.h"

struct ExplainOptions {
  ExampleSource source;
  std::string save;      // where the tree goes, or empty
  bool compare = false;  // textbook C4.5's figures beside the method's
  bool dot = false;      // the tree as a Graphviz digraph instead of the explanation
};

using ParsedExplainArguments = ParsedArguments<ExplainOptions>;

// Reads the arguments after the program's name: FILE.csv or --generate CODE
// N with --seed S, --save TREE, and --compare or --dot.
ParsedExplainArguments parseExplainArguments(const std::vector<std::string>& args);
