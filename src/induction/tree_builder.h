#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "induction/row_table.h"
#include "learner/example.h"

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

// A node's share of a folded training set: the rows it holds.
struct RowSet {
  const RowTable* table = nullptr;
  std::span<std::uint32_t> rows;
};

// The number of examples the rows stand for.
std::uint64_t exampleCount(const RowSet& set);

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

  // The integer counts behind `classCounts`, and the examples of each class
  // that pass each attribute's threshold, so that a score needs no second
  // walk over the set.
  ClassTally classTallies{};
  std::vector<ClassTally> thresholdPasses;

  TreeBuilder(Learner& owner, const std::vector<bool>& classValues);
  TreeBuilder(const TreeBuilder&) = delete;
  TreeBuilder& operator=(const TreeBuilder&) = delete;

  // Replaces the learner's tree with one grown from its training set.
  void run();

  // Tree growth. `grow` throws `growthFailure` as a plain string. It grows
  // depth first, left before right, with a stack of its own rather than the
  // call stack, so that no depth of tree can exhaust it.
  void grow(ExampleSet& examples, TreeNode& node);
  // Growth from a set already folded.
  void grow(const RowTable& table, TreeNode& node);
  std::uint32_t majorityClass(const ExampleSet& examples);
  std::uint32_t majorityClass(const RowSet& rows);
  void makeLeaf(TreeNode& node, std::uint32_t classIndex) const;

  // One growth step: the stop tests, then the split. Answers true when the
  // node was split; `pass` and `fail` then hold its children's sets.
  template <typename Set>
  bool growStep(Set& set, TreeNode& node, Set& pass, Set& fail);

  // Split search.
  char choosePredicate(const ExampleSet& examples);
  void findThresholds(std::uint32_t majority, ExampleSet& examples);
  std::uint32_t bestCandidate(std::uint32_t majority, std::uint32_t attribute,
                              const std::vector<float>& candidates, const ExampleSet& examples) const;
  float splitScore(std::uint32_t majority, std::uint32_t attribute, float threshold,
                   const ExampleSet& examples) const;
  std::uint32_t chooseAttribute(std::uint32_t majority, const ExampleSet& examples);
  std::uint32_t bestGainIndex() const;

  // The same search on a folded set. It reads only what the steps above
  // read of the examples (values, classes, their counts), so it gives the
  // same bits.
  char choosePredicate(const RowSet& rows);
  void findThresholds(std::uint32_t majority, const RowSet& rows);
  std::uint32_t bestCandidate(std::uint32_t majority, std::uint32_t attribute,
                              const std::vector<float>& candidates, const SortedColumn& column) const;
  std::uint32_t chooseAttribute(std::uint32_t majority, const RowSet& rows);

  // The score of a split from the examples of each class that pass it.
  float splitScore(std::uint32_t majority, std::uint64_t total, const ClassTally& passes) const;
  // The examples of each class in `column` that pass `threshold` under `pred`.
  ClassTally countPasses(const SortedColumn& column, float threshold) const;

 private:
  void growExamples(ExampleSet& examples, TreeNode& root);
};

// '=' when every value of every example is exactly 0.0 or 1.0, else '<'.
char predicateFor(const ExampleSet& examples);

// The cuts of a set sorted on `attribute`: for each adjacent pair whose
// classes differ, the midpoint of their values and the lower one's position.
void findCandidates(const ExampleSet& sorted, std::uint32_t attribute, std::vector<float>& candidates,
                    std::vector<std::uint32_t>& positions);

// The halfway point of two floats, the sum rounded to float before halving.
float midpoint(float lower, float upper);

// predicateFor on a folded set.
char predicateFor(const RowSet& rows);

// One attribute of a node's rows sorted under `AttributeOrder`.
void sortColumn(const RowSet& rows, std::uint32_t attribute, SortedColumn& column);

// The cuts of a sorted column: the midpoints of adjacent entries whose
// classes differ, and the lower entry's position.
void findCandidates(const SortedColumn& column, std::vector<float>& candidates,
                    std::vector<std::uint32_t>& positions);

// Ascending with NaN after every number: a strict weak order on all floats.
bool valueBefore(float a, float b);

// The attribute that `AttributeOrder` sorts by; set before each sort.
extern std::uint32_t sortAttribute;

// Ascending by the value of `sortAttribute`, then by class. NaN sorts after
// every number, so that the order stays strict and weak whatever the values.
struct AttributeOrder {
  bool operator()(const Example& a, const Example& b) const;
};
