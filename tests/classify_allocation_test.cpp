// Classification must not allocate: it runs for every example the workbench
// makes. This program replaces the global allocation functions with counting
// ones, so it is a test executable of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "examples/example_generator.h"
#include "learner/learner.h"
#include "support/replaced_new.h"

namespace {
std::atomic<std::size_t> allocations{0};
}  // namespace

void onAllocation() { ++allocations; }

TEST(ClassifyAllocation, TheCounterSeesAnAllocation) {
  const std::size_t before = allocations;
  std::vector<float> values(3);
  EXPECT_GT(allocations, before);
}

TEST(ClassifyAllocation, WalkingALearntTreeAllocatesNothing) {
  Learner learner;
  for (unsigned bits = 0; bits < 8; ++bits) {
    std::vector<float> values{static_cast<float>(bits & 1U), static_cast<float>((bits >> 1) & 1U),
                              static_cast<float>((bits >> 2) & 1U)};
    const std::uint8_t classValue = classOf('%', values);
    learner.addExample(values, classValue);
  }
  learner.learn();
  ASSERT_TRUE(learner.root && !learner.root->isLeaf());

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
