#include "examples/example_generator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "learner/learner.h"
#include "support/examples.h"

namespace {

// A seed whose first draws are `wanted`, so that a test knows its example.
unsigned seedDrawing(const std::vector<int>& wanted) {
  for (unsigned seed = 1;; ++seed) {
    std::srand(seed);
    bool match = true;
    for (const int bit : wanted) match = match && std::rand() % 2 == bit;
    if (match) return seed;
  }
}

std::string trainAndTestOutput(Learner& learner, FitnessFunction fitness) {
  ::testing::internal::CaptureStdout();
  trainAndTest(learner, fitness);
  return ::testing::internal::GetCapturedStdout();
}

}  // namespace

// Each concept's truth table, over its inputs in binary counting order with
// x1 the highest bit. Any code that names no concept is and.
TEST(FitnessFunction, ClassesEveryInputByItsTruthTable) {
  const std::pair<char, std::string> tables[] = {{'|', "0111"},     {'^', "0110"},     {'&', "0001"},
                                                 {'#', "01111111"}, {'%', "01101000"}, {'*', "00000001"},
                                                 {'x', "0001"},     {'\0', "0001"}};
  for (const auto& [fitness, classes] : tables) {
    const std::size_t width = classes.size() == 4 ? 2 : 3;
    std::string got;
    for (const Example& e : allCombinations(
             width, [fitness](const std::vector<float>& values) { return classOf(fitness, values); }))
      got += static_cast<char>('0' + e.classValue);
    EXPECT_EQ(got, classes) << fitness;
  }
}

TEST(MakeExample, DrawsTwoOrThreeValuesInOrder) {
  const std::pair<char, std::size_t> widths[] = {{'|', 2}, {'^', 2}, {'&', 2}, {'#', 3},
                                                 {'%', 3}, {'*', 3}, {'z', 2}};
  for (const auto& [fitness, width] : widths) {
    std::srand(42);
    std::vector<float> drawn;
    for (std::size_t i = 0; i < width; ++i) drawn.push_back(static_cast<float>(std::rand() % 2));
    const int next = std::rand();

    std::srand(42);
    std::vector<float> values{9, 9, 9, 9};
    std::uint8_t classValue = 7;
    makeExample(values, classValue, fitness);
    EXPECT_EQ(values, drawn) << fitness;
    EXPECT_EQ(classValue, classOf(fitness, drawn)) << fitness;
    EXPECT_EQ(std::rand(), next) << fitness << " drew more than " << width;
  }
}

TEST(TrainAndTest, PrintsTheInputLineAndVerdictThenAddsTheExample) {
  Learner learner;
  std::srand(seedDrawing({1, 0}));
  EXPECT_EQ(trainAndTestOutput(learner, '|'), "input: \"1.00 | 0.00\" response: 1.\t\t\tCORRECT. \n");
  ASSERT_EQ(learner.examples.size(), 1U);
  const ExampleValues& added = learner.examples[0].values;
  EXPECT_EQ(std::vector<float>(added.begin(), added.end()), (std::vector<float>{1, 0}));
  EXPECT_EQ(learner.examples[0].classValue, 1);

  std::srand(seedDrawing({1, 1, 1}));
  EXPECT_EQ(trainAndTestOutput(learner, '%'), "input: \"1.00 % 1.00 % 1.00  \" response: 1.\t\t\tWRONG. \n");
  EXPECT_EQ(learner.examples[1].classValue, 0);
}

TEST(TrainAndTest, ClassifiesBeforeAdding) {
  Learner learner;
  learner.examples = allCombinations(2, [](const std::vector<float>& v) { return v[0] == 1 && v[1] == 1; });
  learner.learn();
  std::srand(seedDrawing({0, 1}));
  EXPECT_EQ(trainAndTestOutput(learner, '|'), "input: \"0.00 | 1.00\" response: 0.\t\t\tWRONG. \n");
  std::srand(seedDrawing({1, 1}));
  EXPECT_EQ(trainAndTestOutput(learner, '^'), "input: \"1.00 ^ 1.00\" response: 1.\t\t\tWRONG. \n");
  EXPECT_EQ(learner.examples.size(), 2U);
}
