#pragma once

#include <cstdint>
#include <array>
#include <span>
#include <vector>


// Examples per class index, counted in integers so that they stay exact at
// any size. The class-value list always has two entries.
using ClassTally = std::array<std::uint64_t, 2>;

// A training set folded into its distinct examples: examples of the same
// class whose values have the same bits are one row with a count. Every step
// of the induction reads of a set only which (value, class) pairs it holds
// and how many examples have each, so a row stands for its examples
// exactly. Sets of 0/1 values have at most 2^(K+1) rows however many
// examples they hold, so the induction's work on them does not grow with
// the set.
//
// The table's width is that of the first example, and it is the attribute
// count of every node: a wider example's further values are not read, and a
// value missing from a shorter one reads as NaN.
struct RowTable {
  std::uint32_t width = 0;
  std::vector<float> values;          // row r's attribute i at r * width + i
  std::vector<std::uint8_t> classes;  // any byte; only 0 and 1 are counted
  std::vector<std::uint64_t> counts;  // examples per row, at least 1

  std::size_t rows() const { return classes.size(); }
  float value(std::uint32_t row, std::uint32_t attribute) const {
    return values[std::size_t{row} * width + attribute];
  }
};

// A node's example set: the rows of the folded training set that reach it.
struct RowSet {
  const RowTable* table = nullptr;
  std::span<std::uint32_t> rows;
};
