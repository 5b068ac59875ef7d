#include "support/reference_induction.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr std::uint32_t none = 0xFFFFFFFFU;
constexpr float unusable = -10000.0F;
const char* const failureMessage = "Illegal C4.5 Tree structure.";

std::uint32_t sortOn = 0;

float valueOf(const Example& e, std::uint32_t i) {
  return i < e.values.size() ? e.values[i] : std::numeric_limits<float>::quiet_NaN();
}

bool test(char p, float v, float x) { return p == '=' ? v == x : v > x; }

float logTwo(float z) {
  static const float d = static_cast<float>(std::log10(2.0));
  const float y = static_cast<float>(std::log10(static_cast<double>(z)));
  return static_cast<float>(static_cast<double>(y) / static_cast<double>(d));
}

float factor(float z) {
  if (z == 0.0F) return 1.0F;
  if (z < 0.0F) return 0.0F;
  return logTwo(z);
}

double core(double p, double q) {
  return -(p * static_cast<double>(factor(static_cast<float>(p)))) -
         (q * static_cast<double>(factor(static_cast<float>(q))));
}

float twoWay(float a, float b) {
  const float h = std::fabs(static_cast<float>(static_cast<double>(a) - static_cast<double>(b)));
  const double p = static_cast<double>(a) / static_cast<double>(b);
  const double q = static_cast<double>(h) / static_cast<double>(b);
  return static_cast<float>(core(p, q));
}

float classSplit(float a, float b, float c) {
  const double p = static_cast<double>(c) / static_cast<double>(a);
  const float h = std::fabs(static_cast<float>(static_cast<double>(c) - static_cast<double>(a)));
  const double q = static_cast<double>(h) / static_cast<double>(a);
  return static_cast<float>(core(p, q) * (static_cast<double>(a) / static_cast<double>(b)));
}

struct Order {
  bool operator()(const Example& a, const Example& b) const {
    const float x = valueOf(a, sortOn);
    const float y = valueOf(b, sortOn);
    // NaN after every number.
    const bool xBefore = !std::isnan(x) && (std::isnan(y) || x < y);
    const bool yBefore = !std::isnan(y) && (std::isnan(x) || y < x);
    if (xBefore) return true;
    if (yBefore) return false;
    if (a.classValue != b.classValue) return a.classValue < b.classValue;
    // Of equal values, the smaller bits first: the one a threshold takes.
    return std::bit_cast<std::uint32_t>(x) < std::bit_cast<std::uint32_t>(y);
  }
};

struct Builder {
  // The attribute count of every node: the width of the training set's
  // first example. A missing value reads as NaN and further values are not
  // read, not even by the predicate.
  std::uint32_t width = 0;
  std::vector<bool> classes{false, true};
  std::vector<float> thresholds;
  std::vector<float> gains;
  char pred = '<';
  std::vector<float> classCounts;

  std::uint32_t majorityClass(const ExampleSet& s) {
    classCounts.clear();
    for (std::size_t j = 0; j < classes.size(); ++j) classCounts.push_back(0.0F);
    for (const Example& e : s) {
      for (std::size_t j = 0; j < classes.size(); ++j) {
        if (e.classValue == (classes[j] ? 1 : 0)) {
          classCounts[j] = static_cast<float>(static_cast<double>(classCounts[j]) + 1.0);
          break;
        }
      }
    }
    std::uint32_t r = 0;
    for (std::uint32_t i = 0; i < classCounts.size(); ++i) {
      if (classCounts[i] > classCounts[r]) r = i;
    }
    return r;
  }

  char predicateFor(const ExampleSet& s) const {
    for (const Example& e : s) {
      for (std::uint32_t i = 0; i < width; ++i) {
        const float v = valueOf(e, i);
        if (!(v == 0.0F || v == 1.0F)) return '<';
      }
    }
    return '=';
  }

  char choosePredicate(const ExampleSet& s) {
    if (gains.size() != width) gains.assign(width, 0.0F);
    for (std::uint32_t i = 0; i < width; ++i) {
      if (s.size() < 2) {
        gains[i] = unusable;
        continue;
      }
      gains[i] = unusable;
      for (std::size_t e = 1; e < s.size(); ++e) {
        if (valueOf(s[e], i) != valueOf(s[e - 1], i)) {
          gains[i] = 0.0F;
          break;
        }
      }
    }
    return predicateFor(s);
  }

