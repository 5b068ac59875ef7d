#pragma once

#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/example_source.h"
#include "tools/common/tree_dot.h"
#include "tools/textbook/textbook_options.h"

// Whose growth is explained: the workbench's method, or the textbook
// learner's C4.5.
enum class ExplainMethod { workbench, textbook };

struct ExplainOptions {
  ExampleSource source;
  std::string save;      // where the tree goes, or empty
  bool compare = false;  // textbook C4.5's figures beside the method's
  bool dot = false;      // the tree as a Graphviz digraph instead of the explanation
  std::string session;   // a log of the workbench whose learn is explained, or empty
  std::size_t learn = 0;  // that learn's number in the log, from 1; 0 for the last with examples
  DotDepth dotDepth;      // how deep --dot draws
  bool brief = false;     // --dot's labels with the class counts alone
  ExplainMethod method = ExplainMethod::workbench;
  TextbookOptions textbook;  // --unpruned, --confidence and --min-leaf, for the textbook learner
};

using ParsedExplainArguments = ParsedArguments<ExplainOptions>;

// Reads the arguments after the program's name: a data file with --header,
// --no-header and --class N|NAME, --generate CODE
// N with --seed S, or --session LOG with --learn K; --save TREE, and
// --compare or --dot with --max-depth N and --brief; --method textbook with
// --unpruned, --confidence CF and --min-leaf M.
ParsedExplainArguments parseExplainArguments(const std::vector<std::string>& args);
