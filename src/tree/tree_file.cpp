#include "tree/tree_file.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// A cursor over one line that follows the C scan conventions: a blank in a
// format matches any run of white space, none included; a word must match
// exactly; a conversion that fails ends the scan.
struct Scanner {
  const char* at;
  bool ok = true;

  void blanks() {
    while (std::isspace(static_cast<unsigned char>(*at))) ++at;
  }

  void word(std::string_view w) {
    if (!ok) return;
    if (std::strncmp(at, w.data(), w.size()) == 0) {
      at += w.size();
    } else {
      ok = false;
    }
  }

  void character(char& out) {
    if (!ok || *at == '\0') {
      ok = false;
      return;
    }
    out = *at++;
  }

  // Read as a 64-bit integer, saturating beyond its range, so that no digit
  // string can overflow; the caller keeps the low bits it stores.
  void integer(std::uint64_t& out) {
    if (!ok) return;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(at, &end, 10);
    if (end == at) {
      ok = false;
      return;
    }
    at = end;
    out = static_cast<std::uint64_t>(value);
  }

  void real(float& out) {
    if (!ok) return;
    char* end = nullptr;
    const float value = std::strtof(at, &end);
    if (end == at) {
      ok = false;
      return;
    }
    at = end;
    out = value;
  }
};

constexpr std::size_t lineBufferSize = 512;

// Reads the next line that holds no "#" into `buffer` without its leading
// tabs, at most 511 characters. The tabs are dropped as they are read, so
// that the indentation of a deep tree's lines never counts towards the limit
// and whatever the writer writes reads back. A read that fails leaves an
// empty line; once a line was too long every later read fails, as the
// stream's line read does. Answers the number of the line that was too long
// when this call read it, else 0.
std::size_t readLine(std::istream& in, char (&buffer)[lineBufferSize], std::size_t& lineNumber) {
  std::size_t overlong = 0;
  do {
    std::memset(buffer, 0, sizeof buffer);
    ++lineNumber;
    const bool failedBefore = in.fail();
    while (in.peek() == '\t') in.get();
    in.getline(buffer, lineBufferSize);
    if (!failedBefore && in.fail() && !in.eof() && !in.bad()) overlong = lineNumber;
  } while (std::strchr(buffer, '#') != nullptr);
  return overlong;
}

std::string describeMarker(char marker) {
  if (marker == '\0')
    return "expected a node line (\">\") or a leaf line (\"^\"), found an empty line or the end of the file";
  std::string text = "expected a node line (\">\") or a leaf line (\"^\"), found \"";
  if (std::isprint(static_cast<unsigned char>(marker))) {
    text += marker;
  } else {
    static const char hex[] = "0123456789abcdef";
    const auto code = static_cast<unsigned char>(marker);
    text += "\\x";
    text += hex[code >> 4];
    text += hex[code & 15];
  }
  return text + "\"";
}

}  // namespace

NodeLine scanNodeLine(const char* text) {
  NodeLine line;
  Scanner scan{text};
  scan.word("Pred:");
  scan.blanks();
  scan.character(line.pred);
  scan.blanks();
  scan.word("Case");
  scan.blanks();
  scan.word("Index:");
  std::uint64_t index = 0;
  scan.integer(index);
  if (scan.ok) line.caseIndex = static_cast<std::uint32_t>(index);
  scan.blanks();
  scan.word("Case");
  scan.blanks();
  scan.word("Value:");
  scan.real(line.caseValue);
  return line;
}

std::uint8_t scanLeafLine(const char* text) {
  Scanner scan{text};
  scan.word("Class:");
  std::uint64_t leafClass = 0;
  scan.integer(leafClass);
  return static_cast<std::uint8_t>(leafClass);
}

void TreeFile::writeNode(std::uint32_t depth, const TreeNode& node, std::ostream& out) {
  for (std::uint32_t i = 0; i < depth; ++i) out.put('\t');
  if (node.left && node.right) {
    out << ">Pred: " << node.pred << "  Case Index: " << node.caseIndex << "  Case Value: " << node.caseValue;
  } else {
    out << "^Class: " << static_cast<unsigned>(node.leafClass);
  }
}

void TreeFile::write(const TreeNode* root, std::ostream& out) {
  if (root == nullptr) throw 0;
  // Pre-order with an explicit stack so that a tree of any depth is written.
  // A null node stands for the line end between a left and a right subtree;
  // a leaf line has none of its own, so the file ends without one.
  struct Pending {
    const TreeNode* node;
    std::uint32_t depth;
  };
  std::vector<Pending> stack{{root, 0}};
  while (!stack.empty()) {
    const Pending item = stack.back();
    stack.pop_back();
    if (item.node == nullptr) {
      out.put('\n');
      continue;
    }
    writeNode(item.depth, *item.node, out);
    if (item.node->left && item.node->right) {
      out.put('\n');
      stack.push_back({item.node->right.get(), item.depth + 1});
      stack.push_back({nullptr, 0});
      stack.push_back({item.node->left.get(), item.depth + 1});
    }
  }
}

bool TreeFile::readNode(std::unique_ptr<TreeNode>& slot, std::istream& in, std::size_t& lineNumber) {
  slot = std::make_unique<TreeNode>();
  char buffer[lineBufferSize];
  const std::size_t overlong = readLine(in, buffer, lineNumber);
  const char* text = buffer;
  const char marker = *text;
  if (marker == '>') {
    const NodeLine line = scanNodeLine(text + 1);
    slot->pred = line.pred;
    slot->caseIndex = line.caseIndex;
    slot->caseValue = line.caseValue;
    return true;
  }
  if (marker == '^') {
    slot->leafClass = scanLeafLine(text + 1);
    return false;
  }
  // After a line too long for the buffer the stream fails short of the end
  // of the file and every later read comes back empty: the fault is that
  // line, not the sound one after it. Unless this read met it, it was the
  // line before, which an earlier read took as a node.
  if (marker == '\0' && in.fail() && !in.eof() && !in.bad())
    throw TreeFileError{overlong != 0 ? overlong : lineNumber - 1,
                        "the line holds more than 511 characters after its indentation"};
  throw TreeFileError{lineNumber, describeMarker(marker)};
}

void TreeFile::read(std::unique_ptr<TreeNode>& slot, std::istream& in) {
  std::unique_ptr<TreeNode> tree;
  // Slots still to fill, the next on top; each with its level (root is 1).
  struct Pending {
    std::unique_ptr<TreeNode>* slot;
    std::size_t level;
  };
  std::vector<Pending> stack{{&tree, 1}};
  std::size_t lineNumber = 0;
  while (!stack.empty()) {
    const Pending item = stack.back();
    stack.pop_back();
    if (item.level > maxLevels) {
      throw TreeFileError{lineNumber + 1, "the tree is deeper than " + std::to_string(maxLevels) + " levels"};
    }
    if (readNode(*item.slot, in, lineNumber)) {
      TreeNode& node = **item.slot;
      stack.push_back({&node.right, item.level + 1});
      stack.push_back({&node.left, item.level + 1});
    }
  }
  slot = std::move(tree);
}
