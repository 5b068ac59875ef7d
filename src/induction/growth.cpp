#include <algorithm>
#include <memory>
#include <utility>

#include "induction/tree_builder.h"
#include "tree/tree_node.h"

namespace {

std::uint64_t sizeOf(const ExampleSet& examples) { return examples.size(); }
std::uint64_t sizeOf(const RowSet& set) { return exampleCount(set); }

bool hasNoAttributes(const ExampleSet& examples) { return examples.front().values.empty(); }
bool hasNoAttributes(const RowSet& set) { return set.table->width == 0; }

// Copies of the examples, in their current order, to the side the node's
// test sends them.
void partition(const ExampleSet& examples, const TreeNode& node, ExampleSet& pass, ExampleSet& fail) {
  for (const Example& example : examples) {
    if (passesTest(node.pred, valueAt(example.values, node.caseIndex), node.caseValue)) {
      pass.push_back(example);
    } else {
      fail.push_back(example);
    }
  }
}

// The node's rows reordered in place, those that pass first.
void partition(const RowSet& set, const TreeNode& node, RowSet& pass, RowSet& fail) {
  const RowTable& table = *set.table;
  const auto middle = std::partition(set.rows.begin(), set.rows.end(), [&](std::uint32_t row) {
    return passesTest(node.pred, table.value(row, node.caseIndex), node.caseValue);
  });
  const auto passing = static_cast<std::size_t>(middle - set.rows.begin());
  pass = RowSet{&table, set.rows.first(passing)};
  fail = RowSet{&table, set.rows.subspan(passing)};
}

bool isEmpty(const ExampleSet& examples) { return examples.empty(); }
bool isEmpty(const RowSet& set) { return set.rows.empty(); }

}  // namespace

template <typename Set>
bool TreeBuilder::growStep(Set& set, TreeNode& node, Set& pass, Set& fail) {
  const std::uint32_t majority = majorityClass(set);
  pred = choosePredicate(set);
  node.pred = pred;

  const bool pure = classTallies[majority] >= sizeOf(set);
  if (pure || hasNoAttributes(set)) {
    makeLeaf(node, majority);
    return false;
  }
  findThresholds(majority, set);
  const std::uint32_t attribute = chooseAttribute(majority, set);
  if (attribute == noIndex) {
    makeLeaf(node, majority);
    return false;
  }

  node.caseIndex = attribute;
  node.caseValue = thresholds[attribute];
  partition(set, node, pass, fail);
  // Both children exist before the check, so a failed split leaves a node
  // with two empty children rather than a node with one.
  node.left = std::make_unique<TreeNode>();
  node.right = std::make_unique<TreeNode>();
  if (isEmpty(pass) || isEmpty(fail)) throw growthFailure;
  return true;
}

void TreeBuilder::grow(ExampleSet& examples, TreeNode& node) {
  RowFolder folder;
  RowTable table;
  if (!folder.add(examples) || !folder.finish(table)) {
    growExamples(examples, node);
    return;
  }
  try {
    grow(table, node);
  } catch (const char*) {
    // Growing from the examples would have left the training set as the
    // root's threshold search sorts it; a failed learn keeps the set, so it
    // must be in that order too.
    const auto width = static_cast<std::uint32_t>(examples.front().values.size());
    for (std::uint32_t i = 0; i < width; ++i) {
      sortAttribute = i;
      std::sort(examples.begin(), examples.end(), AttributeOrder{});
    }
    throw;
  }
}

void TreeBuilder::grow(const RowTable& table, TreeNode& root) {
  std::vector<std::uint32_t> order(table.rows());
  for (std::uint32_t r = 0; r < order.size(); ++r) order[r] = r;
  struct Pending {
    RowSet set;
    TreeNode* node;
  };
  std::vector<Pending> stack{{RowSet{&table, order}, &root}};
  while (!stack.empty()) {
    Pending next = stack.back();
    stack.pop_back();
    RowSet pass;
    RowSet fail;
    if (!growStep(next.set, *next.node, pass, fail)) continue;
    // Left (pass) is grown whole before right (fail) is begun.
    stack.push_back({fail, next.node->right.get()});
    stack.push_back({pass, next.node->left.get()});
  }
}

void TreeBuilder::growExamples(ExampleSet& examples, TreeNode& root) {
  struct Pending {
    ExampleSet set;
    TreeNode* node;
  };
  std::vector<Pending> stack;
  // The root's set is the training set itself, sorted in place.
  ExampleSet pass;
  ExampleSet fail;
  if (!growStep(examples, root, pass, fail)) return;
  stack.push_back({std::move(fail), root.right.get()});
  stack.push_back({std::move(pass), root.left.get()});
  while (!stack.empty()) {
    Pending next = std::move(stack.back());
    stack.pop_back();
    ExampleSet nextPass;
    ExampleSet nextFail;
    if (!growStep(next.set, *next.node, nextPass, nextFail)) continue;
    stack.push_back({std::move(nextFail), next.node->right.get()});
    stack.push_back({std::move(nextPass), next.node->left.get()});
  }
}

std::uint32_t TreeBuilder::majorityClass(const ExampleSet& examples) {
  classTallies = {};
  for (const Example& example : examples) {
    for (std::size_t j = 0; j < classTallies.size(); ++j) {
      if (example.classValue == static_cast<std::uint8_t>(classes[j])) {
        ++classTallies[j];
        break;
      }
    }
  }
  // A float counted in steps of 1.0 holds the same number up to 2^24; the
  // integers stay right beyond it.
  classCounts.assign(classes.size(), 0.0F);
  for (std::size_t j = 0; j < classCounts.size(); ++j) classCounts[j] = static_cast<float>(classTallies[j]);
  // Ties keep the lower index, so class 0 wins a tie.
  return classTallies[1] > classTallies[0] ? 1 : 0;
}

void TreeBuilder::makeLeaf(TreeNode& node, std::uint32_t classIndex) const {
  node.leafClass = classes[classIndex] ? 1 : 0;
}
