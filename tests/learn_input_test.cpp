// Training sets that the workbench itself never makes but `Learner` accepts:
// examples of several widths and every kind of float.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "induction/tree_builder.h"
#include "learner/learner.h"
#include "support/examples.h"

TEST(LearnInput, LearnsFromExamplesOfDifferentWidths) {
  // The narrow example comes first, so the tables are sized for one value;
  // the threshold search then sorts the wide one to the front.
  Learner learner;
  learner.addExample({1}, 0);
  learner.addExample({0, 1, 1}, 1);
  learner.addExample({1}, 0);
  learner.learn();
  ASSERT_NE(learner.root, nullptr);
  EXPECT_TRUE(learner.examples.empty());
  EXPECT_EQ(learner.root->pred, '=');
  EXPECT_EQ(learner.root->caseIndex, 0U);
  EXPECT_EQ(learner.classify(std::vector<float>{1}), 0);
  EXPECT_EQ(learner.classify(std::vector<float>{0, 1, 1}), 1);
}

TEST(AttributeOrder, IsAStrictWeakOrderOverEveryKindOfFloat) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> values{nan,
                                  -nan,
                                  -inf,
                                  -1.0F,
                                  -0.0F,
                                  0.0F,
                                  std::numeric_limits<float>::denorm_min(),
                                  1.0F,
                                  std::numeric_limits<float>::max(),
                                  inf};
  ExampleSet set;
  for (const float v : values) {
    set.push_back(example({v}, 0));
    set.push_back(example({v}, 1));
  }
  set.push_back(example({}, 1));  // a missing value reads as NaN
  sortAttribute = 0;
  const AttributeOrder before;
  const auto tied = [&](const Example& a, const Example& b) { return !before(a, b) && !before(b, a); };
  for (const Example& a : set) {
    EXPECT_FALSE(before(a, a));
    for (const Example& b : set) {
      EXPECT_FALSE(before(a, b) && before(b, a));
      for (const Example& c : set) {
        EXPECT_FALSE(before(a, b) && before(b, c) && !before(a, c));
        EXPECT_FALSE(tied(a, b) && tied(b, c) && !tied(a, c));
      }
    }
  }
  // NaN of either sign goes after infinity, and ties among NaNs fall to the
  // class; the two zeros tie.
  EXPECT_TRUE(before(example({inf}, 1), example({nan}, 0)));
  EXPECT_TRUE(before(example({-nan}, 0), example({nan}, 1)));
  EXPECT_TRUE(tied(example({-0.0F}, 0), example({0.0F}, 0)));
}
