#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "induction/row_table.h"
#include "learner/example.h"

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
