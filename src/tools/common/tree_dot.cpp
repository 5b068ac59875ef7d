#include "tools/common/tree_dot.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include "tree/tree_walk.h"

std::string dotQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

namespace {

// A leaf's fill: orange and blue tell the classes apart with any colour
// vision, and their greys, light and dark, on a black-and-white page.
const char* leafColours(std::uint8_t leafClass) {
  switch (leafClass) {
    case 0:
      return ", fillcolor=\"#f1a340\"";
    case 1:
      return ", fillcolor=\"#2166ac\", fontcolor=white";
    default:
      // No learn makes another class; a file may hold one.
      return ", fillcolor=\"#bababa\"";
  }
}

std::size_t nodesBelow(const TreeNode& node) {
  std::size_t count = 0;
  walkPreOrder(node, [&count](const WalkStep&) {
    ++count;
    return true;
  });
  return count - 1;
}

}  // namespace

void writeDot(const TreeNode& root, std::ostream& out, const DotLabel& label, const DotDepth& depth) {
  out << "digraph tree {\n"
      << "  node [shape=box, style=filled, fillcolor=white];\n";
  // Nodes are numbered in pre-order. `path[d]` is the number of the node
  // last reached at depth d, so that a node's parent is the one before it.
  std::vector<std::size_t> path;
  std::size_t next = 0;
  walkPreOrder(root, [&](const WalkStep& step) {
    const std::size_t id = next++;
    path.resize(step.depth);
    path.push_back(id);
    const TreeNode& node = *step.node;
    const bool cut = step.depth == depth.maxDepth && !node.isLeaf();
    std::string text = label(node);
    if (cut) text.append("\n").append(std::to_string(nodesBelow(node))).append(" nodes below, not drawn");
    out << "  n" << id << " [label=" << dotQuoted(text);
    if (node.isLeaf()) out << ", shape=ellipse" << leafColours(node.leafClass);
    if (cut) out << ", style=\"filled,dashed\"";
    out << "];\n";
    if (step.depth > 0)
      out << "  n" << path[step.depth - 1] << " -> n" << id
          << " [label=" << dotQuoted(step.branch == Branch::yes ? "yes" : "no") << "];\n";
    return !cut;
  });
  out << "}\n";
}

void writeDot(const TreeNode& root, std::ostream& out, const DataNames& names, const DotDepth& depth) {
  writeDot(root, out, [&names](const TreeNode& node) { return nodeText(node, names); }, depth);
}
