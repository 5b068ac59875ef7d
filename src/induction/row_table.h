#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "learner/example.h"

// A training set folded into its distinct examples: examples of the same
// class whose values have the same bits are one row with a count. Sets of 0/1
// values have at most 2^(K+1) rows however many examples they hold, so the
// induction's work on them does not grow with the set.
struct RowTable {
  std::uint32_t width = 0;
  std::vector<float> values;          // row r's attribute i at r * width + i
  std::vector<std::uint8_t> classes;  // 0 or 1
  std::vector<std::uint64_t> counts;  // examples per row, at least 1

  std::size_t rows() const { return classes.size(); }
  float value(std::uint32_t row, std::uint32_t attribute) const {
    return values[std::size_t{row} * width + attribute];
  }
};

// Folds examples into a RowTable, counting in integers so that counts stay
// exact beyond the 2^24 at which a float stops growing in steps of 1.
//
// Some sets cannot be folded without changing a result: examples of
// differing widths or a class other than 0 or 1 (the induction then depends
// on which example a sort puts first), and an attribute that holds both 0.0
// and -0.0, or NaNs of differing bits (its threshold's sign or payload then
// depends on where the sort puts equal values). `add` answers false for
// those, and the caller learns from the examples themselves.
class RowFolder {
 public:
  bool add(std::span<const Example> examples);
  // Answers false when the set cannot be folded; `table` is then unusable.
  bool finish(RowTable& table);

 private:
  void switchToHashing();
  void growSlots();
  std::uint32_t insertRow(const float* values, std::uint8_t classValue, std::uint64_t count);

  bool started_ = false;
  bool unfoldable_ = false;
  std::uint32_t width_ = 0;
  // While every value is exactly 0.0f or 1.0f (by bits), an example's row is
  // the number made of its class and value bits, counted in `tallies`.
  bool direct_ = true;
  std::vector<std::uint64_t> tallies_;
  // Otherwise rows are kept in `table_` and found by open addressing.
  RowTable table_;
  std::vector<std::uint32_t> slots_;
};
