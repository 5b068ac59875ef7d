// treebench-explain: the induction's own figures for the worked examples,
// the tree it saves, and what it refuses. Run in-process, but for the exit
// statuses of the real program.
#include "support/explain.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "examples/example_generator.h"
#include "learner/learner.h"
#include "support/command.h"
#include "support/temp_dir.h"
#include "support/text.h"

namespace {

const std::string tryHelp = "Try 'treebench-explain --help' for more information.\n";

// A leaf that misclassifies one of its three examples, then a split that
// sends every example one way: the growth stops there.
const char* const stoppingRows = "2,1\n0.5,1\n0,1\n2,0\n2,1\n1,0\n";

}  // namespace

TEST(Explain, ShowsTheInductionsFiguresForTheWorkedExamples) {
  // Equal values sort class 0 first, which makes two scored cuts; the yes
  // side cannot be split and ties, so class 0 answers.
  const std::string worked =
      "3 examples of 1 value from standard input.\n"
      "\n"
      "root: 3 examples, 2 of class 0 and 1 of class 1\n"
      "  predicate =, as every value is 0 or 1\n"
      "  x1: 2 cuts, each scored, in sorted order\n"
      "    1. 0, between (0, class 0) and (0, class 1): score 0.725982547\n"
      "    2. 0.5, between (0, class 1) and (1, class 0): score 0\n"
      "    cut 1 wins: the highest score\n"
      "    threshold 0: the upper value of cut 1\n"
      "  attribute scores: x1 0.725982547\n"
      "  chosen: x1, the only one that can split the set\n"
      "  test x1 = 0: 2 examples pass to yes, 1 fails to no\n"
      "  root.yes: 2 examples, 1 of class 0 and 1 of class 1\n"
      "    predicate =, as every value is 0 or 1\n"
      "    x1: cannot split, as every example has the same value\n"
      "    leaf: class 0, which wins the tie of the classes, as no value splits the set\n"
      "  root.no: 1 example, 1 of class 0 and 0 of class 1\n"
      "    predicate =, as every value is 0 or 1\n"
      "    leaf: class 0, as every example is of that class\n"
      "\n"
      "The tree, as treebench-view draws it:\n"
      "x1 = 0\n"
      "\u251c\u2500 yes: class 0\n"
      "\u2514\u2500 no: class 0\n";
  EXPECT_EQ(explain({"-"}, "0,1\n0,0\n1,0\n").out, worked);
  // The same rows with names: the same words, in the names.
  std::string named = worked;
  for (const auto& [from, to] : {std::pair{"x1 = 0", "windy = FALSE"},
                                 {"x1", "windy"},
                                 {"class 0", "class no"},
                                 {"class 1", "class yes"}}) {
    for (auto at = named.find(from); at != std::string::npos; at = named.find(from, at + std::strlen(to)))
      named.replace(at, std::strlen(from), to);
  }
  EXPECT_EQ(explain({"-"},
                    "@relation r\n@attribute windy {FALSE,TRUE}\n@attribute play {no,yes}\n@data\n"
                    "FALSE,yes\nFALSE,no\nTRUE,no\n")
                .out,
            named);

  // Values other than 0 and 1: the threshold is the upper value of the cut,
  // which nothing exceeds in the no side, so the growth stops there.
  EXPECT_EQ(explain({"-"}, "0.1,0\n0.3,0\n0.6,1\n0.9,1\n").out,
            "4 examples of 1 value from standard input.\n"
            "\n"
            "root: 4 examples, 2 of class 0 and 2 of class 1\n"
            "  predicate >, as a value is neither 0 nor 1 (the tree file writes <)\n"
            "  x1: 1 cut\n"
            "    1. 0.45000002, between (0.3, class 0) and (0.6, class 1)\n"
            "    cut 1 wins: the only cut, taken unscored\n"
            "    threshold 0.6: the upper value of cut 1\n"
            "  attribute scores: x1 0.5\n"
            "  chosen: x1, the only one that can split the set\n"
            "  test x1 > 0.6: 1 example passes to yes, 3 fail to no\n"
            "  root.yes: 1 example, 0 of class 0 and 1 of class 1\n"
            "    predicate >, as a value is neither 0 nor 1 (the tree file writes <)\n"
            "    leaf: class 1, as every example is of that class\n"
            "  root.no: 3 examples, 2 of class 0 and 1 of class 1\n"
            "    predicate >, as a value is neither 0 nor 1 (the tree file writes <)\n"
            "    x1: 1 cut\n"
            "      1. 0.45000002, between (0.3, class 0) and (0.6, class 1)\n"
            "      cut 1 wins: the only cut, taken unscored\n"
            "      threshold 0.6: the upper value of cut 1\n"
            "    attribute scores: x1 0\n"
            "    chosen: x1, the only one that can split the set\n"
            "    test x1 > 0.6: 0 examples pass to yes, 3 fail to no\n"
            "\n"
            "Illegal C4.5 Tree structure.\n"
            "The growth stops at root.no: no example passes its test.\n"
            "What is left is the tree as far as it grew: root.no keeps its test,\n"
            "and its two children are empty leaves of class 0.\n"
            "\n"
            "The tree, as treebench-view draws it:\n"
            "x1 > 0.6\n"
            "\u251c\u2500 yes: class 1\n"
            "\u2514\u2500 no: x1 > 0.6\n"
            "   \u251c\u2500 yes: class 0\n"
            "   \u2514\u2500 no: class 0\n");

  // A failure that leaves a node not grown, which is named.
  EXPECT_NE(explain({"-"}, "0.1,0,0\n0.3,0,0\n0.6,0,1\n0.9,0,1\n0.1,1,1\n0.2,1,1\n0.3,1,0\n")
                .out.find("The growth stops at root.yes: no example passes its test.\n"
                          "What is left is the tree as far as it grew: root.yes keeps its test,\n"
                          "and its two children are empty leaves of class 0.\n"
                          "The node not grown yet is an empty leaf of class 0 too: root.no.\n"),
            std::string::npos);
  // Several, deepest first, as they would have grown.
  EXPECT_NE(explain({"-"}, "0.94,0.36,1\n0.81,0.42,0\n0.31,0.03,1\n0.83,0.67,0\n0.47,0.43,0\n0.98,0.99,1\n")
                .out.find("The nodes not grown yet are empty leaves of class 0 too: root.yes.no, root.no.\n"),
            std::string::npos);

  EXPECT_EQ(explain({"-"}, "1\n0\n1\n").out,
            "3 examples of 0 values from standard input.\n\n"
            "root: 3 examples, 1 of class 0 and 2 of class 1\n"
            "  predicate =, as every value is 0 or 1\n"
            "  leaf: class 1, the majority class, as the examples have no values\n\n"
            "The tree, as treebench-view draws it:\nclass 1\n");
  EXPECT_TRUE(explain({"-"}, "1,0\n").out.starts_with("1 example of 1 value from standard input.\n"));
  EXPECT_EQ(explain({"--generate", "|", "0"}).out,
            "0 examples drawn for | with seed 1.\n\nNo tree: there are no examples to learn from.\n");

  // Ties: the first of equal scores wins, among the cuts and the values.
  const std::string xorRun = explain({"-"}, "0,0,0\n0,1,1\n1,0,1\n1,1,0\n").out;
  EXPECT_NE(xorRun.find("    cut 1 wins: the first of the equal highest scores\n"), std::string::npos)
      << xorRun;
  EXPECT_NE(xorRun.find("  chosen: x1, the first of the equal highest scores\n"), std::string::npos)
      << xorRun;
}

