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

}  // namespace

// Each concept's truth table, over its inputs in binary counting order with
// x1 the highest bit. Any code that names no concept is and.
TEST(FitnessFunction, ClassesEveryInputByItsTruthTable) {
  const std::pair<char, std::string> tables[] = {{'|', "0111"},     {'^', "0110"},     {'&', "0001"},
                                                 {'#', "01111111"}, {'%', "01101000"}, {'*', "00000001"},
                                                 {'x', "0001"},     {'\0', "0001"}};
  for (const auto& table : tables) {
    const char fitness = table.first;
    const std::size_t width = table.second.size() == 4 ? 2 : 3;
    std::string got;
    for (const Example& e : allCombinations(
             width, [fitness](const std::vector<float>& values) { return classOf(fitness, values); }))
      got += static_cast<char>('0' + e.classValue);
    EXPECT_EQ(got, table.second) << fitness;
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

// The line printed for an example drawn as given, answered by no tree or by
// the and tree; the example then joins the training set.
TEST(TrainAndTest, PrintsTheInputLineAndVerdictThenAddsTheExample) {
  const struct {
    bool andTree;
    char fitness;
    std::vector<int> drawn;
    const char* line;
  } cases[] = {
      {false, '|', {1, 0}, "input: \"1.00 | 0.00\" response: 1.\t\t\tCORRECT. \n"},
      {false, '%', {1, 1, 1}, "input: \"1.00 % 1.00 % 1.00  \" response: 1.\t\t\tWRONG. \n"},
      {true, '|', {0, 1}, "input: \"0.00 | 1.00\" response: 0.\t\t\tWRONG. \n"},
      {true, '^', {1, 1}, "input: \"1.00 ^ 1.00\" response: 1.\t\t\tWRONG. \n"},
  };
  for (const auto& c : cases) {
    Learner learner;
    if (c.andTree) learner.root = learnFrom(conceptExamples('&')).tree;
    std::srand(seedDrawing(c.drawn));
    ::testing::internal::CaptureStdout();
    trainAndTest(learner, c.fitness);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.line);
    ASSERT_EQ(learner.examples.size(), 1U) << c.line;
    const Example& added = learner.examples[0];
    const std::vector<float> values(c.drawn.begin(), c.drawn.end());
    EXPECT_EQ(std::vector<float>(added.values.begin(), added.values.end()), values) << c.line;
    EXPECT_EQ(added.classValue, classOf(c.fitness, values)) << c.line;
  }
}
