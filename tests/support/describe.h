#pragma once

#include <sstream>
#include <string>

#include "tree/tree_node.h"

// Every field of every node, in pre-order:
// "(pred caseIndex caseValue leafClass left right)", a NUL pred shown as 0.
inline std::string describe(const TreeNode* node) {
  if (node == nullptr) return "-";
  std::ostringstream text;
  text << '(' << (node->pred != '\0' ? node->pred : '0') << ' ' << node->caseIndex << ' ' << node->caseValue
       << ' ' << static_cast<int>(node->leafClass);
  if (!node->isLeaf()) text << ' ' << describe(node->left.get()) << ' ' << describe(node->right.get());
  text << ')';
  return text.str();
}
