#include <memory>

#include "induction/tree_builder.h"
#include "tree/tree_node.h"

void TreeBuilder::grow(ExampleSet& examples, TreeNode& node) {
  const std::uint32_t majority = majorityClass(examples);
  pred = choosePredicate(examples);
  node.pred = pred;

  // Each example adds 1.0 to at most one count, so this holds exactly when
  // the whole set is of the majority class.
  const bool pure = classCounts[majority] >= static_cast<float>(examples.size());
  if (pure || examples.front().values.empty()) {
    makeLeaf(node, majority);
    return;
  }
  findThresholds(majority, examples);
  const std::uint32_t attribute = chooseAttribute(majority, examples);
  if (attribute == noIndex) {
    makeLeaf(node, majority);
    return;
  }

  node.caseIndex = attribute;
  node.caseValue = thresholds[attribute];
  ExampleSet pass;
  ExampleSet fail;
  for (const Example& example : examples) {
    if (passesTest(node.pred, valueAt(example.values, attribute), node.caseValue)) {
      pass.push_back(example);
    } else {
      fail.push_back(example);
    }
  }
  // Both children exist before the check, so a failed split leaves a node
  // with two empty children rather than a node with one.
  node.left = std::make_unique<TreeNode>();
  node.right = std::make_unique<TreeNode>();
  if (pass.empty() || fail.empty()) throw growthFailure;

  grow(pass, *node.left);
  grow(fail, *node.right);
}

std::uint32_t TreeBuilder::majorityClass(const ExampleSet& examples) {
  classCounts.assign(classes.size(), 0.0F);
  for (const Example& example : examples) {
    for (std::size_t j = 0; j < classes.size(); ++j) {
      if (example.classValue == static_cast<std::uint8_t>(classes[j])) {
        classCounts[j] = static_cast<float>(static_cast<double>(classCounts[j]) + 1.0);
        break;
      }
    }
  }
  std::uint32_t best = 0;
  for (std::uint32_t i = 1; i < classCounts.size(); ++i) {
    if (classCounts[i] > classCounts[best]) best = i;
  }
  return best;
}

void TreeBuilder::makeLeaf(TreeNode& node, std::uint32_t classIndex) const {
  node.leafClass = classes[classIndex] ? 1 : 0;
}
