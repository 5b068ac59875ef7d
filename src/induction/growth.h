#pragma once

#include <memory>

#include "induction/row_table.h"
#include "tree/tree_node.h"

struct GrowthObserver;

// Replaces the tree in `root` with one grown from the rows of a training
// set, telling `observer`, when given, of every step. The new root is
// attached before the growth starts, so that `root` holds a well-formed tree
// at every moment. Throws `growthFailure` (tree_builder.h), as a plain
// string, when a split sends every example one way, and std::bad_alloc
// where memory runs out; either way `root` keeps the tree as far as it grew.
void growTree(const RowTable& rows, std::unique_ptr<TreeNode>& root, const GrowthObserver* observer = nullptr);
