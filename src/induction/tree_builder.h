#pragma once

#include <cstdint>
#include <vector>

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

// The induction context of one learn command. Its tables describe the node
// whose growth step is running, and every child's growth rewrites them.
struct TreeBuilder {
  Learner& learner;
  std::vector<bool> classes;       // class value by class index
  std::vector<float> thresholds;   // per attribute
  std::vector<float> gains;        // per attribute
  char pred = '<';                 // predicate of the node being grown
  std::vector<float> classCounts;  // per class index, in steps of 1.0

  TreeBuilder(Learner& owner, const std::vector<bool>& classValues);
  TreeBuilder(const TreeBuilder&) = delete;
  TreeBuilder& operator=(const TreeBuilder&) = delete;

  // Replaces the learner's tree with one grown from its training set.
  void run();

  // Tree growth. `grow` throws `growthFailure` as a plain string.
  void grow(ExampleSet& examples, TreeNode& node);
  std::uint32_t majorityClass(const ExampleSet& examples);
  void makeLeaf(TreeNode& node, std::uint32_t classIndex) const;

  // Split search.
  char choosePredicate(const ExampleSet& examples);
  void findThresholds(std::uint32_t majority, ExampleSet& examples);
  std::uint32_t bestCandidate(std::uint32_t majority, std::uint32_t attribute,
                              const std::vector<float>& candidates, const ExampleSet& examples) const;
  float splitScore(std::uint32_t majority, std::uint32_t attribute, float threshold,
                   const ExampleSet& examples) const;
  std::uint32_t chooseAttribute(std::uint32_t majority, const ExampleSet& examples);
  std::uint32_t bestGainIndex() const;
};

// '=' when every value of every example is exactly 0.0 or 1.0, else '<'.
char predicateFor(const ExampleSet& examples);

// The cuts of a set sorted on `attribute`: for each adjacent pair whose
// classes differ, the midpoint of their values and the lower one's position.
void findCandidates(const ExampleSet& sorted, std::uint32_t attribute, std::vector<float>& candidates,
                    std::vector<std::uint32_t>& positions);

// The halfway point of two floats, the sum rounded to float before halving.
float midpoint(float lower, float upper);

// The attribute that `AttributeOrder` sorts by; set before each sort.
extern std::uint32_t sortAttribute;

// Ascending by the value of `sortAttribute`, then by class. NaN sorts after
// every number, so that the order stays strict and weak whatever the values.
struct AttributeOrder {
  bool operator()(const Example& a, const Example& b) const;
};
