#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "learner/example.h"
#include "tree/tree_node.h"

struct GrowthObserver;

// Owns the training set and the current tree. The one top-level object of
// the workbench; never copied. Its save and load are in learner_files.cpp.
struct Learner {
  // Members are destroyed in reverse order: the tree first, then the
  // examples.
  ExampleSet examples;
  std::unique_ptr<TreeNode> root;

  Learner() = default;
  Learner(const Learner&) = delete;
  Learner& operator=(const Learner&) = delete;

  void addExample(std::vector<float> values, std::uint8_t classValue);
  void clearExamples();

  // Answers 1 while there is no tree.
  std::uint8_t classify(std::span<const float> values) const;

  // Replaces the tree by one grown from the training set, then empties it.
  // A growth that stops keeps the tree as far as it grew, and the examples,
  // and answers its message for the command loop to print; where memory
  // runs out, there is no tree and the examples stay. Answers null but for
  // a growth that stopped.
  const char* learn();

  // Both answer false on any failure and then leave the tree as it was.
  bool save(const char* fileName) const;
  bool load(const char* fileName);
};

// What a learn did, as a value: the tree it grew; or, where the growth
// stopped with `failure` ("Illegal C4.5 Tree structure."), the tree as far
// as it grew; or no tree at all where memory ran out, or there was nothing
// to learn from.
struct Growth {
  std::unique_ptr<TreeNode> tree;
  const char* failure = nullptr;
};

// Grows a tree from `examples` as a learn does, telling `observer`, when
// given, of every step, and answers what happened; prints nothing.
Growth learnFrom(std::span<const Example> examples, const GrowthObserver* observer = nullptr);
