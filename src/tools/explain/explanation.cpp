#include "tools/explain/explanation.h"

#include <ostream>
#include <vector>

#include "tools/explain/figure_text.h"
#include "tools/common/node_text.h"
#include "tree/tree_node.h"

namespace {

// One end of a cut: an entry of the sorted attribute.
std::string entry(const SortedColumn& column, std::size_t at, const DataNames& names) {
  std::string text = "(";
  text += numberText(column.values[at]);
  text += ", ";
  text += className(column.classes[at], names);
  return text += ")";
}

// Whether another of `scores` after `best` is as high: then the first of
// the equal ones won.
bool tiedLater(std::span<const float> scores, std::size_t best) {
  for (std::size_t k = best + 1; k < scores.size(); ++k) {
    if (scores[k] == scores[best]) return true;
  }
  return false;
}

}  // namespace

std::ostream& Explanation::line(std::size_t levels) {
  const std::size_t width = 2 * (depth_ + levels);
  if (blanks_.size() < width) blanks_.resize(2 * width, ' ');
  return out_.write(blanks_.data(), static_cast<std::streamsize>(width));
}

void Explanation::tell(const GrowthEvent& event) {
  if (const auto* e = std::get_if<NodeBegun>(&event)) begin(*e);
  if (const auto* e = std::get_if<LeafMade>(&event)) leaf(*e);
  if (const auto* e = std::get_if<ThresholdsFound>(&event)) thresholds(*e);
  if (const auto* e = std::get_if<AttributeChosen>(&event)) choice(*e);
  if (const auto* e = std::get_if<NodeSplit>(&event)) split(*e);
  if (const auto* e = std::get_if<GrowthStopped>(&event)) stop(*e);
}

void Explanation::begin(const NodeBegun& node) {
  // The path of a node is its parent's, the last one begun at the depth
  // above, with its branch.
  depth_ = node.place.depth;
  if (node.place.branch == Branch::root) {
    path_ = "root";
  } else {
    path_.resize(ends_[depth_ - 1]);
    path_ += node.place.branch == Branch::yes ? ".yes" : ".no";
  }
  ends_.resize(depth_);
  ends_.push_back(path_.size());
  set_ = node;
  textbook_.clear();
  line(0) << path_ << ": " << setText(node.examples, node.classes, names_) << "\n";
  // Only '=' tests equality; the tree file writes the other predicate as
  // it is stored, '<', although it tests for a greater value.
  if (node.pred == '=') {
    line(1) << "predicate =, as every value is 0 or 1\n";
  } else {
    line(1) << "predicate >, as a value is neither 0 nor 1 (the tree file writes " << node.pred << ")\n";
  }
}

void Explanation::leaf(const LeafMade& leaf) {
  const std::string answer = "leaf: " + className(leaf.node->leafClass, names_);
  const bool tie = set_.classes[0] == set_.classes[1];
  const std::string majority = tie ? ", which wins the tie of the classes" : ", the majority class";
  switch (leaf.reason) {
    case LeafReason::oneClass:
      line(1) << answer << ", as every example is of that class\n";
      break;
    case LeafReason::noValues:
      line(1) << answer << majority << ", as the examples have no values\n";
      break;
    case LeafReason::noSplit:
      line(1) << answer << majority << ", as no value splits the set\n";
      break;
  }
}

void Explanation::thresholds(const ThresholdsFound& found) {
  const std::string name = attributeName(found.attribute, names_);
  if (compare_ && found.usable) {
    if (textbook_.size() <= found.attribute) textbook_.resize(std::size_t{found.attribute} + 1);
    textbook_[found.attribute] = bestTextbookCut(*found.column, found.positions);
  }
  if (!found.usable) {
    line(1) << name << ": cannot split, as every example has the same value\n";
    return;
  }
  const std::size_t cuts = found.candidates.size();
  line(1) << name << ": " << counted(cuts, "cut", "cuts") << (found.scores.empty() ? "" : ", each scored")
          << (cuts > 1 ? ", in sorted order" : "") << "\n";
  for (std::size_t c = 0; c < cuts; ++c) {
    const std::uint32_t lower = found.positions[c];
    line(2) << c + 1 << ". " << numberText(found.candidates[c]) << ", between "
            << entry(*found.column, lower, names_) << " and " << entry(*found.column, lower + 1, names_);
    if (!found.scores.empty()) out_ << ": score " << nine(found.scores[c]);
    out_ << "\n";
  }
  if (found.best == noIndex) {
    line(2) << "threshold " << numberText(found.threshold) << ", as there is no cut\n";
    return;
  }
  const std::string winner = "cut " + std::to_string(found.best + 1);
  if (found.scores.empty()) {
    line(2) << winner << " wins: the only cut, taken unscored\n";
  } else if (tiedLater(found.scores, found.best)) {
    line(2) << winner << " wins: the first of the equal highest scores\n";
  } else {
    line(2) << winner << " wins: the highest score\n";
  }
  line(2) << "threshold " << numberText(found.threshold) << ": the upper value of " << winner << "\n";
}

