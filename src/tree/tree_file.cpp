#include "tree/tree_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ios>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tree/tree_walk.h"

namespace {

// The text as a message quotes it: at most 40 characters, in quotes. The
// bytes stay as they are; whoever shows the message makes them printable.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  out += text.substr(0, 40);
  out += text.size() > 40 ? "\"..." : "\"";
  return out;
}

// A cursor over one line that follows the C scan conventions: a blank in a
// format matches any run of white space, none included; a word must match
// exactly; a conversion that fails ends the scan. Where the line is read
// leniently, the first such place is told to `warning` when it is given.
struct Scanner {
  const char* at;
  std::string* warning;
  bool ok = true;
  std::string_view number;  // the text of the last number read

  Scanner(const char* text, std::string* told) : at(text), warning(told) {}

  // Whether a leniency is to be told and none has been yet. Messages are
  // built only then: the workbench's load asks for none.
  bool telling() const { return warning != nullptr && warning->empty(); }

  void note(std::string_view reason) const {
    if (telling()) warning->assign(reason);
  }

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
  void integer(long long& out) {
    if (!ok) return;
    blanks();
    char* end = nullptr;
    const long long value = std::strtoll(at, &end, 10);
    if (end == at) {
      ok = false;
      return;
    }
    number = std::string_view(at, static_cast<std::size_t>(end - at));
    at = end;
    out = value;
  }

  void real(float& out) {
    if (!ok) return;
    blanks();
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(at, &end);
    if (end == at) {
      ok = false;
      return;
    }
    number = std::string_view(at, static_cast<std::size_t>(end - at));
    if (telling() && errno == ERANGE && std::isinf(value))
      note("Case Value " + std::string(number) + " is beyond the range of a float; read as " +
           (value < 0 ? "-inf" : "inf"));
    at = end;
    out = value;
  }

  // After the last value: what the line still holds is never read.
  void end(std::string_view mismatch) {
    if (!ok) {
      note(mismatch);
      return;
    }
    blanks();
    if (*at != '\0' && telling()) note("text after the last value is not read: " + quoted(at));
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
  return "expected a node line (\">\") or a leaf line (\"^\"), found " + quoted(std::string_view(&marker, 1));
}

// The numbers of a node line as the reader takes them.
struct NodeLine {
  char pred = '\0';
  std::uint32_t caseIndex = 0;
  float caseValue = 0.0F;
};

// Scans "Pred: %c  Case Index: %d  Case Value: %f" the way the C scan would:
// a value the scan does not reach keeps its zero. Says in `warning`, when
// given, why the line does not read as it was probably meant.
NodeLine scanNodeLine(const char* text, std::string* warning) {
  NodeLine line;
  Scanner scan(text, warning);
  scan.word("Pred:");
  scan.blanks();
  scan.character(line.pred);
  scan.blanks();
  scan.word("Case");
  scan.blanks();
  scan.word("Index:");
  long long index = 0;
  scan.integer(index);
  if (scan.ok) {
    line.caseIndex = static_cast<std::uint32_t>(index);
    if (scan.telling() && (index < 0 || index > 0xFFFFFFFFLL))
      scan.note("Case Index " + std::string(scan.number) + " is beyond 0 to 4294967295; read as " +
                std::to_string(line.caseIndex));
  }
  scan.blanks();
  scan.word("Case");
  scan.blanks();
  scan.word("Value:");
  scan.real(line.caseValue);
  scan.end(
      "the node line does not match \">Pred: P  Case Index: N  Case Value: V\"; what it lacks is read as 0");
  return line;
}

// Scans "Class: %d"; the number is kept modulo 256.
std::uint8_t scanLeafLine(const char* text, std::string* warning) {
  Scanner scan(text, warning);
  scan.word("Class:");
  long long number = 0;
  scan.integer(number);
  const auto leafClass = static_cast<std::uint8_t>(number);
  if (scan.telling() && scan.ok && number != 0 && number != 1)
    scan.note("Class " + std::string(scan.number) + " is neither 0 nor 1; read as " +
              std::to_string(leafClass));
  scan.end("the leaf line does not match \"^Class: N\"; it is read as class 0");
  return leafClass;
}

// Counts what is written to it, keeping nothing.
class Counter : public std::streambuf {
 public:
  std::size_t count = 0;

 protected:
  int_type overflow(int_type ch) override {
    ++count;
    return traits_type::not_eof(ch);
  }
  std::streamsize xsputn(const char*, std::streamsize n) override {
    count += static_cast<std::size_t>(n);
    return n;
  }
};

// Appends what is written to it to a string.
class Appender : public std::streambuf {
 public:
  explicit Appender(std::string& text) : text_(text) {}

 protected:
  int_type overflow(int_type ch) override {
    if (!traits_type::eq_int_type(ch, traits_type::eof())) text_.push_back(traits_type::to_char_type(ch));
    return traits_type::not_eof(ch);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    text_.append(s, static_cast<std::size_t>(n));
    return n;
  }

 private:
  std::string& text_;
};

}  // namespace

