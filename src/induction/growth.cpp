// Tree growth: the growth of a whole tree, each node's stop tests and
// split, and the majority class that a leaf takes.
#include "induction/growth.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <vector>

#include "induction/growth_observer.h"
#include "induction/tree_builder.h"
#include "tree/tree_node.h"

namespace {

// The node's rows reordered in place, those that pass its test first.
void partition(const RowSet& set, const TreeNode& node, RowSet& pass, RowSet& fail) {
  const RowTable& table = *set.table;
  const auto middle = std::partition(set.rows.begin(), set.rows.end(), [&](std::uint32_t row) {
    return passesTest(node.pred, table.value(row, node.caseIndex), node.caseValue);
  });
  const auto passing = static_cast<std::size_t>(middle - set.rows.begin());
  pass = RowSet{&table, set.rows.first(passing)};
  fail = RowSet{&table, set.rows.subspan(passing)};
}

std::uint64_t examplesIn(const RowSet& set) {
  std::uint64_t examples = 0;
  for (const std::uint32_t row : set.rows) examples += set.table->counts[row];
  return examples;
}

}  // namespace

void growTree(const RowTable& rows, std::unique_ptr<TreeNode>& root, const GrowthObserver* observer) {
  const std::vector<bool> classValues{false, true};
  TreeBuilder builder(classValues);
  builder.observer = observer;
  builder.run(rows, root);
}

void TreeBuilder::run(const RowTable& rows, std::unique_ptr<TreeNode>& root) {
  if (rows.rows() == 0) return;
  // Freed first, so that the old tree and the new are never both in memory.
  root.reset();
  root = std::make_unique<TreeNode>();
  grow(rows, *root);
}

bool TreeBuilder::growStep(RowSet& set, TreeNode& node, NodePlace place, RowSet& pass, RowSet& fail) {
  const std::uint32_t majority = majorityClass(set);
  pred = choosePredicate(set);
  node.pred = pred;
  if (observer != nullptr) observer->tell(NodeBegun{&node, place, classTallies, setSize, pred});

  // The stop tests, in order: a pure set, a set without attributes, a set
  // that no attribute can split.
  const bool pure = classTallies[majority] >= setSize;
  if (pure || set.table->width == 0) {
    makeLeaf(node, majority);
    if (observer != nullptr)
      observer->tell(LeafMade{&node, pure ? LeafReason::oneClass : LeafReason::noValues});
    return false;
  }
  findThresholds(majority, set);
  const std::uint32_t attribute = chooseAttribute(majority);
  if (observer != nullptr) observer->tell(AttributeChosen{gains, attribute});
  if (attribute == noIndex) {
    makeLeaf(node, majority);
    if (observer != nullptr) observer->tell(LeafMade{&node, LeafReason::noSplit});
    return false;
  }

  node.caseIndex = attribute;
  node.caseValue = thresholds[attribute];
  partition(set, node, pass, fail);
  // Both children exist before the check, so a failed split leaves a node
  // with two empty children rather than a node with one.
  node.left = std::make_unique<TreeNode>();
  node.right = std::make_unique<TreeNode>();
  // Counted only for an observer: the rows alone decide the growth.
  if (observer != nullptr) observer->tell(NodeSplit{&node, examplesIn(pass), examplesIn(fail)});
  return true;
}

void TreeBuilder::grow(const RowTable& table, TreeNode& root) {
  std::vector<std::uint32_t> order(table.rows());
  std::iota(order.begin(), order.end(), 0U);
  struct Pending {
    RowSet set;
    TreeNode* node;
    NodePlace place;
  };
  std::vector<Pending> stack{{RowSet{&table, order}, &root, {0, Branch::root}}};
  while (!stack.empty()) {
    Pending next = stack.back();
    stack.pop_back();
    RowSet pass;
    RowSet fail;
    if (!growStep(next.set, *next.node, next.place, pass, fail)) continue;
    // Left (pass) is grown whole before right (fail) is begun.
    const std::size_t below = next.place.depth + 1;
    stack.push_back({fail, next.node->right.get(), {below, Branch::no}});
    stack.push_back({pass, next.node->left.get(), {below, Branch::yes}});
    if (!pass.rows.empty() && !fail.rows.empty()) continue;
    if (observer != nullptr) {
      // The stack's top grows first.
      std::vector<NodePlace> notGrown;
      notGrown.reserve(stack.size());
      for (auto waiting = stack.rbegin(); waiting != stack.rend(); ++waiting) notGrown.push_back(waiting->place);
      observer->tell(GrowthStopped{next.node, growthFailure, notGrown});
    }
    throw growthFailure;
  }
}

std::uint32_t TreeBuilder::majorityClass(const RowSet& set) {
  classTallies = {};
  setSize = 0;
  for (const std::uint32_t row : set.rows) {
    const std::uint64_t count = set.table->counts[row];
    setSize += count;
    // A class byte that matches no class value is counted nowhere.
    for (std::size_t j = 0; j < classTallies.size(); ++j) {
      if (set.table->classes[row] == static_cast<std::uint8_t>(classes[j])) {
        classTallies[j] += count;
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
