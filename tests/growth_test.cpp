#include <gtest/gtest.h>

#include "induction/growth_observer.h"
#include "induction/tree_builder.h"
#include "learner/learner.h"
#include "support/describe.h"
#include "support/examples.h"

namespace {

// Under a greater-than test 0.6 itself does not pass: the right side's test
// sends all three of its examples right.
ExampleSet sendsAllOneWay() {
  return {example({0.1F}, 0), example({0.3F}, 0), example({0.6F}, 1), example({0.9F}, 1)};
}

// What a learn answers, with what it prints, which is to be nothing: the
// command loop prints a growth's failure.
std::string learnOutput(Learner& learner) {
  ::testing::internal::CaptureStdout();
  const char* failure = learner.learn();
  return ::testing::internal::GetCapturedStdout() + (failure != nullptr ? failure : "");
}

}  // namespace

// The tree grown from each set, as describe() writes it, and the failure
// that stopped the growth, if any.
TEST(Growth, GrowsTheTreeOfEachSet) {
  const struct {
    const char* what;
    ExampleSet set;
    const char* tree;
    const char* failure;
  } cases[] = {
      {"and", conceptExamples('&'), "(= 0 1 0 (= 1 1 0 (= 0 0 1) (= 0 0 0)) (= 0 0 0))", ""},
      {"xor: x2 on both sides", conceptExamples('^'),
       "(= 0 0 0 (= 1 1 0 (= 0 0 1) (= 0 0 0)) (= 1 1 0 (= 0 0 0) (= 0 0 1)))", ""},
      {"or", conceptExamples('|'), "(= 0 0 0 (= 1 1 0 (= 0 0 1) (= 0 0 0)) (= 0 0 1))", ""},
      {"three-input and", conceptExamples('*'),
       "(= 0 1 0 (= 1 1 0 (= 2 1 0 (= 0 0 1) (= 0 0 0)) (= 0 0 0)) (= 0 0 0))", ""},
      {"one class: a leaf without a test", {example({1, 0}, 1), example({0, 1}, 1)}, "(= 0 0 1)", ""},
      {"one class of other values", {example({0.5F}, 0)}, "(< 0 0 0)", ""},
      {"no values: the majority", {example({}, 1), example({}, 0), example({}, 1)}, "(= 0 0 1)", ""},
      {"no value differs, a tie: class 0", {example({1, 0}, 1), example({1, 0}, 0)}, "(= 0 0 0)", ""},
      // One attribute, from the short first example; the threshold search
      // puts the wider example first, whose further values are never read.
      {"examples of different widths", {example({1}, 0), example({0, 1, 1}, 1), example({1}, 0)},
       "(= 0 1 0 (= 0 0 0) (= 0 0 1))", ""},
      {"a test that sends every example one way", sendsAllOneWay(),
       "(< 0 0.6 0 (< 0 0 1) (< 0 0.6 0 (0 0 0 0) (0 0 0 0)))", growthFailure},
  };
  for (const auto& c : cases) {
    const Growth grown = learnFrom(c.set);
    EXPECT_EQ(describe(grown.tree.get()), c.tree) << c.what;
    EXPECT_STREQ(grown.failure != nullptr ? grown.failure : "", c.failure) << c.what;
  }
}

// A learn keeps what the growth made and answers only its failure; a
// success alone empties the training set. A second learn changes nothing: without
// examples the very tree stays, and a failure fails again.
TEST(Learn, KeepsTheGrowthAndEmptiesTheSetOnlyOnSuccess) {
  const struct {
    const char* what;
    ExampleSet set;
    const char* printed;
  } cases[] = {
      {"a success", conceptExamples('&'), ""},
      {"no examples", {}, ""},
      {"a growth failure", sendsAllOneWay(), "Illegal C4.5 Tree structure."},
  };
  for (const auto& c : cases) {
    const std::string grown = describe(learnFrom(c.set).tree.get());
    const std::size_t kept = *c.printed != '\0' ? c.set.size() : 0;
    Learner learner;
    learner.examples = c.set;
    for (int run = 1; run <= 2; ++run) {
      const TreeNode* before = learner.root.get();
      EXPECT_EQ(learnOutput(learner), c.printed) << c.what << run;
      EXPECT_EQ(learner.examples.size(), kept) << c.what << run;
      EXPECT_EQ(describe(learner.root.get()), grown) << c.what << run;
      if (run == 2 && kept == 0) {
        EXPECT_EQ(learner.root.get(), before) << c.what;
      }
    }
  }
}

// The places that the growth tells its observer, as depth and branch ("0r"
// the root, "1y" its yes child): of each node begun, in order, and of the
// nodes left not grown when it stops, in the order they would have grown.
TEST(Growth, TellsEachNodeItsPlaceInTheOrderItGrows) {
  const struct {
    const char* what;
    ExampleSet set;
    const char* begun;
    const char* notGrown;
  } cases[] = {
      {"and", conceptExamples('&'), "0r 1y 2y 2n 1n", ""},
      {"a stop with nodes still to grow",
       {example({0.94F, 0.36F}, 1), example({0.81F, 0.42F}, 0), example({0.31F, 0.03F}, 1),
        example({0.83F, 0.67F}, 0), example({0.47F, 0.43F}, 0), example({0.98F, 0.99F}, 1)},
       "0r 1y 2y", "3y 3n 2n 1n"},
  };
  const auto text = [](const NodePlace& place) {
    const char branch = place.branch == Branch::root ? 'r' : place.branch == Branch::yes ? 'y' : 'n';
    std::string told = " ";
    told += std::to_string(place.depth);
    told += branch;
    return told;
  };
  for (const auto& c : cases) {
    std::string begun;
    std::string notGrown;
    const GrowthObserver observer{[&](const GrowthEvent& event) {
      if (const auto* node = std::get_if<NodeBegun>(&event)) begun += text(node->place);
      if (const auto* stop = std::get_if<GrowthStopped>(&event))
        for (const NodePlace& place : stop->notGrown) notGrown += text(place);
    }};
    learnFrom(c.set, &observer);
    EXPECT_EQ(begun.substr(begun.empty() ? 0 : 1), c.begun) << c.what;
    EXPECT_EQ(notGrown.substr(notGrown.empty() ? 0 : 1), c.notGrown) << c.what;
  }
}
