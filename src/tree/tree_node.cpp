#include "tree/tree_node.h"

#include <vector>

TreeNode::~TreeNode() {
  if (isLeaf()) return;
  // Post-order with an explicit stack: every subtree is freed before its
  // parent, and a left subtree before its right sibling. Each node's children
  // are detached before it is deleted, so no destructor below recurses.
  struct Pending {
    TreeNode* node;
    bool expanded;
  };
  std::vector<Pending> stack;
  if (right) stack.push_back({right.release(), false});
  if (left) stack.push_back({left.release(), false});
  while (!stack.empty()) {
    Pending& top = stack.back();
    if (top.expanded || top.node->isLeaf()) {
      delete top.node;
      stack.pop_back();
      continue;
    }
    top.expanded = true;
    TreeNode* node = top.node;
    // `top` may dangle once the stack grows.
    if (node->right) stack.push_back({node->right.release(), false});
    if (node->left) stack.push_back({node->left.release(), false});
  }
}

std::uint8_t TreeNode::classify(std::span<const float> values) const {
  const TreeNode* node = this;
  while (!node->isLeaf()) {
    const bool goesLeft = passesTest(node->pred, valueAt(values, node->caseIndex), node->caseValue);
    const TreeNode* next = goesLeft ? node->left.get() : node->right.get();
    // Neither growth nor a complete load makes a node with one child, but a
    // tree built by other code may hold one: where the walk points at the
    // missing side, the node answers for itself.
    if (next == nullptr) return node->leafClass;
    node = next;
  }
  return node->leafClass;
}
