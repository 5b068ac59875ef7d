// The explanation's memory follows the depth of the tree, not the sum of
// its path lengths, which grows with the square of a chain's depth.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <streambuf>

#include "support/replaced_new.h"
#include "tools/explain/explanation.h"
#include "tree/tree_node.h"
#include "tree/tree_walk.h"

namespace {

// Takes every character and keeps none, so that the output costs no memory.
struct Discard : std::streambuf {
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// A chain of tests down the yes side with a leaf on each no side: every no
// leaf waits, named, while the yes side below it grows.
std::unique_ptr<TreeNode> yesChain(std::size_t depth) {
  auto root = std::make_unique<TreeNode>();
  TreeNode* node = root.get();
  for (std::size_t level = 0; level < depth; ++level) {
    node->left = std::make_unique<TreeNode>();
    node->right = std::make_unique<TreeNode>();
    node = node->left.get();
  }
  return root;
}

// The bytes the explanation allocates while it is told the growth of `root`
// in the order the induction tells it.
std::size_t explainedBytes(const TreeNode& root) {
  Discard discard;
  std::ostream out(&discard);
  Explanation explanation(out);
  std::size_t bytes = 0;
  const auto tell = [&](const GrowthEvent& event) {
    const std::size_t before = allocatedBytes;
    explanation.tell(event);
    bytes += allocatedBytes - before;
  };
  walkPreOrder(root, [&](const WalkStep& step) {
    const TreeNode* node = step.node;
    tell(NodeBegun{node, {1, 1}, 2, '='});
    if (node->isLeaf()) {
      tell(LeafMade{node, LeafReason::noSplit});
    } else {
      tell(NodeSplit{node, 1, 1});
    }
    return true;
  });
  return bytes;
}

}  // namespace

void onAllocation() {}

TEST(ExplainMemory, AChainFourTimesAsDeepTakesAboutFourTimesTheMemory) {
  const std::size_t shallow = explainedBytes(*yesChain(1000));
  const std::size_t deep = explainedBytes(*yesChain(4000));
  EXPECT_GT(shallow, 0U);
  // A path kept for every waiting node would take sixteen times as much.
  EXPECT_LT(deep, 6 * shallow) << shallow;
}
