#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "examples/example_generator.h"
#include "learner/learner.h"
#include "support/examples.h"
#include "support/temp_dir.h"
#include "support/text.h"
#include "support/view.h"

namespace {

// The six concepts by the names the viewer gives them; what each computes
// is the example generator's classOf, whose truth tables its own test
// writes out.
struct Concept {
  char code;
  const char* name;
  unsigned width;
  bool holds(const std::vector<int>& x) const {
    return classOf(code, std::vector<float>(x.begin(), x.end())) == 1;
  }
};

const Concept concepts[] = {{'|', "or", 2},
                            {'^', "xor", 2},
                            {'&', "and", 2},
                            {'#', "triple or", 3},
                            {'%', "exactly one of three", 3},
                            {'*', "triple and", 3}};

// The inputs of row `row` of a table of `width` values: the row's number in
// binary, x1 the most significant digit.
std::vector<int> inputOf(std::size_t row, unsigned width) {
  std::vector<int> x;
  for (unsigned i = 0; i < width; ++i) x.push_back(static_cast<int>((row >> (width - 1 - i)) & 1U));
  return x;
}

struct Table {
  std::vector<std::string> header;  // the column names, then "|" and "class"
  std::vector<std::vector<int>> inputs;
  std::vector<int> answers;
  std::vector<std::string> after;  // the lines after the blank line
};

// Splits the viewer's table output into its parts.
Table parseTable(const std::string& out) {
  Table table;
  const std::vector<std::string> lines = linesOf(out);
  std::size_t i = 0;
  std::istringstream headerWords(lines.at(i++));
  for (std::string word; headerWords >> word;) table.header.push_back(word);
  for (; i < lines.size() && !lines[i].empty(); ++i) {
    std::istringstream words(lines[i]);
    std::vector<int> input;
    std::string word;
    while (words >> word && word != "|") input.push_back(std::stoi(word));
    int answer = -1;
    words >> answer;
    table.inputs.push_back(input);
    table.answers.push_back(answer);
  }
  for (++i; i < lines.size(); ++i) table.after.push_back(lines[i]);
  return table;
}

ViewRun tableOf(const std::string& file, unsigned width) {
  return runView({"--table", std::to_string(width), "-"}, file);
}

std::string agreementLine(const Concept& c, std::size_t rows, std::size_t of) {
  return std::string(1, c.code) + " " + c.name + ": " + std::to_string(rows) + " of " + std::to_string(of) +
         " rows agree";
}

}  // namespace

TEST(ViewTable, RecognisesTheConceptThatALearntTreeComputes) {
  for (const Concept& learnt : concepts) {
    SCOPED_TRACE(learnt.name);
    // Every input of the concept once, labelled by the generator's own
    // concept function, as the workbench would label it.
    Learner learner;
    learner.examples = allCombinations(valueCount(learnt.code), [&learnt](const std::vector<float>& values) {
      return classOf(learnt.code, values);
    });
    learner.learn();
    const TempDir dir;
    ASSERT_TRUE(learner.save(dir.file("tree.txt").c_str()));

    const ViewRun run = runView({"--table", std::to_string(learnt.width), dir.file("tree.txt")});
    ASSERT_EQ(run.status, 0) << run.err;
    const Table table = parseTable(run.out);
    const std::size_t rows = std::size_t{1} << learnt.width;
    ASSERT_EQ(table.inputs.size(), rows);
    for (std::size_t row = 0; row < rows; ++row) {
      EXPECT_EQ(table.inputs[row], inputOf(row, learnt.width)) << row;
      EXPECT_EQ(table.answers[row], learnt.holds(inputOf(row, learnt.width)) ? 1 : 0) << row;
    }
    std::vector<std::string> expected;
    for (const Concept& other : concepts) {
      if (other.width != learnt.width) continue;
      std::size_t agree = 0;
      for (std::size_t row = 0; row < rows; ++row)
        agree += other.holds(inputOf(row, learnt.width)) == learnt.holds(inputOf(row, learnt.width));
      expected.push_back(agreementLine(other, agree, rows));
    }
    expected.push_back(std::string("The tree computes ") + learnt.code + " (" + learnt.name + ").");
    EXPECT_EQ(table.after, expected);
  }
}

TEST(ViewTable, NamesNoConceptWhenNoneAgreesOnEveryRow) {
  // Answers 1 for every input: triple or is wrong only for 0 0 0.
  const Table table = parseTable(tableOf("^Class: 1", 3).out);
  EXPECT_EQ(table.answers, std::vector<int>(8, 1));
  EXPECT_EQ(table.after, (std::vector<std::string>{
                             agreementLine(concepts[3], 7, 8), agreementLine(concepts[4], 3, 8),
                             agreementLine(concepts[5], 1, 8), "The tree computes none of these concepts."}));
}

TEST(ViewTable, CountsEveryInputOfAnyWidthInBinaryOrder) {
  for (const unsigned width : {1U, 4U, 16U}) {
    SCOPED_TRACE(width);
    // Yes for an input whose last value is 1 and whose first is 0.
    const std::string file = ">Pred: =  Case Index: " + std::to_string(width - 1) +
                             "  Case Value: 1\n>Pred: <  Case Index: 0  Case Value: 0.5\n^Class: 0\n^Class: "
                             "1\n^Class: 0";
    const ViewRun run = tableOf(file, width);
    ASSERT_EQ(run.status, 0) << run.err;
    const Table table = parseTable(run.out);
    std::vector<std::string> header;
    for (unsigned i = 1; i <= width; ++i) header.push_back(std::string(1, 'x').append(std::to_string(i)));
    header.push_back("|");
    header.push_back("class");
    EXPECT_EQ(table.header, header);
    const std::size_t rows = std::size_t{1} << width;
    ASSERT_EQ(table.inputs.size(), rows);
    for (std::size_t row = 0; row < rows; ++row) {
      const std::vector<int> x = inputOf(row, width);
      ASSERT_EQ(table.inputs[row], x) << row;
      ASSERT_EQ(table.answers[row], x.back() == 1 && x.front() == 0 ? 1 : 0) << row;
    }
    EXPECT_EQ(table.after, std::vector<std::string>{"No concept takes " + std::to_string(width) +
                                                    (width == 1 ? " value." : " values.")});
  }
}

TEST(ViewTable, LinesEachDigitUpUnderItsColumnName) {
  const std::vector<std::string> lines = linesOf(tableOf("^Class: 0", 11).out);
  EXPECT_EQ(lines[0], "x1 x2 x3 x4 x5 x6 x7 x8 x9 x10 x11 | class");
  EXPECT_EQ(lines[1], " 0  0  0  0  0  0  0  0  0   0   0 | 0");
  EXPECT_EQ(lines[2048], " 1  1  1  1  1  1  1  1  1   1   1 | 0");
}

TEST(ViewTable, WarnsOfTestsOnValuesTheInputsLack) {
  // x3 is missing from two-value inputs, so its test never holds.
  const ViewRun run = tableOf(
      ">Pred: =  Case Index: 2  Case Value: 1\n^Class: 0\n>Pred: =  Case Index: 0  Case Value: 0\n^Class: "
      "1\n^Class: 0",
      2);
  const Table table = parseTable(run.out);
  EXPECT_EQ(table.answers, (std::vector<int>{1, 1, 0, 0}));
  ASSERT_FALSE(table.after.empty());
  EXPECT_NE(table.after.back().find("x3"), std::string::npos) << table.after.back();
  EXPECT_EQ(occurrences(tableOf(andFile, 2).out, "Note"), 0U);
}
