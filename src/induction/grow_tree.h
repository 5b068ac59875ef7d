#pragma once

#include <memory>

#include "induction/row_table.h"
#include "tree/tree_node.h"

struct GrowthObserver;

// What a learn did, as a value: the tree it grew; or, where the growth
// stopped with `failure` ("Illegal C4.5 Tree structure."), the tree as far
// as it grew; or no tree at all where memory ran out, or there was nothing
// to learn from.
struct Growth {
  std::unique_ptr<TreeNode> tree;
  const char* failure = nullptr;
};

// Grows a tree from the rows of a training set, telling `observer`, when
// given, of every step.
Growth growTree(const RowTable& rows, const GrowthObserver* observer = nullptr);
