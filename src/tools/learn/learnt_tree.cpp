#include "tools/learn/learnt_tree.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <utility>

#include "tools/common/tree_names.h"
#include "tree/tree_walk.h"

namespace {

template <typename Number>
std::string shortest(Number value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

LearntTree workbenchTree(const TextbookTree& tree) {
  LearntTree learnt;
  if (tree.nodes.empty()) return learnt;
  // The nodes still to make, the next on top; a stack, not recursion, as a
  // tree may be as deep as it has cases.
  struct Pending {
    std::uint32_t node;
    std::unique_ptr<TreeNode>* slot;
  };
  std::vector<Pending> stack{{0, &learnt.root}};
  while (!stack.empty()) {
    const Pending item = stack.back();
    stack.pop_back();
    const TextbookNode& from = tree.nodes[item.node];
    auto node = std::make_unique<TreeNode>();
    node->leafClass = from.majority;
    TreeNode& made = *node;
    *item.slot = std::move(node);
    if (from.test == TextbookTest::leaf) continue;
    made.caseIndex = from.attribute;
    learnt.yesShares.push_back(from.yesShare);
    std::uint32_t left = from.yes;
    std::uint32_t right = from.no;
    if (from.test == TextbookTest::atMost) {
      made.pred = '>';
      made.caseValue = from.threshold;
      std::swap(left, right);
    } else {
      made.pred = '=';
      made.caseValue = static_cast<float>(from.label);
    }
    stack.push_back({right, &made.right});
    stack.push_back({left, &made.left});
  }
  return learnt;
}

std::string treeFileText(const LearntTree& tree, const DataNames& names) {
  std::string text = nameComments(names);
  for (std::size_t test = 0; test < tree.yesShares.size(); ++test)
    text += "# share " + std::to_string(test) + ": " + shortest(tree.yesShares[test]) + '\n';
  if (!tree.root) return text;
  // As the workbench's writer: a tab per level, lines parted rather than
  // ended, a node with one child written as a leaf.
  walkPreOrder(*tree.root, [&text](const WalkStep& step) {
    if (step.depth > 0) text += '\n';
    text.append(step.depth, '\t');
    const TreeNode& node = *step.node;
    const bool test = node.left && node.right;
    if (test) {
      text += ">Pred: ";
      // '<' tests what a pred the reader cannot take back tests, as in the
      // workbench's writer.
      const bool readsBack =
          node.pred != '\0' && node.pred != '#' && !std::isspace(static_cast<unsigned char>(node.pred));
      text += readsBack ? node.pred : '<';
      text += "  Case Index: " + std::to_string(node.caseIndex) + "  Case Value: " + shortest(node.caseValue);
    } else {
      text += "^Class: " + std::to_string(static_cast<unsigned>(node.leafClass));
    }
    return test;
  });
  return text;
}

TreeSize treeSize(const TreeNode& root) {
  TreeSize size;
  walkPreOrder(root, [&size](const WalkStep& step) {
    ++size.nodes;
    size.leaves += step.node->isLeaf() ? 1U : 0U;
    return true;
  });
  return size;
}
