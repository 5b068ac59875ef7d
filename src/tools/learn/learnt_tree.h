#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "tools/common/data_names.h"
#include "tools/textbook/textbook_tree.h"
#include "tree/tree_node.h"

// A learnt tree in the workbench's own form, which it classifies, draws
// and saves as the workbench does.
struct LearntTree {
  std::unique_ptr<TreeNode> root;
  // For a textbook tree, each test's yes share (TextbookNode::yesShare: of
  // the branch where `x <= t` or `x = label` holds), in the order of the
  // tests in the tree file; empty for a tree of the workbench's method.
  std::vector<double> yesShares;
};

// The textbook tree as the workbench tests: `x <= t` is `x > t` with its
// branches swapped, `x > t` then left, and `x = label` the label's index,
// the equal branch left; a leaf answers the class of most weight. A case
// without a value goes right where the textbook tree would split it.
LearntTree workbenchTree(const TextbookTree& tree);

// The tree file of `tree`: the names and the yes shares in comment lines
// at its head, then the tree's lines as the workbench writes them, but
// each threshold as the shortest decimal that reads back as the same
// float, so that the loaded tree answers every case as the learnt one.
std::string treeFileText(const LearntTree& tree, const DataNames& names);

// The nodes of the tree, and of them the leaves.
struct TreeSize {
  std::size_t nodes = 0;
  std::size_t leaves = 0;
};
TreeSize treeSize(const TreeNode& root);
