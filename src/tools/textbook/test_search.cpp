#include "tools/textbook/test_search.h"

#include <type_traits>

#include "tools/textbook/decimal_value.h"
#include "tools/textbook/information.h"

namespace {

// Weights of cases that all weigh 1 are counted in whole numbers, whose
// n log2 n the context holds ready; fractional ones are summed as doubles.
template <bool weighted>
struct Weights {
  using Count = std::conditional_t<weighted, double, std::uint32_t>;
  const SearchContext& context;

  Count of(std::uint32_t row) const {
    if constexpr (weighted) {
      return context.weights[row];
    } else {
      return 1;
    }
  }
  static double real(Count count) { return count; }
  double log(Count count) const {
    if constexpr (weighted) {
      return weightedLog(count);
    } else {
      return context.weightedLogs[count];
    }
  }
};

// C4.5's least weight on either side of a numeric cut: a tenth of the
// known weight per class, but at least M and at most 25.
double cutMinimum(double known, std::size_t classCount, double minLeaf) {
  const double share = 0.1 * known / static_cast<double>(classCount);
  if (share <= minLeaf + sameFigure) return minLeaf;
  return share > 25.0 + sameFigure ? 25.0 : share;
}

template <bool weighted>
AttributeTest numeric(const SearchContext& context, std::span<const CaseEntry> column, std::size_t known,
                      double weight, std::vector<TextbookCandidate>* candidates) {
  using Count = typename Weights<weighted>::Count;
  const Weights<weighted> weights{context};
  const std::size_t classCount = context.classCount;
  AttributeTest test;
  std::vector<Count> totals(classCount, 0);
  Count knownWeight = 0;
  double missing = 0.0;
  if constexpr (weighted) {
    for (std::size_t at = 0; at < known; ++at) {
      const Count w = weights.of(column[at].row);
      totals[context.classes[column[at].row]] += w;
      knownWeight += w;
    }
    for (std::size_t at = known; at < column.size(); ++at) missing += weights.of(column[at].row);
  } else {
    // Every case weighs 1 and has every value: the node's counts are the
    // column's.
    for (std::size_t c = 0; c < classCount; ++c) totals[c] = static_cast<Count>(context.nodeClasses[c]);
    knownWeight = static_cast<Count>(known);
  }
  test.known = weights.real(knownWeight);
  test.missing = missing;
  test.minimum = cutMinimum(test.known, classCount, context.minLeaf);
  // Counted in cases, not weight, as release 8 counts them.
  if (static_cast<double>(known) < 2.0 * test.minimum - sameFigure) {
    test.verdict = TextbookVerdict::tooFewKnown;
    return test;
  }
  // Each side's Σ w log2 w over its classes, kept up to date as the cases
  // cross from above the cut to below it one at a time.
  double totalLogs = 0.0;
  for (const Count w : totals) totalLogs += weights.log(w);
  const double before = weights.log(knownWeight) - totalLogs;
  std::vector<Count> below(classCount, 0);
  std::vector<Count> above = totals;
  double belowLogs = 0.0;
  double aboveLogs = totalLogs;
  Count belowWeight = 0;
  double bestGain = 0.0;
  bool found = false;
  const double least = test.minimum - sameFigure;
  const double perCase = 1.0 / weight;
  for (std::size_t at = 0; at + 1 < known; ++at) {
    const CaseEntry entry = column[at];
    const Count w = weights.of(entry.row);
    const std::uint8_t c = context.classes[entry.row];
    belowLogs += weights.log(below[c] + w) - weights.log(below[c]);
    aboveLogs += weights.log(above[c] - w) - weights.log(above[c]);
    below[c] += w;
    above[c] -= w;
    belowWeight += w;
    const Count aboveWeight = knownWeight - belowWeight;
    const bool refused = weights.real(belowWeight) < least || weights.real(aboveWeight) < least;
    if (refused && !candidates) {
      if (weights.real(aboveWeight) < least) break;
      continue;
    }
    if (!distinctValues(entry.value, column[at + 1].value)) continue;
    const double gained = roundedGain(
        (before - (weights.log(belowWeight) - belowLogs) - (weights.log(aboveWeight) - aboveLogs)) * perCase);
    if (!refused) {
      ++test.cuts;
      if (gained > bestGain + sameFigure) {
        bestGain = gained;
        found = true;
        test.last = at;
        test.yes = weights.real(belowWeight);
        test.best = candidates ? static_cast<std::uint32_t>(candidates->size()) : noNode;
      }
    }
    if (candidates) {
      candidates->push_back({entry.value, column[at + 1].value, 0, weights.real(belowWeight),
                             weights.real(aboveWeight), refused, gained, 0.0, 0.0});
    }
  }
  test.cost = cutCost(test.cuts, weight);
  if (candidates) {
    for (TextbookCandidate& candidate : *candidates) {
      const double sides[] = {candidate.yes, candidate.no};
      candidate.splitInformation = splitInformation(sides, missing);
      candidate.gainRatio = gainRatio(candidate.gain - test.cost, candidate.splitInformation);
    }
  }
  if (test.cuts == 0) {
    test.verdict = TextbookVerdict::noCut;
    return test;
  }
  test.gain = bestGain - test.cost;
  if (!found || test.gain < sameFigure) {
    test.verdict = TextbookVerdict::noGain;
    test.best = noNode;
    return test;
  }
  test.verdict = TextbookVerdict::usable;
  test.no = test.known - test.yes;
  test.lower = column[test.last].value;
  test.upper = column[test.last + 1].value;
  const double sides[] = {test.yes, test.no};
  test.gainRatio = gainRatio(test.gain, splitInformation(sides, missing));
  return test;
}

}  // namespace

