#pragma once

#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/example_source.h"
#include "tools/textbook/textbook_options.h"

// Whose growth is explained: the workbench's method, or the textbook
// learner's C4.5.
enum class ExplainMethod { workbench, textbook };

struct ExplainOptions {
  ExampleSource source;
  std::string save;      // where the tree goes, or empty
  bool compare = false;  // textbook C4.5's figures beside the method's
  bool dot = false;      // the tree as a Graphviz digraph instead of the explanation
  ExplainMethod method = ExplainMethod::workbench;
  TextbookOptions textbook;  // --unpruned, --confidence and --min-leaf, for the textbook learner
};

using ParsedExplainArguments = ParsedArguments<ExplainOptions>;

// Reads the arguments after the program's name: FILE.csv or --generate CODE
// N with --seed S, --save TREE, and --compare or --dot; or, with --method
// textbook, --unpruned, --confidence CF and --min-leaf M.
ParsedExplainArguments parseExplainArguments(const std::vector<std::string>& args);
