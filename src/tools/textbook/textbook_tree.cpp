#include "tools/textbook/textbook_tree.h"

#include <cmath>
#include <utility>

std::size_t leafCount(const TextbookTree& tree) {
  std::size_t leaves = 0;
  for (const TextbookNode& node : tree.nodes) leaves += node.test == TextbookTest::leaf ? 1 : 0;
  return leaves;
}

TextbookBranch branchFor(const TextbookNode& node, float value) {
  if (std::isnan(value)) return TextbookBranch::both;
  const bool holds =
      node.test == TextbookTest::atMost ? value <= node.threshold : value == static_cast<float>(node.label);
  return holds ? TextbookBranch::yes : TextbookBranch::no;
}

std::vector<double> classShares(const TextbookTree& tree, std::span<const float> row) {
  std::vector<double> shares(tree.classCount, 0.0);
  if (tree.nodes.empty()) return shares;
  // Paths still to follow, with their weights; a stack, not recursion, as
  // a tree may be as deep as it has cases.
  std::vector<std::pair<std::uint32_t, double>> paths{{0U, 1.0}};
  while (!paths.empty()) {
    const auto [at, weight] = paths.back();
    paths.pop_back();
    const TextbookNode& node = tree.nodes[at];
    if (node.test == TextbookTest::leaf) {
      const auto weights = tree.classWeightsOf(at);
      if (node.weight > 0.0) {
        for (std::size_t c = 0; c < tree.classCount; ++c) shares[c] += weight * weights[c] / node.weight;
      } else {
        shares[node.majority] += weight;
      }
      continue;
    }
    switch (branchFor(node, row[node.attribute])) {
      case TextbookBranch::yes:
        paths.emplace_back(node.yes, weight);
        break;
      case TextbookBranch::no:
        paths.emplace_back(node.no, weight);
        break;
      case TextbookBranch::both:
        paths.emplace_back(node.no, weight * (1.0 - node.yesShare));
        paths.emplace_back(node.yes, weight * node.yesShare);
        break;
    }
  }
  return shares;
}

std::uint8_t classify(const TextbookTree& tree, std::span<const float> row) {
  const std::vector<double> shares = classShares(tree, row);
  std::size_t best = 0;
  for (std::size_t c = 1; c < shares.size(); ++c) best = shares[c] > shares[best] ? c : best;
  return static_cast<std::uint8_t>(best);
}