TEST(Explain, SetsTextbookFiguresBesideTheMethodsWithCompare) {
  // x1 is the class and x2 noise, and the method scores x1's perfect cut 0.
  const std::string noise = explain({"--compare", "-"}, "0,0,0\n0,1,0\n1,0,1\n1,1,1\n").out;
  EXPECT_NE(noise.find("  attribute scores: x1 0, x2 1\n"
                       "  chosen: x2, the highest score\n"
                       "  textbook C4.5, for comparison only (not how this tree grows):\n"
                       "    x1 <= 0, 2 examples against 2: gain 1, split information 1, gain ratio 1\n"
                       "    x2 <= 0, 2 examples against 2: gain 0, split information 1, gain ratio 0\n"
                       "    chosen by Quinlan's rule: x1, the highest gain ratio among the gains of at least "
                       "the average, 0.5\n"
                       "    the method chooses x2: the two differ\n"
                       "  test x2 = 0:"),
            std::string::npos)
      << noise;
  // Three-input and, every input once: the values are alike at the root.
  const std::string triple =
      explain({"--compare", "-"}, "0,0,0,0\n1,0,0,0\n0,1,0,0\n1,1,0,0\n0,0,1,0\n1,0,1,0\n0,1,1,0\n1,1,1,1\n")
          .out;
  EXPECT_EQ(occurrences(triple,
                        " <= 0, 4 examples against 4: gain 0.137925381, split information 1, gain ratio "
                        "0.137925381\n"),
            3U)
      << triple;
  EXPECT_NE(triple.find("    the method chooses x1 too\n"), std::string::npos);
}

