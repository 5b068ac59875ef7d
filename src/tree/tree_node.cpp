#include "tree/tree_node.h"

namespace {

// Frees `node` and everything below it: each node's left subtree, then its
// right subtree, then the node. The way back up is kept in the tree itself:
// while the walk is below a node, the slot of the side it went down holds
// that node's parent instead of the child. So freeing needs no memory and
// cannot fail, even when the tree is being freed because memory ran out.
// `top` owns `node`; it ends the way back and is never freed here.
void freeBelow(TreeNode* node, TreeNode* const top) noexcept {
  TreeNode* parent = top;
  for (;;) {
    std::unique_ptr<TreeNode>& side = node->left ? node->left : node->right;
    if (side) {
      TreeNode* const child = side.release();
      side.reset(parent);
      parent = node;
      node = child;
      continue;
    }
    // `node` has no children left. Free it and the ancestors whose sides
    // are both done, up to the first with a right subtree still to free.
    for (;;) {
      delete node;
      if (parent == top) return;
      node = parent;
      if (!node->left) {
        parent = node->right.release();  // back from its right side
        continue;
      }
      parent = node->left.release();  // back from its left side
      if (node->right) break;
    }
  }
}

}  // namespace

TreeNode::~TreeNode() {
  if (left) freeBelow(left.release(), this);
  if (right) freeBelow(right.release(), this);
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
