#pragma once

#include <memory>
#include <cstdint>
#include <span>
#include <vector>

#include "induction/row_table.h"
#include "induction/sorted_column.h"
#include "tree/tree_node.h"

struct GrowthObserver;
struct NodePlace;

// The answer of an index search that found nothing.
inline constexpr std::uint32_t noIndex = 0xFFFFFFFFU;

// The score of an attribute that cannot split the current set.
inline constexpr float unusableGain = -10000.0F;

// The message of the one induction failure: a split that sends every example
// the same way.
inline constexpr const char* growthFailure = "Illegal C4.5 Tree structure.";

// The induction context of one learn command. Its tables describe the node
// whose growth step is running, and every child's growth rewrites them.
struct TreeBuilder {
  std::vector<bool> classes;       // class value by class index
  std::vector<float> thresholds;   // per attribute
  std::vector<float> gains;        // per attribute
  char pred = '<';                 // predicate of the node being grown
  std::vector<float> classCounts;  // per class index, the tallies as floats

  // The integer counts behind `classCounts`; the examples of the set, of
  // every class byte; and the examples of each class that pass each
  // attribute's threshold, so that a score needs no second walk.
  ClassTally classTallies{};
  std::uint64_t setSize = 0;
  std::vector<ClassTally> thresholdPasses;

  // Told of every step when set; not owned.
  const GrowthObserver* observer = nullptr;

  explicit TreeBuilder(const std::vector<bool>& classValues) : classes(classValues) {}
  TreeBuilder(const TreeBuilder&) = delete;
  TreeBuilder& operator=(const TreeBuilder&) = delete;

  // Replaces the tree in `root` with one grown from `rows`, as `growTree`
  // (growth.h) says.
  void run(const RowTable& rows, std::unique_ptr<TreeNode>& root);

  // Tree growth. `grow` throws `growthFailure` as a plain string. It grows
  // depth first, left before right, with a stack of its own rather than the
  // call stack, so that no depth of tree can exhaust it.
  void grow(const RowTable& table, TreeNode& root);
  std::uint32_t majorityClass(const RowSet& set);
  void makeLeaf(TreeNode& node, std::uint32_t classIndex) const;

  // Split search.
  char choosePredicate(const RowSet& set);
  void findThresholds(std::uint32_t majority, const RowSet& set);
  // Puts the score of every candidate it scores into `scores`, when given.
  std::uint32_t bestCandidate(std::uint32_t majority, const std::vector<float>& candidates,
                              const SortedColumn& column, std::vector<float>* scores = nullptr) const;
  // The score of a split from the examples of each class that pass it.
  float splitScore(std::uint32_t majority, const ClassTally& passes) const;
  std::uint32_t chooseAttribute(std::uint32_t majority);
  std::uint32_t bestGainIndex() const;

  // The examples of each class in `column` that pass `threshold` under `pred`.
  ClassTally countPasses(const SortedColumn& column, float threshold) const;

 private:
  // One node: the stop tests, then the split. Answers true when the node was
  // split; `pass` and `fail` then hold its children's sets, one of which
  // may be empty.
  bool growStep(RowSet& set, TreeNode& node, NodePlace place, RowSet& pass, RowSet& fail);
};

// '=' when every value of the set is exactly 0.0 or 1.0, else '<'.
char predicateFor(const RowSet& set);