AttributeTest searchNumeric(const SearchContext& context, std::span<const CaseEntry> column,
                            std::size_t known, double weight, std::vector<TextbookCandidate>* candidates) {
  return context.weights.empty() ? numeric<false>(context, column, known, weight, candidates)
                                 : numeric<true>(context, column, known, weight, candidates);
}

AttributeTest searchNominal(const SearchContext& context, std::span<const CaseEntry> column,
                            std::size_t known, std::size_t labels,
                            std::vector<TextbookCandidate>* candidates) {
  const std::size_t classCount = context.classCount;
  const auto weightOf = [&](std::uint32_t row) {
    return context.weights.empty() ? 1.0 : context.weights[row];
  };
  std::vector<double> counts(labels * classCount, 0.0);
  std::vector<double> labelWeights(labels, 0.0);
  std::vector<double> totals(classCount, 0.0);
  AttributeTest test;
  for (std::size_t at = 0; at < known; ++at) {
    const double w = weightOf(column[at].row);
    const auto label = static_cast<std::size_t>(column[at].value);
    const std::uint8_t c = context.classes[column[at].row];
    counts[label * classCount + c] += w;
    labelWeights[label] += w;
    totals[c] += w;
    test.known += w;
  }
  for (std::size_t at = known; at < column.size(); ++at) test.missing += weightOf(column[at].row);
  test.minimum = context.minLeaf;
  const double least = test.minimum - sameFigure;
  std::vector<double> sides(2 * classCount);
  bool found = false;
  for (std::size_t label = 0; label < labels; ++label) {
    const double yes = labelWeights[label];
    if (yes <= 0.0) continue;  // not at this node
    const double no = test.known - yes;
    const bool refused = yes < least || no < least;
    if (refused && !candidates) continue;
    for (std::size_t c = 0; c < classCount; ++c) {
      sides[c] = counts[label * classCount + c];
      sides[classCount + c] = totals[c] - sides[c];
    }
    const double gained = gain(sides, classCount, test.missing);
    const double branches[] = {yes, no};
    const double information = splitInformation(branches, test.missing);
    const double ratio = gainRatio(gained, information);
    if (!refused) {
      ++test.cuts;
      // The first label that will do, then only a clearly higher ratio.
      if (!found || ratio > test.gainRatio + sameFigure) {
        found = true;
        test.gain = gained;
        test.gainRatio = ratio;
        test.label = static_cast<std::uint32_t>(label);
        test.yes = yes;
        test.no = no;
        test.best = candidates ? static_cast<std::uint32_t>(candidates->size()) : noNode;
      }
    }
    if (candidates) {
      candidates->push_back(
          {0.0F, 0.0F, static_cast<std::uint32_t>(label), yes, no, refused, gained, information, ratio});
    }
  }
  test.verdict = found ? TextbookVerdict::usable : TextbookVerdict::noCut;
  return test;
}
