// Memory that runs out in the middle of a key, a learn, a save or a load:
// from the Nth allocation on every allocation fails, for every N up to the
// last one the operation makes. Replaces the global operator new, so it is a
// test executable of its own.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/command_loop.h"
#include "app/console.h"
#include "examples/example_generator.h"
#include "learner/learner.h"
#include "tree/tree_file.h"
#include "support/describe.h"
#include "support/replaced_new.h"
#include "support/temp_dir.h"
#include "support/text.h"

namespace {

std::size_t allocations = 0;
std::size_t failFrom = 0;  // 0 while nothing fails
bool ranOut = false;

void startFailingAt(std::size_t n) {
  allocations = 0;
  failFrom = n;
  ranOut = false;
}

// Answers whether an allocation failed since `startFailingAt`.
bool stopFailing() {
  failFrom = 0;
  return ranOut;
}

// Runs `operation` while allocations fail from the nth on. Answers whether
// one failed; an exception that leaves the operation fails the test.
template <typename Operation>
bool runningOutAt(std::size_t n, Operation operation) {
  startFailingAt(n);
  bool escaped = false;
  try {
    operation();
  } catch (...) {
    escaped = true;
  }
  const bool failed = stopFailing();
  EXPECT_FALSE(escaped) << "an exception left the operation";
  return failed;
}

using Values = std::vector<float>;
using Training = std::vector<std::pair<Values, std::uint8_t>>;

void fill(Learner& learner, const Training& training) {
  for (const auto& [values, classValue] : training) learner.addExample(values, classValue);
}

// The examples as a sorted list, since a learn may reorder them.
std::vector<std::pair<std::uint8_t, Values>> contents(const Learner& learner) {
  std::vector<std::pair<std::uint8_t, Values>> all;
  for (const Example& e : learner.examples)
    all.emplace_back(e.classValue, Values(e.values.begin(), e.values.end()));
  std::sort(all.begin(), all.end());
  return all;
}

// Every input of three 0/1 values many times over, under `fitness`; with
// `negativeZero`, one zero of the first value is negative, which equals zero
// but keeps the set out of the direct table of 0/1 inputs, so that it is
// folded by hashing: the two ways the induction folds a training set.
Training repeatedInputs(FitnessFunction fitness = '%', bool negativeZero = false) {
  Training training;
  for (int round = 0; round < 5; ++round) {
    for (unsigned bits = 0; bits < 8; ++bits) {
      const Values values{static_cast<float>(bits & 1U), static_cast<float>((bits >> 1) & 1U),
                          static_cast<float>((bits >> 2) & 1U)};
      training.emplace_back(values, classOf(fitness, values));
    }
  }
  if (negativeZero) training.front().first[0] = -0.0F;
  return training;
}

}  // namespace

void onAllocation() {
  if (failFrom == 0) return;
  if (++allocations < failFrom) return;
  ranOut = true;
  throw std::bad_alloc();
}

TEST(OutOfMemory, FreeingATreeAllocatesNothing) {
  // Every node of a bushy tree has two children, a chain has one leaf at
  // each level, and a node left by a failed load may have one child only.
  auto tree = std::make_unique<TreeNode>();
  std::vector<TreeNode*> level{tree.get()};
  for (int depth = 0; depth < 12; ++depth) {
    std::vector<TreeNode*> next;
    for (TreeNode* node : level) {
      node->left = std::make_unique<TreeNode>();
      if (depth % 3 != 1) node->right = std::make_unique<TreeNode>();
      next.push_back(node->left.get());
      if (node->right) next.push_back(node->right.get());
    }
    level = std::move(next);
  }
  TreeNode* bottom = level.back();
  for (int i = 0; i < 100000; ++i) {
    bottom->right = std::make_unique<TreeNode>();
    if (i % 2 == 0) bottom->left = std::make_unique<TreeNode>();
    bottom = bottom->right.get();
  }
  startFailingAt(1);
  tree.reset();
  EXPECT_FALSE(stopFailing());
}

// Runs `attempt` with allocations failing from the nth on, for n = 1, 2, ...
// until an attempt needs no more than n - 1; `attempt` answers whether one
// failed. Answers that last n.
template <typename Attempt>
std::size_t forEveryFailure(Attempt attempt) {
  std::size_t n = 1;
  for (;; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n) + " failed");
    if (!attempt(n) || ::testing::Test::HasFailure()) break;
  }
  return n;
}

// A learner holding a learnt tree, and then the examples of `training`.
void holdTreeAndExamples(Learner& learner, const Training& training) {
  fill(learner, repeatedInputs());
  learner.learn();
  fill(learner, training);
}

