#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "induction/grow_tree.h"
#include "learner/example.h"
#include "tree/tree_node.h"

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
  // A growth that stops prints its message behind the "..." of the learn
  // command and keeps the tree as far as it grew, and the examples; where
  // memory runs out, there is no tree and the examples stay.
  void learn();

  // Both answer false on any failure and then leave the tree as it was.
  bool save(const char* fileName) const;
  bool load(const char* fileName);
};

// Grows a tree from `examples` as a learn does, telling `observer`, when
// given, of every step, and answers what happened; prints nothing.
Growth learnFrom(std::span<const Example> examples, const GrowthObserver* observer = nullptr);
