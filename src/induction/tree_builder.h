#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "induction/row_table.h"

struct GrowthObserver;
struct Learner;
struct TreeNode;

// The answer of an index search that found nothing.
inline constexpr std::uint32_t noIndex = 0xFFFFFFFFU;

// The score of an attribute that cannot split the current set.
inline constexpr float unusableGain = -10000.0F;

// The message of the one induction failure: a split that sends every example
// the same way.
inline constexpr const char* growthFailure = "Illegal C4.5 Tree structure.";

// Examples per class index, counted in integers so that they stay exact at
// any size. The class-value list always has two entries.
using ClassTally = std::array<std::uint64_t, 2>;

// A node's example set: the rows of the folded training set that reach it.
struct RowSet {
  const RowTable* table = nullptr;
  std::span<std::uint32_t> rows;
};

// One row's value of the attribute being sorted, with its class and count.
struct ColumnEntry {
  float value;
  std::uint8_t classValue;
  std::uint64_t count;
};

// The order of the threshold search: ascending by value, NaN after every
// number; equal values by class, so that class 0 stands before class 1;
// then by the values' bits. Values equal under `<` may differ in their bits
// (0.0 and -0.0, NaNs of other signs or payloads), and the threshold is the
// value of the example just above a cut, so the bits decide which of them
// it takes: the one whose bits, read as an unsigned number, are smallest
// (0.0 rather than -0.0). Entries tied under this order are the same value
// and class, so any correct sort gives the same sequence.
struct AttributeOrder {
  bool operator()(const ColumnEntry& a, const ColumnEntry& b) const;
};

// One attribute's values over a node's rows, in `AttributeOrder`, with the
// examples of each class at and after each entry, so that the examples a
// threshold passes are counted without walking the set.
struct SortedColumn {
  std::vector<float> values;
  std::vector<std::uint8_t> classes;
  std::vector<ClassTally> from;  // one more entry than values: zeros
  std::size_t numbers = 0;       // entries before the first NaN
};

// The induction context of one learn command. Its tables describe the node
// whose growth step is running, and every child's growth rewrites them.
struct TreeBuilder {
  Learner& learner;
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

  TreeBuilder(Learner& owner, const std::vector<bool>& classValues);
  TreeBuilder(const TreeBuilder&) = delete;
  TreeBuilder& operator=(const TreeBuilder&) = delete;

  // Replaces the learner's tree with one grown from its training set, which
  // it reads but does not reorder.
  void run();

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
  // split; `pass` and `fail` then hold its children's sets.
  bool growStep(RowSet& set, TreeNode& node, RowSet& pass, RowSet& fail);
};

// '=' when every value of the set is exactly 0.0 or 1.0, else '<'.
char predicateFor(const RowSet& set);

// One attribute of a node's rows sorted under `AttributeOrder`.
void sortColumn(const RowSet& set, std::uint32_t attribute, SortedColumn& column);

// The cuts of a sorted column: the midpoints of adjacent entries whose
// classes differ, and the lower entry's position.
void findCandidates(const SortedColumn& column, std::vector<float>& candidates,
                    std::vector<std::uint32_t>& positions);

// The halfway point of two floats, the sum rounded to float before halving.
float midpoint(float lower, float upper);

// Ascending with NaN after every number: a strict weak order on all floats.
bool valueBefore(float a, float b);
