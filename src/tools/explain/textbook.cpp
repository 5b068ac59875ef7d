#include "tools/explain/textbook.h"

#include <cmath>

#include "induction/tree_builder.h"

namespace {

// Figures that are equal by the sums they come from may differ in their last
// bits by the order of the terms: mirrored cuts subtract the same entropies
// in opposite order, and an average is rounded. Figures closer than this,
// far below the nine digits shown, are taken as equal, so that the first of
// equal figures wins as the rule says.
constexpr double margin = 1e-12;

bool exceeds(double figure, double than) { return figure > than + margin; }

double total(const ClassTally& tally) { return static_cast<double>(tally[0]) + static_cast<double>(tally[1]); }

// -Σ p log₂ p over the shares of the two counts in their sum; an empty share
// adds nothing, and an empty set has none.
double entropy(double first, double second) {
  const double sum = first + second;
  double bits = 0.0;
  for (const double count : {first, second}) {
    if (count > 0.0) bits -= count / sum * std::log2(count / sum);
  }
  return bits;
}

double entropy(const ClassTally& tally) {
  return entropy(static_cast<double>(tally[0]), static_cast<double>(tally[1]));
}

bool sameValue(float a, float b) { return !valueBefore(a, b) && !valueBefore(b, a); }

// From the examples of each class on each side.
TextbookFigures textbookFigures(const ClassTally& below, const ClassTally& above) {
  const ClassTally all{below[0] + above[0], below[1] + above[1]};
  const double size = total(all);
  TextbookFigures figures;
  if (size == 0.0) return figures;
  figures.gain = entropy(all) - total(below) / size * entropy(below) - total(above) / size * entropy(above);
  figures.splitInformation = entropy(total(below), total(above));
  // With every example on one side the split tells nothing: its gain is 0
  // as well, and 0 stands for the ratio that 0 / 0 leaves undefined.
  if (figures.splitInformation > 0.0) figures.gainRatio = figures.gain / figures.splitInformation;
  return figures;
}

}  // namespace

std::optional<TextbookCut> bestTextbookCut(const SortedColumn& column, std::span<const std::uint32_t> positions) {
  std::optional<TextbookCut> best;
  const std::size_t size = column.values.size();
  const auto weigh = [&](std::size_t at) {
    if (at == 0 || at >= size) return;
    const ClassTally& all = column.from[0];
    const ClassTally& above = column.from[at];
    TextbookCut cut{column.values[at - 1], {all[0] - above[0], all[1] - above[1]}, above, {}};
    cut.figures = textbookFigures(cut.below, cut.above);
    if (!best || exceeds(cut.figures.gain, best->figures.gain)) best = cut;
  };
  for (const std::uint32_t lower : positions) {
    const std::size_t upper = std::size_t{lower} + 1;
    if (!sameValue(column.values[lower], column.values[upper])) {
      weigh(upper);
      continue;
    }
    // No test on the value parts equal values, and textbook C4.5 cuts only
    // between distinct ones: a cut inside a run of equal values stands for
    // the cuts at the two ends of the run. These are exactly the boundary
    // points of the column, where the highest gain always lies. A run holds
    // one cut per change of class byte, so the runs are walked a bounded
    // number of times.
    std::size_t first = lower;
    while (first > 0 && sameValue(column.values[first - 1], column.values[lower])) --first;
    std::size_t end = upper + 1;
    while (end < size && sameValue(column.values[end], column.values[lower])) ++end;
    weigh(first);
    weigh(end);
  }
  return best;
}

QuinlanChoice quinlanChoice(std::span<const std::optional<TextbookCut>> cuts) {
  QuinlanChoice choice{noIndex, 0.0};
  double sum = 0.0;
  std::size_t counted = 0;
  for (const auto& cut : cuts) {
    if (!cut) continue;
    sum += cut->figures.gain;
    ++counted;
  }
  if (counted == 0) return choice;
  choice.averageGain = sum / static_cast<double>(counted);
  // Three gains of 0.1 average 0.10000000000000002: the margin keeps them in.
  for (std::uint32_t a = 0; a < cuts.size(); ++a) {
    const auto& cut = cuts[a];
    if (!cut || exceeds(choice.averageGain, cut->figures.gain)) continue;
    if (choice.attribute == noIndex ||
        exceeds(cut->figures.gainRatio, cuts[choice.attribute]->figures.gainRatio))
      choice.attribute = a;
  }
  return choice;
}