void Explanation::choice(const AttributeChosen& chosen) {
  if (chosen.attribute == noIndex) return;  // the leaf says why
  std::size_t usable = 0;
  line(1) << "attribute scores:";
  for (std::uint32_t i = 0; i < chosen.gains.size(); ++i) {
    if (chosen.gains[i] == unusableGain) continue;
    out_ << (usable++ == 0 ? " " : ", ") << attributeName(i, names_) << " " << nine(chosen.gains[i]);
  }
  out_ << "\n";
  const std::string name = attributeName(chosen.attribute, names_);
  if (usable == 1) {
    line(1) << "chosen: " << name << ", the only one that can split the set\n";
  } else {
    // A usable attribute's score is never `unusableGain`, so only usable
    // ones can tie with it.
    line(1) << "chosen: " << name
            << (tiedLater(chosen.gains, chosen.attribute) ? ", the first of the equal highest scores\n"
                                                          : ", the highest score\n");
  }
  if (compare_) compareWithTextbook(chosen.attribute);
}

void Explanation::compareWithTextbook(std::uint32_t chosen) {
  line(1) << "textbook C4.5, for comparison only (not how this tree grows):\n";
  for (std::uint32_t a = 0; a < textbook_.size(); ++a) {
    if (!textbook_[a]) continue;
    const TextbookCut& cut = *textbook_[a];
    const TextbookFigures& figures = cut.figures;
    line(2) << attributeName(a, names_) << " <= " << numberText(cut.threshold) << ", "
            << examples(cut.below[0] + cut.below[1]) << " against " << cut.above[0] + cut.above[1]
            << ": gain " << nine(figures.gain) << ", split information " << nine(figures.splitInformation)
            << ", gain ratio " << nine(figures.gainRatio) << "\n";
  }
  const QuinlanChoice textbook = quinlanChoice(textbook_);
  if (textbook.attribute == noIndex) {
    line(2) << "textbook C4.5 has no cut to choose from\n";
    return;
  }
  line(2) << "chosen by Quinlan's rule: " << attributeName(textbook.attribute, names_)
          << ", the highest gain ratio among the gains of at least the average, " << nine(textbook.averageGain)
          << "\n";
  line(2) << "the method chooses " << attributeName(chosen, names_)
          << (textbook.attribute == chosen ? " too\n" : ": the two differ\n");
}

void Explanation::split(const NodeSplit& split) {
  split_ = split;
  const TreeNode& node = *split.node;
  // A nominal value is named by its label where it is tested for equality.
  const auto label = node.pred == '=' ? valueLabel(node.caseIndex, node.caseValue, names_) : std::nullopt;
  line(1) << "test " << attributeName(node.caseIndex, names_) << (node.pred == '=' ? " = " : " > ")
          << label.value_or(numberText(node.caseValue)) << ": " << examples(split.passing)
          << (split.passing == 1 ? " passes" : " pass") << " to yes, " << split.failing
          << (split.failing == 1 ? " fails" : " fail") << " to no\n";
}

void Explanation::stop(const GrowthStopped& stopped) {
  out_ << "\n"
       << stopped.message << "\n"
       << "The growth stops at " << path_ << ": "
       << (split_.passing == 0 ? "no example passes its test" : "every example passes its test") << ".\n"
       << "What is left is the tree as far as it grew: " << path_ << " keeps its test,\n"
       << "and its two children are empty leaves of " << className(0, names_) << ".\n";
  // The nodes still to grow besides those two, which come first, in the
  // order they would have grown. Each hangs on an ancestor of this node,
  // whose path is a prefix of this one's.
  if (stopped.notGrown.size() <= 2) return;
  const auto others = stopped.notGrown.subspan(2);
  out_ << (others.size() == 1 ? "The node not grown yet is an empty leaf of "
                              : "The nodes not grown yet are empty leaves of ")
       << className(0, names_) << " too:";
  for (std::size_t k = 0; k < others.size(); ++k) {
    const NodePlace& place = others[k];
    out_ << (k == 0 ? " " : ", ");
    out_.write(path_.data(), static_cast<std::streamsize>(ends_[place.depth - 1]));
    out_ << (place.branch == Branch::yes ? ".yes" : ".no");
  }
  out_ << ".\n";
}
