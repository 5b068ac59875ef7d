// Classification must not allocate: it runs for every example the workbench
// makes; and an allocation that fails must leave the training set whole.
// This program replaces the global allocation functions with counting ones
// that can be made to fail, so it is a test executable of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <vector>

#include "learner/learner.h"
#include "support/examples.h"
#include "support/replaced_new.h"

namespace {
std::atomic<std::size_t> allocations{0};
// The allocation that is to fail, counted from 1; 0 for none.
std::atomic<std::size_t> failing{0};
}  // namespace

void onAllocation() {
  if (++allocations == failing) throw std::bad_alloc();
}

TEST(ClassifyAllocation, WalkingALearntTreeAllocatesNothing) {
  const std::size_t start = allocations;
  Learner learner;
  learner.examples = conceptExamples('%');
  learner.learn();
  ASSERT_TRUE(learner.root && !learner.root->isLeaf());
  // Making the set and learning allocate: the counter is seen to count.
  ASSERT_GT(allocations, start);

  const std::vector<float> inputs{0, 1, 1, 0, 0, 1, 1, 1, 0, 1};
  unsigned answered = 0;
  const std::size_t before = allocations;
  for (std::size_t i = 0; i + 3 <= inputs.size(); ++i) {
    const std::span<const float> values(&inputs[i], 3);
    answered += learner.classify(values);
    answered += learner.root->classify(values);
  }
  EXPECT_EQ(allocations, before);
  EXPECT_GT(answered, 0U);
}

TEST(FailedAllocation, LeavesValuesAndTheTrainingSetAsTheyWere) {
  const std::vector<float> narrow{1, 0};
  const std::vector<float> wide{1, 2, 3, 4, 5};
  const ExampleValues wideValues(wide);
  for (const std::vector<float>& kept : {narrow, wide}) {
    ExampleValues values(kept);
    failing = allocations + 1;
    EXPECT_THROW(values = wideValues, std::bad_alloc);
    failing = 0;
    EXPECT_EQ(std::vector<float>(values.begin(), values.end()), kept);
  }

  // Each allocation that adding an example makes fails in turn: the copy of
  // the values, their block, the training set's growth.
  Learner learner;
  learner.addExample(narrow, 1);
  for (std::size_t k = 1; learner.examples.size() == 1; ++k) {
    ASSERT_LT(k, 10U);
    failing = allocations + k;
    try {
      learner.addExample(wide, 0);
    } catch (const std::bad_alloc&) {
      EXPECT_EQ(learner.examples.size(), 1U);
    }
    failing = 0;
  }
  const auto valuesOf = [](const Example& e) { return std::vector<float>(e.values.begin(), e.values.end()); };
  EXPECT_EQ(learner.examples[0].classValue, 1);
  EXPECT_EQ(valuesOf(learner.examples[0]), narrow);
  EXPECT_EQ(learner.examples[1].classValue, 0);
  EXPECT_EQ(valuesOf(learner.examples[1]), wide);
}
