#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "learner/example.h"

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

// Folds examples into a RowTable, given in one span or in several, counting
// in integers so that counts stay exact beyond the 2^24 at which a float
// stops growing in steps of 1.
class RowFolder {
 public:
  void add(std::span<const Example> examples);
  RowTable finish();

 private:
  void switchToHashing();
  void growSlots();
  void insertRow(const float* values, std::uint8_t classValue, std::uint64_t count);

  bool started_ = false;
  std::uint32_t width_ = 0;
  // While every example has `width_` values of exactly 0.0f or 1.0f (by
  // bits) and a class of 0 or 1, its row is the number made of its class and
  // value bits, counted in `tallies_`.
  bool direct_ = true;
  std::vector<std::uint64_t> tallies_;
  // Otherwise rows are kept in `table_` and found by open addressing.
  RowTable table_;
  std::vector<std::uint32_t> slots_;
  std::vector<float> padded_;  // an example of another width, at `width_`
};

RowTable foldRows(std::span<const Example> examples);
