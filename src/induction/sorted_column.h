#pragma once

#include <cstdint>
#include <vector>

#include "induction/row_table.h"

// One row's value of the attribute being sorted, with its class and count.
struct ColumnEntry {
  float value;
  std::uint8_t classValue;
  std::uint64_t count;
};

// The order of the threshold search: ascending by value, NaN after every
// number; equal values by class, so that class 0 stands before class 1;
// then by the values' bits. Values equal under `<` may differ in their bits
// (0.0 and -0.0, NaNs of other signs or payloads), and the threshold is the
// value of the example just above a cut, so the bits decide which of them
// it takes: the one whose bits, read as an unsigned number, are smallest
// (0.0 rather than -0.0). Entries tied under this order are the same value
// and class, so any correct sort gives the same sequence.
struct AttributeOrder {
  bool operator()(const ColumnEntry& a, const ColumnEntry& b) const;
};

// One attribute's values over a node's rows, in `AttributeOrder`, with the
// examples of each class at and after each entry, so that the examples a
// threshold passes are counted without walking the set.
struct SortedColumn {
  std::vector<float> values;
  std::vector<std::uint8_t> classes;
  std::vector<ClassTally> from;  // one more entry than values: zeros
  std::size_t numbers = 0;       // entries before the first NaN
};

// One attribute of a node's rows sorted under `AttributeOrder`.
void sortColumn(const RowSet& set, std::uint32_t attribute, SortedColumn& column);

// The cuts of a sorted column: the midpoints of adjacent entries whose
// classes differ, and the lower entry's position.
void findCandidates(const SortedColumn& column, std::vector<float>& candidates,
                    std::vector<std::uint32_t>& positions);

// The halfway point of two floats, the sum rounded to float before halving.
float midpoint(float lower, float upper);

// Ascending with NaN after every number: a strict weak order on all floats.
bool valueBefore(float a, float b);