  float splitScore(std::uint32_t majority, std::uint32_t i, float x, const ExampleSet& s) const {
    std::vector<float> counts(classes.size(), 0.0F);
    for (std::size_t k = 0; k < classes.size(); ++k) {
      for (const Example& e : s) {
        if (test(pred, valueOf(e, i), x) && e.classValue == (classes[k] ? 1 : 0)) {
          counts[k] = static_cast<float>(static_cast<double>(counts[k]) + 1.0);
        }
      }
    }
    const auto n = static_cast<float>(static_cast<std::uint32_t>(s.size()));
    float sum = 0.0F;
    for (std::size_t k = 0; k < classes.size(); ++k) {
      sum = static_cast<float>(static_cast<double>(classSplit(classCounts[k], n, counts[k])) +
                               static_cast<double>(sum));
    }
    const float d = twoWay(classCounts[majority], n);
    return static_cast<float>(static_cast<double>(sum) / static_cast<double>(d));
  }

  std::uint32_t bestCandidate(std::uint32_t majority, std::uint32_t i, const std::vector<float>& candidates,
                              const ExampleSet& s) const {
    if (candidates.empty()) return none;
    if (candidates.size() == 1) return 0;
    float best = splitScore(majority, i, candidates[0], s);
    std::uint32_t index = 0;
    for (std::uint32_t c = 1; c < candidates.size(); ++c) {
      const float score = splitScore(majority, i, candidates[c], s);
      if (best < score) {
        best = score;
        index = c;
      }
    }
    return index;
  }

  void findThresholds(std::uint32_t majority, ExampleSet& s) {
    thresholds.clear();
    thresholds.resize(width, 0.0F);
    for (std::uint32_t i = 0; i < width; ++i) {
      sortOn = i;
      std::sort(s.begin(), s.end(), Order{});
      std::vector<float> candidates;
      std::vector<std::uint32_t> positions;
      for (std::size_t j = 0; j + 1 < s.size(); ++j) {
        if (s[j].classValue != s[j + 1].classValue) {
          const auto sum = static_cast<float>(static_cast<double>(valueOf(s[j], i)) +
                                              static_cast<double>(valueOf(s[j + 1], i)));
          candidates.push_back(static_cast<float>(static_cast<double>(sum) * 0.5));
          positions.push_back(static_cast<std::uint32_t>(j));
        }
      }
      const std::uint32_t b = bestCandidate(majority, i, candidates, s);
      if (b != none) thresholds[i] = valueOf(s[positions[b] + 1], i);
    }
  }

  std::uint32_t bestGainIndex() const {
    std::uint32_t best = 0;
    for (std::uint32_t k = 1; k < gains.size(); ++k) {
      if (gains[k] > gains[best]) best = k;
    }
    return gains[best] == unusable ? none : best;
  }

  std::uint32_t chooseAttribute(std::uint32_t majority, const ExampleSet& s) {
    for (std::uint32_t i = 0; i < width; ++i) {
      if (gains[i] != unusable) gains[i] = splitScore(majority, i, thresholds[i], s);
    }
    return bestGainIndex();
  }

  void makeLeaf(TreeNode& node, std::uint32_t j) const { node.leafClass = classes[j] ? 1 : 0; }

  void grow(ExampleSet& s, TreeNode& node) {
    const std::uint32_t m = majorityClass(s);
    pred = choosePredicate(s);
    node.pred = pred;
    if (classCounts[m] >= static_cast<float>(s.size()) || width == 0) {
      makeLeaf(node, m);
      return;
    }
    findThresholds(m, s);
    const std::uint32_t a = chooseAttribute(m, s);
    if (a == none) {
      makeLeaf(node, m);
      return;
    }
    node.caseIndex = a;
    node.caseValue = thresholds[a];
    ExampleSet pass;
    ExampleSet fail;
    for (const Example& e : s) {
      if (test(node.pred, valueOf(e, a), node.caseValue)) {
        pass.push_back(e);
      } else {
        fail.push_back(e);
      }
    }
    node.left = std::make_unique<TreeNode>();
    node.right = std::make_unique<TreeNode>();
    if (pass.empty() || fail.empty()) throw failureMessage;
    grow(pass, *node.left);
    grow(fail, *node.right);
  }
};

}  // namespace

std::string referenceLearn(ExampleSet& examples, std::unique_ptr<TreeNode>& root) {
  if (examples.empty()) return "";
  try {
    Builder builder;
    builder.width = static_cast<std::uint32_t>(examples.front().values.size());
    root.reset();
    root = std::make_unique<TreeNode>();
    builder.grow(examples, *root);
    examples.clear();
  } catch (const char* message) {
    return std::string(message) + "\n";
  }
  return "";
}