TEST(Explain, PrintsTheTreeAloneAsADigraphWithItsFiguresWithDot) {
  const std::string dot = explain({"--dot", "-"}, stoppingRows).out;
  EXPECT_EQ(dot.substr(0, 15), "digraph tree {\n") << dot;
  for (const char* label : {"x1 > 1\\n6 examples, 2 of class 0 and 4 of class 1\\nscore 1.08897376\"",
                            "class 1\\n3 examples, 1 of class 0 and 2 of class 1\\n1 misclassified\"",
                            "x1 > 1\\n3 examples, 1 of class 0 and 2 of class 1\\nscore 0\"",
                            "class 0\\nnot grown: the growth stopped\""})
    EXPECT_NE(dot.find(label), std::string::npos) << label;
  // Brief, and cut below the root, whose label tells its counts.
  const std::string brief = explain({"--dot", "--brief", "--max-depth=0", "-"}, stoppingRows).out;
  EXPECT_NE(brief.find("n0 [label=\"x1 > 1\\n2 of 0, 4 of 1\\n4 nodes below, not drawn\""), std::string::npos)
      << brief;
}

TEST(Explain, SavesTheTreeTheWorkbenchLearnsFromTheSameExamples) {
  const TempDir dir;
  const std::string saved = dir.file("explained.txt");
  const std::string learnt = dir.file("learnt.txt");
  // Drawn as the workbench draws them, one key at a time.
  for (const char fitness : {'%', '^'}) {
    SCOPED_TRACE(fitness);
    const Explained run = explain({"--generate", std::string(1, fitness), "300", "--seed=7", "--sa", saved});
    ASSERT_EQ(run.status, 0) << run.err;
    Learner learner;
    std::srand(7);
    std::vector<float> values;
    std::uint8_t classValue = 0;
    for (int k = 0; k < 300; ++k) {
      makeExample(values, classValue, fitness);
      learner.addExample(values, classValue);
    }
    learner.learn();
    ASSERT_TRUE(learner.save(learnt.c_str()));
    EXPECT_EQ(readFile(saved), readFile(learnt));
  }
  // The partial tree of a learn that stops, as the workbench keeps it.
  ASSERT_EQ(explain({"--save", saved, "-"}, "0.1,0\n0.3,0\n0.6,1\n0.9,1\n").status, 0);
  EXPECT_EQ(readFile(saved),
            ">Pred: <  Case Index: 0  Case Value: 0.6\n\t^Class: 1\n\t>Pred: <  Case Index: 0  Case Value: "
            "0.6\n\t\t^Class: 0\n\t\t^Class: 0");
}

