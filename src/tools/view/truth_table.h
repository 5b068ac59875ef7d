#pragma once

#include <iosfwd>

#include "tools/common/data_names.h"
#include "tree/tree_node.h"

constexpr unsigned minTableWidth = 1;
constexpr unsigned maxTableWidth = 16;

// Every input of `width` values, each 0 or 1, one row each in binary
// counting order (x1 the most significant digit) with the tree's answer;
// then, for each concept that takes `width` values, how many rows agree
// with it, and the concept the tree computes, if one agrees on every row;
// in the names of the data where there are some.
void writeTruthTable(const TreeNode& root, unsigned width, std::ostream& out, const DataNames& names = noNames);
