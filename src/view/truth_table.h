#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <vector>

#include "examples/example_generator.h"
#include "tree/tree_node.h"

constexpr unsigned minTableWidth = 1;
constexpr unsigned maxTableWidth = 16;

// How many inputs of a truth table the tree answers as a concept does.
struct ConceptAgreement {
  FitnessFunction code;
  const char* name;  // as the fitness menu names it: "or", "triple xor", ...
  std::size_t rows;  // rows that agree, of 2^width
};

// The inputs of `width` values, each 0.0 or 1.0, for `row` counted from 0 in
// binary: x1 is the most significant digit, so row 1 is 0 ... 0 1.
std::vector<float> tableInput(unsigned width, std::size_t row);

// For each concept that takes `width` values, in the fitness menu's order.
std::vector<ConceptAgreement> agreements(const TreeNode& root, unsigned width);

// The concept that agrees on every row, if one does.
std::optional<ConceptAgreement> computedConcept(const std::vector<ConceptAgreement>& all, unsigned width);

// The table's rows, the agreement of every concept of this width, and the
// concept the tree computes, if any.
void writeTruthTable(const TreeNode& root, unsigned width, std::ostream& out);
