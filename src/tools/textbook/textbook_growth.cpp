#include "tools/textbook/textbook_growth.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "tools/common/dataset.h"
#include "tools/textbook/case_columns.h"
#include "tools/textbook/decimal_value.h"
#include "tools/textbook/information.h"
#include "tools/textbook/test_search.h"

namespace {

using Fractions = std::vector<std::pair<std::uint32_t, double>>;

// A node made and not grown yet.
struct Pending {
  std::uint32_t node;
  std::uint32_t parent;
  bool yes;
  CaseColumns columns;
  // The rows whose weight at this node is not 1: those that went down both
  // branches of some test above it. Every other row of the node weighs 1.
  Fractions fractions;
};

class Growth {
 public:
  Growth(const Dataset& data, const TextbookOptions& options, const TextbookObserver* observer);
  GrownTree grow();

 private:
  std::uint32_t makeNode();
  void growNode(Pending pending);
  // Sets the node's weight, class weights and majority from its cases.
  void weigh(std::uint32_t node, const CaseColumns& columns);
  bool nominal(std::size_t attribute) const {
    return !data_.attributes.empty() && data_.attributes[attribute].kind == AttributeKind::nominal;
  }
  void leaf(std::uint32_t node, TextbookLeafReason reason);
  void split(Pending& pending, std::uint32_t attribute, const AttributeTest& test);
  float threshold(std::uint32_t attribute, double midpoint) const;

