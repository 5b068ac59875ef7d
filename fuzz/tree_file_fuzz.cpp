// Loads arbitrary bytes as a tree file into a learner that already holds a
// tree, classifies with whatever came in, and saves and reloads it.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "learner/learner.h"
#include "tree/tree_node.h"

namespace {

// One folder per fuzzing process, on a memory file system where there is
// one: every input is written, saved and read back through real files.
struct Scratch {
  std::string folder;
  std::string input;
  std::string saved;

  Scratch() {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/tree_file_fuzz.XXXXXX";
    FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
    folder = pattern;
    input = folder + "/input.txt";
    saved = folder + "/saved.txt";
  }
  ~Scratch() {
    unlink(input.c_str());
    unlink(saved.c_str());
    rmdir(folder.c_str());
  }
};

std::unique_ptr<TreeNode> node(char pred, std::uint32_t caseIndex, float caseValue) {
  auto made = std::make_unique<TreeNode>();
  made->pred = pred;
  made->caseIndex = caseIndex;
  made->caseValue = caseValue;
  return made;
}

std::unique_ptr<TreeNode> leaf(std::uint8_t leafClass) {
  auto made = std::make_unique<TreeNode>();
  made->leafClass = leafClass;
  return made;
}

// The tree the learner holds before each load: with x0 > 0.25 it answers 1
// when x1 = 1 and 0 otherwise; every other example gets 7, a class that no
// new leaf holds, so that a kept tree is told apart from a fresh one.
std::unique_ptr<TreeNode> standingTree() {
  auto root = node('<', 0, 0.25F);
  root->left = node('=', 1, 1.0F);
  root->left->left = leaf(1);
  root->left->right = leaf(0);
  root->right = leaf(7);
  return root;
}

// Every field of every node in pre-order, and whether it has each child.
struct Flat {
  std::uint32_t caseIndex;
  std::uint32_t caseValueBits;
  char pred;
  std::uint8_t leafClass;
  bool hasLeft;
  bool hasRight;
  bool operator==(const Flat&) const = default;
};

std::vector<Flat> flatten(const TreeNode* root) {
  std::vector<Flat> nodes;
  std::vector<const TreeNode*> stack;
  if (root != nullptr) stack.push_back(root);
  while (!stack.empty()) {
    const TreeNode* at = stack.back();
    stack.pop_back();
    std::uint32_t bits = 0;
    std::memcpy(&bits, &at->caseValue, sizeof bits);
    nodes.push_back(
        {at->caseIndex, bits, at->pred, at->leafClass, at->left != nullptr, at->right != nullptr});
    if (at->right) stack.push_back(at->right.get());
    if (at->left) stack.push_back(at->left.get());
  }
  return nodes;
}

// The float that the six significant digits of `value` read back as.
float sixDigits(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return std::strtof(text, nullptr);
}

bool sameFloat(float a, float b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

// What a complete load must look like: two children or none everywhere, and
// only the fields the file holds set.
void checkComplete(const std::vector<Flat>& nodes) {
  for (const Flat& n : nodes) {
    FUZZ_CHECK(n.hasLeft == n.hasRight);
    if (n.hasLeft) {
      FUZZ_CHECK(n.leafClass == 0);
    } else {
      FUZZ_CHECK(n.pred == '\0' && n.caseIndex == 0 && n.caseValueBits == 0);
    }
  }
}

const std::vector<std::vector<float>> probes = {
    {},
    {std::nanf("")},
    {1.0F, 1.0F},
    {0.0F, -0.0F},
    {2.0F, 0.5F, 1.0F},
    {-1e30F, std::numeric_limits<float>::infinity(), 1.0F},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Scratch scratch;
  {
    std::ofstream file(scratch.input, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    FUZZ_CHECK(file.good());
  }

  Learner learner;
  learner.root = standingTree();
  const std::vector<Flat> standing = flatten(learner.root.get());
  const bool loaded = learner.load(scratch.input.c_str());
  FUZZ_CHECK(learner.root != nullptr);
  const std::vector<Flat> first = flatten(learner.root.get());

  if (!loaded) {
    FUZZ_CHECK(first == standing);
    // The standing tree's answers, worked out by hand for each probe.
    const std::uint8_t expected[] = {7, 7, 1, 7, 0, 7};
    for (std::size_t i = 0; i < probes.size(); ++i) FUZZ_CHECK(learner.classify(probes[i]) == expected[i]);
    return 0;
  }

  checkComplete(first);
  // Any index, any width: the answer is one of the tree's leaf classes.
  for (const auto& values : probes) {
    const std::uint8_t answer = learner.classify(values);
    bool isLeafClass = false;
    for (const Flat& n : first) isLeafClass = isLeafClass || (!n.hasLeft && n.leafClass == answer);
    FUZZ_CHECK(isLeafClass);
  }

  FUZZ_CHECK(learner.save(scratch.saved.c_str()));
  Learner again;
  FUZZ_CHECK(again.load(scratch.saved.c_str()));
  const std::vector<Flat> second = flatten(again.root.get());
  FUZZ_CHECK(second.size() == first.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    const Flat& a = first[i];
    const Flat& b = second[i];
    FUZZ_CHECK(a.hasLeft == b.hasLeft && a.hasRight == b.hasRight);
    // A test whose pred the load left NUL is saved as '<', which tests the
    // same; a leaf's pred is never written.
    FUZZ_CHECK(b.pred == (a.pred == '\0' && a.hasLeft ? '<' : a.pred));
    FUZZ_CHECK(a.caseIndex == b.caseIndex && a.leafClass == b.leafClass);
    float before = 0.0F;
    float after = 0.0F;
    std::memcpy(&before, &a.caseValueBits, sizeof before);
    std::memcpy(&after, &b.caseValueBits, sizeof after);
    FUZZ_CHECK(sameFloat(after, sixDigits(before)));
  }
  return 0;
}
