#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <vector>

#include "tools/common/data_names.h"
#include "tools/common/dataset.h"
#include "tree/tree_node.h"

// A row that the tree answers wrongly.
struct WrongRow {
  std::size_t line = 0;  // of the data file, from 1
  std::vector<float> values;
  std::uint8_t classValue = 0;
  std::uint8_t answer = 0;
};

// How a tree answers the rows of a data set.
struct Accuracy {
  std::size_t rows = 0;
  // Rows by true class, then by answer: 0, 1, or any other, which a leaf
  // read from a class such as 2 gives and which is never right.
  std::array<std::array<std::size_t, 3>, 2> counts{};
  std::vector<WrongRow> firstWrong;  // in the order of the file

  std::size_t right() const { return counts[0][0] + counts[1][1]; }
};

// How many wrong rows are shown.
constexpr std::size_t shownWrongRows = 5;

// Classifies every row as the workbench classifies an example, a value the
// row lacks reading as NaN, and keeps the first `keptWrong` wrong rows.
Accuracy measureAccuracy(const TreeNode& root, const Dataset& data, std::size_t keptWrong = shownWrongRows);

// The rows right and their share, the table of class against answer, and
// the wrong rows kept, in the names of the data where there are some.
void writeAccuracy(const Accuracy& accuracy, std::ostream& out, const DataNames& names = noNames);
