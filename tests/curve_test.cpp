// The learning curve: its replay of the workbench's loop, its chart, its
// counts as CSV and its command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "examples/example_generator.h"
#include "learner/learner.h"
#include "support/command.h"
#include "support/text.h"
#include "tools/common/dataset.h"
#include "tools/curve/curve_chart.h"
#include "tools/curve/curve_program.h"
#include "tools/curve/curve_text.h"
#include "tools/curve/learning_curve.h"

namespace {

// The verdicts of a session that learns after every example or not before
// its last, known without growing a tree: until the first learn every
// answer is 1, and a tree learnt from one example answers its class.
std::vector<bool> knownVerdicts(char code, std::size_t learnEvery, std::size_t examples, unsigned seed) {
  const Dataset drawn = generate(code, examples, seed);
  std::vector<bool> verdicts;
  for (std::size_t i = 0; i < examples; ++i)
    verdicts.push_back(drawn.classes[i] == (learnEvery == 1 && i > 0 ? drawn.classes[i - 1] : 1));
  return verdicts;
}

}  // namespace

TEST(LearningCurve, ReplaysTheVerdictsOfAWorkbenchSession) {
  const struct {
    char code;
    std::size_t learnEvery;
    unsigned seed;
  } sessions[] = {{'%', 1, 7}, {'%', 4, 7}, {'^', 3, 11}, {'#', 16, 3}};
  constexpr std::size_t examples = 40;
  for (const auto& s : sessions) {
    SCOPED_TRACE(std::string(1, s.code) + " every " + std::to_string(s.learnEvery));
    // The workbench's keys: an example key N times, the learn key after
    // every K-th.
    std::srand(s.seed);
    Learner learner;
    std::vector<bool> printed;
    for (std::size_t i = 1; i <= examples; ++i) {
      ::testing::internal::CaptureStdout();
      trainAndTest(learner, s.code);
      printed.push_back(::testing::internal::GetCapturedStdout().find("CORRECT") != std::string::npos);
      if (i % s.learnEvery == 0) learner.learn();
    }
    const LearningCurve curve = measureCurve(s.code, s.learnEvery, examples, 1, s.seed);
    EXPECT_EQ(std::vector<bool>(curve.correct.begin(), curve.correct.end()), printed);
  }
}

TEST(CurveChart, DrawsEachShareRoundedToTheNearestTenth) {
  // Shares 0.05, 0.5 and 0.95 of 20 runs, and 0.
  std::ostringstream out;
  drawCurveChart(LearningCurve{1, 20, {1, 10, 19, 0}, 4}, defaultChartColumns, out);
  EXPECT_EQ(out.str(),
            "share of runs right\n"
            " 1.0 |  #\n"
            " 0.9 |  #\n"
            " 0.8 |  #\n"
            " 0.7 |  #\n"
            " 0.6 |  #\n"
            " 0.5 | ##\n"
            " 0.4 | ##\n"
            " 0.3 | ##\n"
            " 0.2 | ##\n"
            " 0.1 |###\n"
            " 0.0 +----\n"
            "      1  4\n"
            "      example\n");
  // More examples than columns: a logarithmic scale, each column with the
  // share of its examples: the last, 502 to 1002, all wrong.
  std::vector<std::size_t> halves(501, 20);
  halves.resize(1002, 0);
  std::ostringstream logarithmic;
  drawCurveChart(LearningCurve{1, 20, halves, 1002}, 10, logarithmic);
  EXPECT_EQ(logarithmic.str().substr(logarithmic.str().find(" 0.1 |")),
            " 0.1 |#########\n 0.0 +----------\n      1  10 1002\n      example, on a logarithmic scale\n");
}

