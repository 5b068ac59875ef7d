#include "tools/explain/textbook_explanation.h"

#include <charconv>
#include <cmath>
#include <ostream>

#include "tools/common/dataset.h"
#include "tools/explain/figure_text.h"
#include "tools/textbook/j48_text.h"
#include "tools/textbook/textbook_learn.h"

namespace {

// A value as the data gave it: the shortest decimal of its float.
std::string valueText(float value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string cases(double weight) { return nine(weight) + (weight == 1.0 ? " case" : " cases"); }

}  // namespace

std::string TextbookExplanation::path(std::uint32_t node) const {
  std::vector<bool> sides;
  for (std::uint32_t at = node; places_[at].parent != noNode; at = places_[at].parent)
    sides.push_back(places_[at].yes);
  std::string text = "root";
  for (std::size_t k = sides.size(); k-- > 0;) text += sides[k] ? ".yes" : ".no";
  return text;
}

std::size_t TextbookExplanation::depth(std::uint32_t node) const {
  std::size_t levels = 0;
  for (std::uint32_t at = node; places_[at].parent != noNode; at = places_[at].parent) ++levels;
  return levels;
}

std::ostream& TextbookExplanation::line(std::size_t indent) {
  return out_ << std::string(2 * (indent_ + indent), ' ');
}

std::string TextbookExplanation::attributeName(std::uint32_t attribute) const {
  if (attribute < data_.attributes.size() && !data_.attributes[attribute].name.empty())
    return data_.attributes[attribute].name;
  return std::string("x").append(std::to_string(attribute + 1));
}

std::string TextbookExplanation::className(std::size_t c) const {
  const auto& labels = data_.classAttribute.labels;
  return c < labels.size() ? labels[c] : std::string("class ").append(std::to_string(c));
}

std::string TextbookExplanation::testText(std::uint32_t attribute, const TextbookCandidate& candidate,
                                          bool numericCut) const {
  if (numericCut) return valueText(candidate.lower) + " | " + valueText(candidate.upper);
  const auto& labels =
      attribute < data_.attributes.size() ? data_.attributes[attribute].labels : std::vector<std::string>();
  return "= " + (candidate.label < labels.size() ? labels[candidate.label] : std::to_string(candidate.label));
}

void TextbookExplanation::tell(const TextbookEvent& event) {
  if (const auto* e = std::get_if<TextbookNodeBegun>(&event)) begin(*e);
  if (const auto* e = std::get_if<TextbookLeafMade>(&event)) leaf(*e);
  if (const auto* e = std::get_if<TextbookAttributeSearched>(&event)) searched(*e);
  if (const auto* e = std::get_if<TextbookTestChosen>(&event)) chosen(*e);
  if (const auto* e = std::get_if<TextbookNodeSplit>(&event)) split(*e);
  if (const auto* e = std::get_if<TextbookCollapsed>(&event)) collapsed(*e);
  if (const auto* e = std::get_if<TextbookPruned>(&event)) pruned(*e);
}

void TextbookExplanation::begin(const TextbookNodeBegun& node) {
  if (places_.size() <= node.node) places_.resize(std::size_t{node.node} + 1);
  places_[node.node].parent = node.parent;
  places_[node.node].yes = node.yes;
  node_ = node.node;
  indent_ = depth(node.node);
  gains_.assign(data_.width, NAN);
  ratios_.assign(data_.width, NAN);
  line(0) << path(node.node) << ": " << cases(node.weight);
  const char* separator = ": ";
  for (std::size_t c = 0; c < node.classWeights.size(); ++c) {
    if (node.classWeights[c] <= 0.0) continue;
    out_ << separator << nine(node.classWeights[c]) << " of " << className(c);
    separator = ", ";
  }
  out_ << "\n";
}

void TextbookExplanation::leaf(const TextbookLeafMade& leaf) {
  const std::string answer = "leaf " + className(leaf.majority);
  switch (leaf.reason) {
    case TextbookLeafReason::oneClass:
      line(1) << answer << ": every case is of that class\n";
      break;
    case TextbookLeafReason::tooFewCases:
      line(1) << answer << ", the majority: fewer than twice " << options_.minLeaf
              << " cases, the least a branch may hold\n";
      break;
    case TextbookLeafReason::noTest:
      line(1) << answer << ", the majority: no test will do\n";
      break;
  }
}

void TextbookExplanation::searched(const TextbookAttributeSearched& searched) {
  const std::string name = attributeName(searched.attribute);
  line(1) << name << (searched.nominal ? ", nominal, " : ", numeric, ") << cases(searched.known)
          << " with a value";
  if (searched.missing > 0.0) out_ << " and " << nine(searched.missing) << " without";
  if (searched.verdict == TextbookVerdict::tooFewKnown) {
    out_ << ": unusable, as a cut needs " << cases(searched.minimum) << " a side\n";
    return;
  }
  out_ << (searched.nominal ? ": each label against the rest, " : ": each cut between neighbouring values, ")
       << "at least " << cases(searched.minimum) << (searched.nominal ? " a branch" : " a side");
  if (!searched.averaged) out_ << " (not in the average: it has a label for every third case or more)";
  out_ << "\n";
  const bool numeric = !searched.nominal;
  for (const TextbookCandidate& candidate : searched.candidates) {
    line(2) << testText(searched.attribute, candidate, numeric) << ": " << nine(candidate.yes) << " against "
            << nine(candidate.no);
    if (candidate.refused) {
      out_ << ", refused: too few cases " << (numeric ? "on a side" : "in a branch") << "\n";
      continue;
    }
    out_ << ", gain " << nine(candidate.gain);
    if (numeric) out_ << ", less the cost " << nine(candidate.gain - searched.cost);
    out_ << ", split information " << nine(candidate.splitInformation) << ", gain ratio "
         << nine(candidate.gainRatio) << "\n";
  }
  if (numeric && searched.cuts > 0) {
    line(2) << counted(searched.cuts, "cut", "cuts") << " to choose from cost log2(" << searched.cuts
            << ") / " << nine(searched.known + searched.missing) << " = " << nine(searched.cost) << "\n";
  }
  switch (searched.verdict) {
    case TextbookVerdict::tooFewKnown:
      break;
    case TextbookVerdict::noCut:
      line(2) << "unusable: no " << (numeric ? "cut" : "label") << " leaves " << cases(searched.minimum)
              << " on both sides\n";
      break;
    case TextbookVerdict::noGain:
      line(2) << "unusable: no cut gains more than its cost\n";
      break;
    case TextbookVerdict::usable: {
      gains_[searched.attribute] = searched.gain;
      ratios_[searched.attribute] = searched.gainRatio;
      const TextbookCandidate& best = searched.candidates[searched.best];
      line(2) << "best: " << testText(searched.attribute, best, numeric)
              << (numeric ? ", the first of the highest gain" : ", the first of the highest gain ratio")
              << "; gain " << nine(searched.gain) << ", gain ratio " << nine(searched.gainRatio) << "\n";
      break;
    }
  }
}

void TextbookExplanation::chosen(const TextbookTestChosen& chosen) {
  if (chosen.averaged == 0) {
    line(1) << "no attribute is usable\n";
    return;
  }
  line(1) << "average gain of the " << counted(chosen.averaged, "usable attribute", "usable attributes")
          << ": " << nine(chosen.averageGain) << "; at least that, within 0.001:";
  const char* separator = " ";
  for (std::uint32_t a = 0; a < gains_.size(); ++a) {
    if (std::isnan(gains_[a]) || gains_[a] < chosen.averageGain - 1e-3) continue;
    out_ << separator << attributeName(a) << " (gain ratio " << nine(ratios_[a]) << ")";
    separator = ", ";
  }
  out_ << "\n";
  if (chosen.attribute == noNode) {
    line(1) << "none of them has a gain ratio above 0\n";
    return;
  }
  line(1) << "chosen: " << attributeName(chosen.attribute) << ", the highest gain ratio of those\n";
}

void TextbookExplanation::split(const TextbookNodeSplit& split) {
  const TextbookNode& node = *split.test;
  ++splits_;
  places_[split.node].yesChild = node.yes;
  places_[split.node].noChild = node.no;
  const std::string name = attributeName(node.attribute);
  if (node.test == TextbookTest::atMost) {
    line(1) << "test " << name << " <= " << valueText(node.threshold)
            << ", the largest training value not above the cut's midpoint " << nine(split.midpoint);
  } else {
    TextbookCandidate label;
    label.label = node.label;
    line(1) << "test " << name << " " << testText(node.attribute, label, false);
  }
  out_ << ": " << cases(split.yes) << " to yes, " << nine(split.no) << " to no";
  if (split.missing > 0.0) {
    out_ << ", and " << nine(split.missing) << " without a value to both, weighted " << nine(node.yesShare)
         << " and " << nine(1.0 - node.yesShare);
  }
  out_ << "\n";
}

void TextbookExplanation::collapsed(const TextbookCollapsed& collapsed) {
  if (!collapsing_) {
    out_ << "\nCollapse, top down: a test becomes a leaf where its subtree's leaves\n"
            "misclassify at least what the test's node would as a leaf, less 0.001.\n";
    collapsing_ = true;
  }
  out_ << "  " << path(collapsed.node) << ": its leaves misclassify " << nine(collapsed.subtreeErrors)
       << ", a leaf " << nine(collapsed.leafErrors) << ": a leaf\n";
}

void TextbookExplanation::pruned(const TextbookPruned& pruned) {
  if (!collapsing_) {
    out_ << "\nCollapse: every subtree misclassifies less than its node would as a leaf.\n";
    collapsing_ = true;
  }
  if (!pruning_) {
    out_ << "\nPruning at confidence " << nine(options_.confidence)
         << ", children before their parent, by estimated\n"
            "errors: a test becomes a leaf where a leaf's estimate is at most the\n"
            "subtree's and its largest branch's, plus 0.1; otherwise the largest branch\n"
            "takes its place where the branch's estimate on all the test's cases is at\n"
            "most the subtree's, plus 0.1.\n";
    pruning_ = true;
  }
  out_ << "  " << path(pruned.node) << ": the subtree " << nine(pruned.subtreeEstimate) << ", a leaf "
       << nine(pruned.leafEstimate) << ", its largest branch " << path(pruned.largest) << " "
       << nine(pruned.branchEstimate) << ": ";
  switch (pruned.decision) {
    case TextbookDecision::kept:
      out_ << "kept\n";
      break;
    case TextbookDecision::leaf:
      out_ << "a leaf " << className(pruned.majority) << "\n";
      break;
    case TextbookDecision::raised: {
      out_ << "replaced by that branch, which takes all its cases and is pruned again\n";
      // The branch's children are the node's now, and named from it.
      const Place branch = places_[pruned.largest];
      Place& node = places_[pruned.node];
      node.yesChild = branch.yesChild;
      node.noChild = branch.noChild;
      if (branch.yesChild != noNode) {
        places_[branch.yesChild].parent = pruned.node;
        places_[branch.noChild].parent = pruned.node;
      }
      break;
    }
  }
}

void TextbookExplanation::finish() {
  if (splits_ == 0) {
    out_ << "\nNo test to collapse or prune.\n";
    return;
  }
  if (!collapsing_) out_ << "\nCollapse: every subtree misclassifies less than its node would as a leaf.\n";
  if (options_.unpruned) {
    out_ << "\nNo pruning: --unpruned.\n";
  } else if (!pruning_) {
    out_ << "\nPruning: there is no test left to prune.\n";
  }
}

void writeTextbookExplanation(const Dataset& data, const TextbookOptions& options, std::ostream& out) {
  TextbookExplanation explanation(out, data, options);
  const TextbookObserver observer{[&](const TextbookEvent& event) { explanation.tell(event); }};
  const TextbookTree tree = learnTextbook(data, options, &observer);
  explanation.finish();
  out << "\nThe tree, as Weka's J48 prints it:\n\n"
      << j48Text(tree, data) << "\nNumber of Leaves  : \t" << leafCount(tree) << "\n\nSize of the tree : \t"
      << tree.nodes.size() << "\n";
}