std::string TreeFile::text(const TreeNode& root) {
  Counter counter;
  std::ostream counted(&counter);
  write(&root, counted);
  std::string text;
  text.reserve(counter.count);
  Appender appender(text);
  std::ostream out(&appender);
  write(&root, out);
  return text;
}

void TreeFile::writeNode(std::size_t depth, const TreeNode& node, std::ostream& out) {
  // In runs rather than one by one: a deep tree's file is mostly tabs.
  static constexpr std::string_view tabs = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
  for (std::size_t left = depth; left > 0;) {
    const std::size_t run = std::min(left, tabs.size());
    out.write(tabs.data(), static_cast<std::streamsize>(run));
    left -= run;
  }
  if (node.left && node.right) {
    // The reader takes the first character after the blanks as the pred, so
    // a NUL, a blank or '#' (which makes the line a comment) would not read
    // back; '<' tests what they test, as every pred but '=' does.
    const bool readsBack =
        node.pred != '\0' && node.pred != '#' && !std::isspace(static_cast<unsigned char>(node.pred));
    out << ">Pred: " << (readsBack ? node.pred : '<') << "  Case Index: " << node.caseIndex
        << "  Case Value: " << node.caseValue;
  } else {
    out << "^Class: " << static_cast<unsigned>(node.leafClass);
  }
}

void TreeFile::write(const TreeNode* root, std::ostream& out) {
  if (root == nullptr) throw 0;
  // Lines are separated, not ended: each but the first starts with the line
  // end of the one before, so that the file ends without one. A node with
  // one child is a leaf line, and its child is not written.
  walkPreOrder(*root, [&out](const WalkStep& step) {
    if (step.depth > 0) out.put('\n');
    writeNode(step.depth, *step.node, out);
    return step.node->left && step.node->right;
  });
}

bool TreeFile::readNode(std::unique_ptr<TreeNode>& slot, std::istream& in, std::size_t& lineNumber,
                        std::vector<TreeFileWarning>* warnings) {
  slot = std::make_unique<TreeNode>();
  char buffer[lineBufferSize];
  const std::size_t overlong = readLine(in, buffer, lineNumber);
  const char* text = buffer;
  const char marker = *text;
  if (marker != '>' && marker != '^') {
    // After a line too long for the buffer the stream fails short of the
    // end of the file and every later read comes back empty: the fault is
    // that line, not the sound one after it. Unless this read met it, it
    // was the line before, which an earlier read took as a node.
    if (marker == '\0' && in.fail() && !in.eof() && !in.bad())
      throw TreeFileError{overlong != 0 ? overlong : lineNumber - 1,
                          "the line holds more than 511 characters after its indentation"};
    throw TreeFileError{lineNumber, describeMarker(marker)};
  }
  std::string warning;
  std::string* const told = warnings != nullptr ? &warning : nullptr;
  if (marker == '>') {
    const NodeLine line = scanNodeLine(text + 1, told);
    slot->pred = line.pred;
    slot->caseIndex = line.caseIndex;
    slot->caseValue = line.caseValue;
  } else {
    slot->leafClass = scanLeafLine(text + 1, told);
  }
  if (!warning.empty()) warnings->push_back({lineNumber, std::move(warning)});
  return marker == '>';
}

void TreeFile::read(std::unique_ptr<TreeNode>& slot, std::istream& in,
                    std::vector<TreeFileWarning>* warnings) {
  std::unique_ptr<TreeNode> tree;
  // Slots still to fill, the next on top; each with its level (root is 1).
  struct Pending {
    std::unique_ptr<TreeNode>* slot;
    std::size_t level;
  };
  std::vector<Pending> stack{{&tree, 1}};
  std::size_t lineNumber = 0;
  // A read that fails must not pass for the end of the file, after which
  // the reader would take what came before it for the tree: the stream
  // throws the failure for the line it was reading.
  const struct MaskRestored {
    std::istream& in;
    std::ios::iostate was;
    ~MaskRestored() {
      try {
        in.exceptions(was);
      } catch (const std::ios_base::failure&) {
        // The mask is back; the stream's state is the caller's to see.
      }
    }
  } restored{in, in.exceptions()};
  try {
    in.exceptions(restored.was | std::ios::badbit);
    while (!stack.empty()) {
      const Pending item = stack.back();
      stack.pop_back();
      if (item.level > maxLevels) {
        throw TreeFileError{lineNumber + 1,
                            "the tree is deeper than " + std::to_string(maxLevels) + " levels"};
      }
      if (readNode(*item.slot, in, lineNumber, warnings)) {
        TreeNode& node = **item.slot;
        stack.push_back({&node.right, item.level + 1});
        stack.push_back({&node.left, item.level + 1});
      }
    }
  } catch (const std::ios_base::failure& error) {
    throw TreeFileError{lineNumber, "read failed: " + error.code().message()};
  }
  // A line too long for the buffer is taken only where it completes the
  // tree; the cut then explains whatever else is odd about it.
  if (warnings != nullptr && in.fail() && !in.eof() && !in.bad()) {
    if (!warnings->empty() && warnings->back().line == lineNumber) warnings->pop_back();
    warnings->push_back(
        {lineNumber, "the line holds more than 511 characters after its indentation; the rest is not read"});
  }
  slot = std::move(tree);
}
