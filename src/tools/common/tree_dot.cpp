#include "tools/common/tree_dot.h"

#include <cstddef>
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

void writeDot(const TreeNode& root, std::ostream& out, const DotLabel& label) {
  out << "digraph tree {\n"
      << "  node [shape=box];\n";
  // Nodes are numbered in pre-order. `path[d]` is the number of the node
  // last reached at depth d, so that a node's parent is the one before it.
  std::vector<std::size_t> path;
  std::size_t next = 0;
  walkPreOrder(root, [&](const WalkStep& step) {
    const std::size_t id = next++;
    path.resize(step.depth);
    path.push_back(id);
    const TreeNode& node = *step.node;
    out << "  n" << id << " [label=" << dotQuoted(label(node));
    if (node.isLeaf()) out << ", shape=ellipse";
    out << "];\n";
    if (step.depth > 0)
      out << "  n" << path[step.depth - 1] << " -> n" << id
          << " [label=" << dotQuoted(step.branch == Branch::yes ? "yes" : "no") << "];\n";
    return true;
  });
  out << "}\n";
}

void writeDot(const TreeNode& root, std::ostream& out, const DataNames& names) {
  writeDot(root, out, [&names](const TreeNode& node) { return nodeText(node, names); });
}
