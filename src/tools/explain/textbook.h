#pragma once

// Textbook C4.5's figures, set beside the method's own for comparison only:
// the induction never reads them, and nothing it decides depends on them.
// They are worked out from what the induction tells its observer, in bits,
// in double precision with std::log2, from exact integer counts.

#include <cstdint>
#include <optional>
#include <span>

#include "induction/row_table.h"
#include "induction/sorted_column.h"

// A binary split's figures.
struct TextbookFigures {
  double gain = 0.0;              // the set's class entropy less the sides', weighted by size
  double splitInformation = 0.0;  // the entropy of the sides' sizes
  double gainRatio = 0.0;         // gain over split information, 0 when that is 0
};

// Textbook C4.5's cut of one attribute: the examples whose value is at most
// `threshold` go one way, the others the other.
struct TextbookCut {
  float threshold = 0.0F;
  ClassTally below{};
  ClassTally above{};
  TextbookFigures figures;
};

// The cut of highest information gain (the first of equal gains) among those
// that the method's candidate cuts, at `positions` in the sorted column,
// stand for; none when there are no candidates.
std::optional<TextbookCut> bestTextbookCut(const SortedColumn& column, std::span<const std::uint32_t> positions);

// Quinlan's rule over the attributes that have a cut (`cuts` by attribute,
// none for the others): the highest gain ratio among those whose gain is at
// least the average gain, the first of equal ratios.
struct QuinlanChoice {
  std::uint32_t attribute;  // `noIndex` when no attribute has a cut
  double averageGain;
};

QuinlanChoice quinlanChoice(std::span<const std::optional<TextbookCut>> cuts);
