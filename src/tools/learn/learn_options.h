#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/data_options.h"
#include "tools/textbook/textbook_options.h"

// Who learns the tree: the textbook learner's C4.5, or the workbench's own
// method, as its key `l` learns.
enum class LearnMethod { textbook, workbench };

struct LearnOptions {
  std::string data;  // "-" is standard input
  DataOptions dataOptions;
  LearnMethod method = LearnMethod::textbook;
  TextbookOptions textbook;  // --unpruned, --confidence and --min-leaf
  std::string save;          // where the tree goes, or empty
  std::size_t folds = 0;     // --cv K; 0 for no cross-validation
  std::uint32_t seed = 1;    // of the folds' shuffle
  bool curve = false;        // a learning curve over the folds
};

// The folds of the learning curve where --cv does not give them, as Weka's.
constexpr std::size_t defaultFolds = 10;

using ParsedLearnArguments = ParsedArguments<LearnOptions>;

// Reads the arguments after the program's name: one data file with
// --header, --no-header and --class N|NAME; --method textbook|workbench,
// --unpruned, --confidence CF and --min-leaf M (the textbook learner's
// only); --save TREE; --cv K, --seed S and --curve.
ParsedLearnArguments parseLearnArguments(const std::vector<std::string>& args);