TEST(CurveChart, GivesTheFirstExamplesAColumnEachWhereTheyDoNotAllFit) {
  const struct {
    std::size_t examples, columns;
    std::vector<std::size_t> ends;
  } charts[] = {
      {4, 60, {1, 2, 3, 4}},
      {100, 10, {1, 2, 3, 5, 9, 15, 24, 39, 62, 100}},
      // Every column keeps an example, however steep the scale.
      {12, 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 12}},
  };
  for (const auto& c : charts) EXPECT_EQ(chartColumnEnds(c.examples, c.columns), c.ends) << c.examples;
}

TEST(CurveReport, WritesTheBlocksTheChartAndTheExampleAfterWhichEveryRunStayedRight) {
  std::ostringstream out;
  std::vector<std::size_t> right(18, 2);
  right[0] = 0;
  right[1] = right[4] = 1;
  writeCurveReport(LearningCurve{4, 2, right, 5}, defaultChartColumns, out);
  const std::string column = "  ## #############\n";
  const std::string full = " #################\n";
  EXPECT_EQ(out.str(),
            "Learning after every 4 examples\n\n"
            "examples  share right\n1-3       0.5\n4-6       0.833333\n7-9       1\n10-12     1\n"
            "13-15     1\n16-18     1\n\n"
            "share of runs right\n"
            " 1.0 |" +
                column + " 0.9 |" + column + " 0.8 |" + column + " 0.7 |" + column + " 0.6 |" + column +
                " 0.5 |" + full + " 0.4 |" + full + " 0.3 |" + full + " 0.2 |" + full + " 0.1 |" + full +
                " 0.0 +------------------\n      1       10      18\n           example\n\n"
                "Every run stayed right after example 5, to the last, 18.\n");
  const struct {
    LearningCurve curve;
    const char* line;
  } ends[] = {
      {{1, 2, {2, 2, 2}, 0}, "Every run was right at every example.\n"},
      {{1, 3, {3, 3, 1}, 3},
       "Not every run stayed right to the end: 2 of the 3 runs were wrong at the last example, 3.\n"},
      {{1, 3, {3, 1, 2}, 3},
       "Not every run stayed right to the end: 1 of the 3 runs was wrong at the last example, 3.\n"},
      {{1, 1, {1, 0}, 2}, "The run did not stay right to the end: it was wrong at the last example, 2.\n"}};
  for (const auto& end : ends) {
    std::ostringstream report;
    writeCurveReport(end.curve, defaultChartColumns, report);
    EXPECT_TRUE(report.str().ends_with(end.line)) << report.str();
  }
  // Up to 64 examples, eight blocks alike, the last of them full where the
  // examples divide; beyond, blocks that end at 1, 2, 5, 10, ... and the last.
  const struct {
    std::size_t examples;
    const char* rows;
  } blockRows[] = {
      {16,
       "1-2       1\n3-4       1\n5-6       1\n7-8       1\n9-10      1\n11-12     1\n13-14     1\n"
       "15-16     1\n\n"},
      {65, "1         1\n2         1\n3-5       1\n6-10      1\n11-20     1\n21-50     1\n51-65     1\n\n"}};
  for (const auto& expected : blockRows) {
    std::ostringstream blocks;
    writeCurveReport(LearningCurve{1, 1, std::vector<std::size_t>(expected.examples, 1), 0},
                     defaultChartColumns, blocks);
    EXPECT_TRUE(blocks.str().starts_with(
        std::string("Learning after every example\n\nexamples  share right\n") + expected.rows))
        << blocks.str();
  }
}

