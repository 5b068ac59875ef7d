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

std::string TreeFigures::label(const TreeNode& node, const DataNames& names, bool brief) const {
  const auto found = figures_.find(&node);
  // The children of a split that sent every example one way, and the nodes
  // waiting behind it: empty leaves of class 0.
  if (found == figures_.end()) return nodeText(node, names) + "\nnot grown: the growth stopped";
  const Figures& figures = found->second;
  if (brief)
    return nodeText(node, names) + "\n" + std::to_string(figures.classes[0]) + " of " + classLabel(0, names) +
           ", " + std::to_string(figures.classes[1]) + " of " + classLabel(1, names);
  const std::string set = nodeText(node, names) + "\n" + setText(figures.examples, figures.classes, names) + "\n";
  if (!node.isLeaf()) return set + "score " + nine(figures.score);
  // Examples of any other class byte are misclassified too.
  return set + std::to_string(figures.examples - figures.classes[node.leafClass]) + " misclassified";
}
