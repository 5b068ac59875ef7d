// The explainer's memory follows the depth of the tree, where a path kept
// for each waiting node would follow the square of a chain's depth: sixteen
// times as much for a chain four times as deep.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "support/replaced_new.h"
#include "tools/explain/explanation.h"
#include "tree/tree_walk.h"

void onAllocation() {}

namespace {

// The bytes allocated while the explanation is told, in the induction's
// order, the growth of a chain of tests down the yes side: each no leaf
// waits while the yes side below it grows.
std::size_t explainedBytes(std::size_t depth) {
  TreeNode root;
  for (TreeNode* node = &root; depth-- > 0; node = node->left.get()) {
    node->left = std::make_unique<TreeNode>();
    node->right = std::make_unique<TreeNode>();
  }
  std::ostream out(nullptr);  // writes nothing, so that the output costs nothing
  Explanation explanation(out);
  const std::size_t before = allocatedBytes;
  walkPreOrder(root, [&](const WalkStep& step) {
    explanation.tell(NodeBegun{step.node, {step.depth, step.branch}, {1, 1}, 2, '='});
    explanation.tell(step.node->isLeaf() ? GrowthEvent{LeafMade{step.node, LeafReason::noSplit}}
                                         : GrowthEvent{NodeSplit{step.node, 1, 1}});
    return true;
  });
  return allocatedBytes - before;
}

}  // namespace

TEST(ExplainMemory, AChainFourTimesAsDeepTakesAboutFourTimesTheMemory) {
  EXPECT_LT(explainedBytes(4000), 6 * explainedBytes(1000));
}