TEST(CurveProgram, PrintsTheShareOfRunsRightPerIntervalAndExampleAsCsv) {
  constexpr std::size_t examples = 12;
  constexpr unsigned runs = 7;
  const char* const sevenths[] = {"0",        "0.142857", "0.285714", "0.428571",
                                  "0.571429", "0.714286", "0.857143", "1"};
  std::string expected = "learn_every,example,correct_share\n";
  for (const std::size_t learnEvery : {std::size_t{1}, examples}) {
    std::vector<std::size_t> correct(examples, 0);
    std::size_t lastWrong = 0;
    for (unsigned run = 0; run < runs; ++run) {
      const std::vector<bool> verdicts = knownVerdicts('*', learnEvery, examples, 45 + run);
      for (std::size_t i = 0; i < examples; ++i) {
        correct[i] += verdicts[i];
        if (!verdicts[i]) lastWrong = std::max(lastWrong, i + 1);
      }
    }
    for (std::size_t i = 0; i < examples; ++i)
      expected +=
          std::to_string(learnEvery) + "," + std::to_string(i + 1) + "," + sevenths[correct[i]] + "\n";
    // From seed 45, learning after every example, the last run is right
    // from its second example on, while an earlier one is wrong at the last.
    EXPECT_EQ(measureCurve('*', learnEvery, examples, runs, 45).lastWrong, lastWrong) << learnEvery;
  }
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(
      runCurve({"*", "--csv", "--learn-every=1,12", "--examples=12", "--runs=7", "--seed=45"}, out, err), 0);
  EXPECT_EQ(out.str(), expected);
}

TEST(CurveUsage, WrongUsageExitsWithTwoAndPointsToTheHelp) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } usages[] = {
      {{}, "missing concept code"},
      {{"x"}, "unknown concept code 'x'"},
      {{"&", "|"}, "extra operand '|'"},
      {{"&", "--examples=0"}, "bad example count '0': give a number from 1 to 10000"},
      {{"&", "--learn-every=4,"}, "bad learning interval '': give a number from 1 to 10000"},
      {{"&", "--learn-every=2,4,2"}, "learning interval 2 given twice"},
      {{"&", "--learn-every=1,2,3,4,5,6,7,8,9"}, "more than 8 learning intervals"},
      {{"&", "--svg", "--csv"}, "--csv and --svg cannot be used together"},
  };
  for (const auto& usage : usages) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runCurve(usage.args, out, err), 2) << usage.message;
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "treebench-curve: " + std::string(usage.message) +
                             "\nTry 'treebench-curve --help' for more information.\n");
  }
}

TEST(CurveProgram, DrawsTheCurvesAsAnSvgDocumentWithALineAndALegendEntryForEachInterval) {
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(runCurve({"&", "--svg", "--learn-every=1,4,16", "--examples=150", "--runs=3"}, out, err), 0);
  const std::string svg = out.str();
  EXPECT_EQ(occurrences(svg, "<polyline "), 3U);
  EXPECT_EQ(occurrences(svg, "points=\" "), 0U);  // the points start at once
  for (const char* words :
       {">learn after every example<", ">learn every 4 examples<", ">learn every 16 examples<",
        ">Concept &amp;: 3 runs of 150 examples, seeds 1 to 3<", ">share of runs right<",
        ">example, on a logarithmic scale<"})
    EXPECT_EQ(occurrences(svg, words), 1U) << words;
  std::ostringstream linear;
  ASSERT_EQ(runCurve({"&", "--svg", "--examples=8", "--runs=1"}, linear, err), 0);
  EXPECT_EQ(occurrences(linear.str(), ">1<"), 1U);  // the first tick, once, on a linear axis
  if (!onPath("rsvg-convert")) GTEST_SKIP() << "rsvg-convert is not installed; the SVG was not rendered";
  CommandOptions options;
  options.input = svg;
  const CommandRun run = runCommand({"rsvg-convert", "--format=png"}, options);
  EXPECT_EQ(exitCode(run.status), 0) << run.err;
  EXPECT_EQ(run.out.substr(1, 3), "PNG");
}

TEST(CurveProgram, FitsTheChartToTheWidthThatColumnsOrTheTerminalGives) {
  EXPECT_EQ(terminalWidth(-1, "100"), 100U);
  EXPECT_EQ(terminalWidth(-1, "wide"), 0U);
  EXPECT_EQ(terminalWidth(-1, nullptr), 0U);
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(runCurve({"&", "--learn-every=1", "--examples=100"}, out, err, 30), 0);
  EXPECT_NE(out.str().find("\n 0.0 +" + std::string(23, '-') + "\n"), std::string::npos) << out.str();
}