TEST(OutOfMemory, ALearnThatRunsOutLeavesNoTreeAndKeepsTheExamples) {
  for (const Training& training : {repeatedInputs(), repeatedInputs('%', true)}) {
    Learner reference;
    fill(reference, training);
    reference.learn();
    ASSERT_TRUE(reference.examples.empty() && reference.root && !reference.root->isLeaf());
    const std::string expected = describe(reference.root.get());

    const std::size_t last = forEveryFailure([&](std::size_t n) {
      Learner learner;
      holdTreeAndExamples(learner, training);
      const auto before = contents(learner);
      if (!runningOutAt(n, [&] { learner.learn(); })) {
        EXPECT_EQ(describe(learner.root.get()), expected);
        return false;
      }
      EXPECT_EQ(learner.root, nullptr);
      EXPECT_EQ(contents(learner), before);
      // With memory back the same examples learn the same tree.
      learner.learn();
      EXPECT_EQ(describe(learner.root.get()), expected);
      EXPECT_TRUE(learner.examples.empty());
      return true;
    });
    EXPECT_GT(last, 2U);
  }
}

TEST(OutOfMemory, ALoadThatRunsOutKeepsTheTree) {
  const TempDir dir;
  Learner saver;
  // Another concept, so that the tree loaded differs from the one held.
  fill(saver, repeatedInputs('#'));
  saver.learn();
  const std::string file = dir.file("tree.txt");
  ASSERT_TRUE(saver.save(file.c_str()));
  Learner reader;
  ASSERT_TRUE(reader.load(file.c_str()));
  const std::string saved = describe(reader.root.get());

  const std::size_t last = forEveryFailure([&](std::size_t n) {
    Learner learner;
    holdTreeAndExamples(learner, repeatedInputs());
    const std::string old = describe(learner.root.get());
    EXPECT_NE(old, saved);
    const std::size_t examples = learner.examples.size();
    bool loaded = false;
    if (!runningOutAt(n, [&] { loaded = learner.load(file.c_str()); })) {
      EXPECT_TRUE(loaded);
      EXPECT_EQ(describe(learner.root.get()), saved);
      return false;
    }
    EXPECT_FALSE(loaded);
    EXPECT_EQ(describe(learner.root.get()), old);
    EXPECT_EQ(learner.examples.size(), examples);
    EXPECT_TRUE(learner.load(file.c_str()));
    EXPECT_EQ(describe(learner.root.get()), saved);
    return true;
  });
  EXPECT_GT(last, 2U);
}

TEST(OutOfMemory, AnExampleKeyThatRunsOutSaysSoAndKeepsTheTrainingSetAsItWas) {
  for (const std::string keys : {"0", "9"}) {
    SCOPED_TRACE(keys);
    const std::size_t last = forEveryFailure([&](std::size_t n) {
      Learner learner;
      fill(learner, repeatedInputs('#'));
      // Full, so that one example more needs a larger block.
      learner.examples.shrink_to_fit();
      const std::size_t before = learner.examples.size();
      std::string script = keys + "q";
      std::FILE* in = fmemopen(script.data(), script.size(), "r");
      Console console;
      console.in = in;
      ::testing::internal::CaptureStdout();
      const bool failed = runningOutAt(n, [&] { CommandLoop(learner, console); });
      const std::string output = ::testing::internal::GetCapturedStdout();
      std::fclose(in);
      // Every example shown was kept; the one that ran out was not shown,
      // and no other was made after it.
      const std::size_t made = learner.examples.size() - before;
      EXPECT_EQ(occurrences(output, "Out of memory: the example was not kept.\n"), failed ? 1U : 0U);
      EXPECT_EQ(made, occurrences(output, "response: "));
      if (!failed) {
        EXPECT_EQ(made, keys == "0" ? 1U : 10U);
      }
      return failed;
    });
    EXPECT_GT(last, 2U);
  }
}

TEST(OutOfMemory, ASaveThatRunsOutFailsAndLeavesEveryFileAsItWas) {
  Learner learner;
  fill(learner, repeatedInputs());
  learner.learn();
  const std::string tree = TreeFile::text(*learner.root);
  const TempDir dir;
  // Replaced, written in place, and made new.
  const std::string old = dir.file("old.txt");
  const std::string linked = dir.file("linked.txt");
  const std::string fresh = dir.file("new.txt");
  for (const std::string& file : {old, linked, fresh}) {
    SCOPED_TRACE(file);
    const std::size_t last = forEveryFailure([&](std::size_t n) {
      std::filesystem::remove(dir.file("link.txt"));
      std::filesystem::remove(fresh);
      writeFile(old, "old");
      // Copying it to the replacement takes memory too.
      const std::string origin(64, 'o');
      setxattr(old.c_str(), "user.origin", origin.data(), origin.size(), 0);
      writeFile(linked, "old");
      std::filesystem::create_hard_link(linked, dir.file("link.txt"));
      bool saved = false;
      const bool failed = runningOutAt(n, [&] { saved = learner.save(file.c_str()); });
      // Saved whole, in place where the replacement ran out, or not at all.
      EXPECT_TRUE(saved || failed);
      if (file == fresh) {
        EXPECT_EQ(fileExists(fresh) ? readFile(fresh) : "(none)", saved ? tree : "(none)");
      } else {
        EXPECT_EQ(readFile(file), saved ? tree : "old");
      }
      for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
      return failed;
    });
    EXPECT_GT(last, 1U);
  }
}