  const Dataset& data_;
  const TextbookOptions& options_;
  const TextbookObserver* observer_;
  TextbookTree tree_;
  std::vector<double> weights_;  // by row, where there are missing values
  std::vector<double> logs_;     // n log2 n by n, where there are none
  std::vector<std::uint8_t> side_;
  std::vector<CaseEntry> scratch_;
  std::vector<std::vector<float>> distinct_;  // of each numeric attribute, sorted
  std::vector<bool> averaged_;
  std::vector<Pending> pending_;
  std::vector<AttributeTest> tests_;
  std::vector<std::vector<TextbookCandidate>> candidates_;
};

Growth::Growth(const Dataset& data, const TextbookOptions& options, const TextbookObserver* observer)
    : data_(data), options_(options), observer_(observer) {
  tree_.classCount = data.classCount();
  const std::size_t width = data.width;
  const std::size_t rows = data.size();
  const bool missing =
      std::any_of(data.values.begin(), data.values.end(), [](float v) { return std::isnan(v); });
  if (missing) {
    weights_.assign(rows, 1.0);
  } else {
    logs_.resize(rows + 1);
    for (std::size_t n = 0; n <= rows; ++n) logs_[n] = weightedLog(static_cast<double>(n));
  }
  side_.assign(rows, toYes);
  distinct_.resize(width);
  averaged_.assign(width, true);
  // A nominal attribute with labels for nearly every third case would win
  // the average on labels alone: C4.5 leaves it out, unless every
  // attribute is such.
  bool allMany = width > 0;
  const auto many = [&](std::size_t a) {
    return nominal(a) &&
           static_cast<double>(data.attributes[a].labels.size()) >= 0.3 * static_cast<double>(rows);
  };
  for (std::size_t a = 0; a < width; ++a) allMany = allMany && many(a);
  for (std::size_t a = 0; a < width; ++a) averaged_[a] = allMany || !many(a);
  tests_.resize(width);
  if (observer_) candidates_.resize(width);
}

std::uint32_t Growth::makeNode() {
  tree_.nodes.emplace_back();
  tree_.classWeights.resize(tree_.classWeights.size() + tree_.classCount, 0.0);
  return static_cast<std::uint32_t>(tree_.nodes.size() - 1);
}

float Growth::threshold(std::uint32_t attribute, double midpoint) const {
  // The largest value of the whole training set not beyond the midpoint,
  // within C4.5's margin, so that the test names a value the data holds.
  const std::vector<float>& values = distinct_[attribute];
  const auto after = std::upper_bound(values.begin(), values.end(), midpoint + sameFigure,
                                      [](double m, float v) { return m < decimalValue(v); });
  return *(after - 1);
}

void Growth::weigh(std::uint32_t node, const CaseColumns& columns) {
  const std::size_t classCount = tree_.classCount;
  double* weights = tree_.classWeights.data() + std::size_t{node} * classCount;
  if (data_.width == 0) {
    for (const std::uint8_t c : data_.classes) weights[c] += 1.0;
  } else {
    for (const CaseEntry& entry : columns.column(0))
      weights[data_.classes[entry.row]] += weights_.empty() ? 1.0 : weights_[entry.row];
  }
  TextbookNode& made = tree_.nodes[node];
  std::size_t majority = 0;
  for (std::size_t c = 0; c < classCount; ++c) {
    made.weight += weights[c];
    if (weights[c] > weights[majority]) majority = c;
  }
  made.majority = static_cast<std::uint8_t>(majority);
  made.errors = made.weight - weights[majority];
}

void Growth::leaf(std::uint32_t node, TextbookLeafReason reason) {
  if (observer_) observer_->tell(TextbookLeafMade{node, reason, tree_.nodes[node].majority});
}

GrownTree Growth::grow() {
  const std::uint32_t root = makeNode();
  CaseColumns columns = rootColumns(data_);
  // Without missing values every split partitions these columns in place,
  // so that each node's cases end up side by side in them.
  const std::shared_ptr<std::vector<CaseEntry>> whole = weights_.empty() ? columns.store : nullptr;
  for (std::size_t a = 0; a < data_.width; ++a) {
    if (nominal(a)) continue;
    // Kept apart: the column itself is partitioned as the tree grows.
    const std::span<const CaseEntry> sorted = columns.column(a).first(columns.known[a]);
    std::vector<float>& values = distinct_[a];
    for (const CaseEntry& entry : sorted) {
      if (values.empty() || values.back() != entry.value) values.push_back(entry.value);
    }
    values.shrink_to_fit();
  }
  pending_.push_back({root, noNode, false, std::move(columns), {}});
  // Depth first, the yes child before the no child; a stack, not
  // recursion, as a tree may be as deep as it has cases.
  while (!pending_.empty()) {
    Pending next = std::move(pending_.back());
    pending_.pop_back();
    growNode(std::move(next));
  }
  GrownTree grown{std::move(tree_), {}};
  if (whole && data_.width > 0) {
    grown.rows.resize(data_.size());
    for (std::size_t r = 0; r < grown.rows.size(); ++r) grown.rows[r] = (*whole)[r].row;
  } else if (data_.width == 0) {
    grown.rows.resize(data_.size());
    for (std::size_t r = 0; r < grown.rows.size(); ++r) grown.rows[r] = static_cast<std::uint32_t>(r);
  }
  return grown;
}

void Growth::growNode(Pending pending) {
  const std::uint32_t node = pending.node;
  for (const auto& [row, weight] : pending.fractions) weights_[row] = weight;
  weigh(node, pending.columns);
  const TextbookNode& made = tree_.nodes[node];
  const double weight = made.weight;
  if (observer_)
    observer_->tell(TextbookNodeBegun{node, pending.parent, pending.yes,
                                      std::span<const double>(tree_.classWeights)
                                          .subspan(std::size_t{node} * tree_.classCount, tree_.classCount),
                                      weight});
  const double minLeaf = options_.minLeaf;
  if (std::abs(made.errors) < sameFigure) return leaf(node, TextbookLeafReason::oneClass);
  if (weight < 2.0 * minLeaf - sameFigure || data_.width == 0)
    return leaf(node, TextbookLeafReason::tooFewCases);

  const SearchContext context{data_.classes, tree_.classCount,          minLeaf, weights_,
                              logs_,         tree_.classWeightsOf(node)};
  double gainSum = 0.0;
  std::size_t averaged = 0;
  for (std::uint32_t a = 0; a < data_.width; ++a) {
    std::vector<TextbookCandidate>* listed = observer_ ? &candidates_[a] : nullptr;
    if (listed) listed->clear();
    const std::span<const CaseEntry> column = pending.columns.column(a);
    const std::size_t known = pending.columns.known[a];
    AttributeTest& test = tests_[a];
    test = nominal(a) ? searchNominal(context, column, known, data_.attributes[a].labels.size(), listed)
                      : searchNumeric(context, column, known, weight, listed);
    if (test.verdict == TextbookVerdict::usable && averaged_[a]) {
      gainSum += test.gain;
      ++averaged;
    }
    if (observer_) {
      observer_->tell(TextbookAttributeSearched{node, a, nominal(a), test.known, test.missing, test.minimum,
                                                candidates_[a], test.cuts, test.cost, test.best, test.verdict,
                                                test.gain, test.gainRatio, averaged_[a]});
    }
  }
  // The highest gain ratio among the tests whose gain is at least the
  // average, within C4.5's margin of a thousandth of a bit.
  std::uint32_t chosen = noNode;
  const double average = averaged > 0 ? gainSum / static_cast<double>(averaged) : 0.0;
  if (averaged > 0) {
    double bestRatio = 0.0;
    for (std::uint32_t a = 0; a < data_.width; ++a) {
      const AttributeTest& test = tests_[a];
      if (test.verdict != TextbookVerdict::usable || test.gain < average - 1e-3) continue;
      if (test.gainRatio > bestRatio + sameFigure) {
        bestRatio = test.gainRatio;
        chosen = a;
      }
    }
  }
  if (observer_) observer_->tell(TextbookTestChosen{node, average, averaged, chosen});
  if (chosen == noNode) return leaf(node, TextbookLeafReason::noTest);
  split(pending, chosen, tests_[chosen]);
}

void Growth::split(Pending& pending, std::uint32_t attribute, const AttributeTest& test) {
  const std::uint32_t node = pending.node;
  const std::uint32_t yes = makeNode();
  const std::uint32_t no = makeNode();
  TextbookNode& made = tree_.nodes[node];
  made.attribute = attribute;
  made.yes = yes;
  made.no = no;
  made.yesShare = test.yes / (test.yes + test.no);
  double midpoint = 0.0;
  const std::span<const CaseEntry> column = pending.columns.column(attribute);
  const std::size_t known = pending.columns.known[attribute];
  std::size_t yesCount = 0;
  if (nominal(attribute)) {
    made.test = TextbookTest::equals;
    made.label = test.label;
    const auto label = static_cast<float>(test.label);
    for (std::size_t at = 0; at < known; ++at) {
      const bool holds = column[at].value == label;
      side_[column[at].row] = holds ? toYes : toNo;
      yesCount += holds ? 1 : 0;
    }
  } else {
    made.test = TextbookTest::atMost;
    midpoint = (decimalValue(test.lower) + decimalValue(test.upper)) / 2.0;
    if (midpoint == decimalValue(test.upper)) midpoint = decimalValue(test.lower);
    made.threshold = threshold(attribute, midpoint);
    yesCount = test.last + 1;
    for (std::size_t at = 0; at < known; ++at) side_[column[at].row] = at < yesCount ? toYes : toNo;
  }
  for (std::size_t at = known; at < column.size(); ++at) side_[column[at].row] = toBoth;
  const std::size_t both = column.size() - known;

  Fractions yesFractions;
  Fractions noFractions;
  if (!weights_.empty()) {
    const double share = made.yesShare;
    for (std::size_t at = known; at < column.size(); ++at) {
      const std::uint32_t row = column[at].row;
      yesFractions.emplace_back(row, weights_[row] * share);
      noFractions.emplace_back(row, weights_[row] * (1.0 - share));
    }
    for (const auto& fraction : pending.fractions) {
      const std::uint8_t goes = side_[fraction.first];
      if (goes == toYes) yesFractions.push_back(fraction);
      if (goes == toNo) noFractions.push_back(fraction);
    }
  }
  if (observer_) {
    observer_->tell(TextbookNodeSplit{node, &tree_.nodes[node], midpoint, test.yes, test.no, test.missing});
  }
  ChildColumns children = splitColumns(std::move(pending.columns), side_, yesCount, both, scratch_);
  pending_.push_back({no, node, false, std::move(children.no), std::move(noFractions)});
  pending_.push_back({yes, node, true, std::move(children.yes), std::move(yesFractions)});
}

}  // namespace

GrownTree growTextbookTree(const Dataset& data, const TextbookOptions& options,
                           const TextbookObserver* observer) {
  return Growth(data, options, observer).grow();
}