TEST(Explain, RefusesBadRowsAndCommandLines) {
  const TempDir dir;
  const std::string rows = dir.file("rows.csv");
  writeFile(rows, "1.0,0.0,1\n0,1,0\n1,0,2\n");
  // The reader's refusal reaches standard error.
  const struct {
    std::vector<std::string> args;
    std::string message;
  } refusals[] = {
      {{rows}, "treebench-explain: " + rows + ":3: the class is neither 0 nor 1\n"},
      {{"-"}, "treebench-explain: -:1: the file holds no rows\n"},
      {{"--save", dir.file("tree\x1b[2J.txt"), "--generate", "|", "0"},
       "treebench-explain: " + dir.file("tree\\x1b[2J.txt") + ": there is no tree to save\n"},
      {{"--dot", "--generate", "|", "0"},
       "treebench-explain: there is no tree to print: there are no examples to learn from\n"},
      {{"--save", dir.file("missing/tree.txt"), "--generate", "&", "4"},
       "treebench-explain: " + dir.file("missing/tree.txt") + ": cannot write: No such file or directory\n"},
  };
  for (const auto& r : refusals) {
    const Explained run = explain(r.args);
    EXPECT_EQ(run.status, 1) << r.message;
    EXPECT_EQ(run.err, r.message);
  }
  EXPECT_FALSE(fileExists(dir.file("tree\x1b[2J.txt")));

  const struct {
    std::vector<std::string> args;
    const char* message;
  } usages[] = {
      {{}, "give one of a data file, --generate and --session"},
      {{"rows.csv", "--generate", "|", "4"}, "give one of a data file, --generate and --session"},
      {{"--session", "a.log", "a.csv"}, "give one of a data file, --generate and --session"},
      {{"--learn", "2", "a.csv"}, "--learn goes with --session"},
      {{"--session", "a.log", "--seed", "3"}, "--seed goes with --generate"},
      {{"--session", "a.log", "--learn", "0"}, "bad learn number '0': give a number from 1 to "},
      {{"--session=", "--learn", "1"}, "empty file name for --session"},
      {{"--generate", "?", "4"}, "unknown concept code '?'"},
      {{"--generate", "#", "-1"}, "bad example count '-1': give a number from 0 to "},
      {{"--generate", "&", "4", "--seed", "4294967296"},
       "bad seed '4294967296': give a number from 0 to 4294967295"},
      {{"rows.csv", "--seed", "3"}, "--seed goes with --generate"},
      {{"a.csv", "b.csv"}, "extra operand 'b.csv'"},
      {{"--save", "", "a.csv"}, "empty file name for --save"},
      {{"--dot", "a.csv", "--compare"}, "--compare and --dot cannot be used together"},
      {{"--header", "a.csv", "--no-header"}, "--header and --no-header cannot be used together"},
      {{"--class=", "a.csv"}, "empty column for --class"},
      {{"--class=1", "--class", "2", "a.csv"}, "--class=1 and --class=2 cannot be used together"},
      {{"--class", "2", "--generate", "|", "4"}, "--header, --no-header and --class go with a data file"},
      {{"--max-depth", "1", "a.csv"}, "--max-depth goes with --dot"},
      {{"--brief", "a.csv"}, "--brief goes with --dot"},
      {{"--session", "a.log", "--class", "2"}, "--header, --no-header and --class go with a data file"},
  };
  for (const auto& u : usages) {
    const Explained run = explain(u.args);
    EXPECT_EQ(run.status, 2) << u.message;
    EXPECT_EQ(run.out, "");
    const std::string said = "treebench-explain: " + std::string(u.message);
    EXPECT_EQ(run.err.substr(0, said.size()), said);
    EXPECT_EQ(run.err.substr(run.err.size() - tryHelp.size()), tryHelp) << run.err;
  }
}

TEST(ExplainProgram, GraphvizDrawsTheDigraph) {
  if (!onPath("dot")) GTEST_SKIP() << "Graphviz's dot is not installed; the digraph was not rendered";
  CommandOptions options;
  options.input = explain({"--dot", "-"}, stoppingRows).out;
  const CommandRun run = runCommand({"dot", "-Tsvg"}, options);
  EXPECT_EQ(exitCode(run.status), 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(occurrences(run.out, "class=\"node\""), 5U);
  EXPECT_EQ(occurrences(run.out, ">1 misclassified</text>"), 1U);
}

// The real program reads the file "-" from its standard input.
TEST(ExplainProgram, ReadsStandardInput) {
  CommandOptions input;
  input.input = "0,0,0\n1,1,1\n";
  const CommandRun piped = runCommand({TREEBENCH_EXPLAIN_PROGRAM, "-"}, input);
  EXPECT_EQ(exitCode(piped.status), 0);
  EXPECT_NE(piped.out.find("\nThe tree, as treebench-view draws it:\nx1 = 1\n"), std::string::npos)
      << piped.out;
}
