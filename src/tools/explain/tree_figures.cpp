#include "tools/explain/tree_figures.h"

#include "tools/explain/figure_text.h"
#include "tools/common/node_text.h"
#include "tree/tree_node.h"

void TreeFigures::tell(const GrowthEvent& event) {
  if (const auto* begun = std::get_if<NodeBegun>(&event)) {
    growing_ = &figures_[begun->node];
    growing_->classes = begun->classes;
    growing_->examples = begun->examples;
  } else if (const auto* chosen = std::get_if<AttributeChosen>(&event)) {
    if (chosen->attribute != noIndex) growing_->score = chosen->gains[chosen->attribute];
  }
}

std::string TreeFigures::label(const TreeNode& node, bool brief) const {
  const auto found = figures_.find(&node);
  // The children of a split that sent every example one way, and the nodes
  // waiting behind it: empty leaves of class 0.
  if (found == figures_.end()) return nodeText(node) + "\nnot grown: the growth stopped";
  const Figures& figures = found->second;
  if (brief)
    return nodeText(node) + "\n" + std::to_string(figures.classes[0]) + " of 0, " +
           std::to_string(figures.classes[1]) + " of 1";
  const std::string set = nodeText(node) + "\n" + setText(figures.examples, figures.classes) + "\n";
  if (!node.isLeaf()) return set + "score " + nine(figures.score);
  // Examples of any other class byte are misclassified too.
  return set + std::to_string(figures.examples - figures.classes[node.leafClass]) + " misclassified";
}
