#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "learner/example.h"
#include "tree/tree_node.h"

// Owns the training set and the current tree. The one top-level object of
// the workbench; never copied.
//
// Its operations live with what they use: addExample, clearExamples and
// classify in learner/learner.cpp, learn in induction/learn.cpp, save and
// load in tree/learner_files.cpp.
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
  void learn();

  // Both answer false on any failure and then leave the tree as it was.
  bool save(const char* fileName) const;
  bool load(const char* fileName);
};
