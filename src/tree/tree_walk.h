#pragma once

#include <cstddef>
#include <vector>

#include "tree/tree_node.h"

// The branch of its parent that a node hangs on: `yes` is the left child,
// taken when the parent's test holds.
enum class Branch { root, yes, no };

// One node as the walk reaches it.
struct WalkStep {
  const TreeNode* node;
  std::size_t depth;  // the root is 0
  Branch branch;
  bool last;  // no sibling follows it: the root, a right child, or a left child alone
};

// Visits the tree in pre-order: a node, then its left subtree, then its right
// subtree. `visit(step)` answers whether the walk goes on below the node.
// The pending nodes are kept on a stack of their own, at most one right
// child per level, so that no depth of tree can exhaust the call stack.
template <typename Visit>
void walkPreOrder(const TreeNode& root, Visit visit) {
  std::vector<WalkStep> stack{{&root, 0, Branch::root, true}};
  while (!stack.empty()) {
    const WalkStep step = stack.back();
    stack.pop_back();
    if (!visit(step)) continue;
    const TreeNode& node = *step.node;
    // The right child goes on first, so that the left one comes first.
    if (node.right) stack.push_back({node.right.get(), step.depth + 1, Branch::no, true});
    if (node.left) stack.push_back({node.left.get(), step.depth + 1, Branch::yes, !node.right});
  }
}
