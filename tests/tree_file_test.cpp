#include "tree/tree_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "learner/learner.h"
#include "support/describe.h"
#include "support/examples.h"
#include "support/temp_dir.h"
#include "support/text.h"

namespace {

const char* const andTree = "(= 0 1 0 (= 1 1 0 (0 0 0 1) (0 0 0 0)) (0 0 0 0))";

std::string written(const TreeNode* root) {
  std::ostringstream out;
  TreeFile::write(root, out);
  return out.str();
}

std::unique_ptr<TreeNode> parsed(const std::string& text) {
  std::istringstream in(text);
  std::unique_ptr<TreeNode> root;
  TreeFile::read(root, in);
  return root;
}

std::string readBack(const std::string& text) { return describe(parsed(text).get()); }

// The lines that the reader took leniently, each as "line: reason", also
// where the read then fails.
std::vector<std::string> warningsOf(const std::string& text) {
  std::istringstream in(text);
  std::unique_ptr<TreeNode> root;
  std::vector<TreeFileWarning> warnings;
  try {
    TreeFile::read(root, in, &warnings);
  } catch (const TreeFileError&) {
  }
  std::vector<std::string> lines;
  for (const TreeFileWarning& w : warnings) lines.push_back(std::to_string(w.line) + ": " + w.reason);
  return lines;
}

const std::vector<std::string> none;

// The line and reason the reader refuses `text` with.
TreeFileError refusal(const std::string& text) {
  try {
    parsed(text);
  } catch (const TreeFileError& error) {
    return error;
  }
  ADD_FAILURE() << "accepted: " << text.substr(0, 80);
  return {};
}

std::string leafWithValue(float value) {
  TreeNode node;
  node.pred = '<';
  node.caseValue = value;
  node.left = std::make_unique<TreeNode>();
  node.right = std::make_unique<TreeNode>();
  const std::string text = written(&node);
  return text.substr(text.find("Value: ") + 7, text.find('\n') - text.find("Value: ") - 7);
}

// A chain of node lines, each with a leaf of class 0 on its left; the
// deepest leaf has class 1.
std::string chainFile(std::size_t levels) {
  std::string file;
  for (std::size_t i = 1; i < levels; ++i) file += ">\n^Class: 0\n";
  return file + "^Class: 1";
}

}  // namespace

TEST(TreeFileWrite, WritesTheAndTreeWithTabsAndNoFinalLineEnd) {
  const auto tree = parsed(andFile);
  EXPECT_EQ(written(tree.get()), andFile);
}

TEST(TreeFileWrite, WritesALeafAsOneLine) {
  TreeNode leaf;
  leaf.leafClass = 1;
  EXPECT_EQ(written(&leaf), "^Class: 1");
}

TEST(TreeFileWrite, RefusesAMissingTree) { EXPECT_THROW(written(nullptr), int); }

TEST(TreeFileWrite, WritesValuesInSixDigitGeneralForm) {
  EXPECT_EQ(leafWithValue(0.0F), "0");
  EXPECT_EQ(leafWithValue(1.0F), "1");
  EXPECT_EQ(leafWithValue(0.5F), "0.5");
  EXPECT_EQ(leafWithValue(1.0F / 3.0F), "0.333333");
  EXPECT_EQ(leafWithValue(0.6F), "0.6");
  EXPECT_EQ(leafWithValue(0.0001F), "0.0001");
  EXPECT_EQ(leafWithValue(0.00001F), "1e-05");
  EXPECT_EQ(leafWithValue(123456.0F), "123456");
  EXPECT_EQ(leafWithValue(1234567.0F), "1.23457e+06");
  EXPECT_EQ(leafWithValue(-2.5F), "-2.5");
}

TEST(TreeFileWrite, WritesANodeWithOneChildAsALeaf) {
  TreeNode node;
  node.pred = '=';
  node.leafClass = 1;
  node.left = std::make_unique<TreeNode>();
  EXPECT_EQ(written(&node), "^Class: 1");
}

TEST(TreeFileRead, ReadsTheAndTree) { EXPECT_EQ(readBack(andFile), andTree); }

TEST(TreeFileRead, RoundTripKeepsTheShapeAndSixDigitValues) {
  Learner learner;
  learner.examples = allCombinations(3, [](const std::vector<float>& v) { return v[0] + v[1] + v[2] == 1; });
  learner.learn();
  const std::string text = written(learner.root.get());
  EXPECT_EQ(written(parsed(text).get()), text);
  EXPECT_EQ(warningsOf(text), none);

  TreeNode node;
  node.pred = '<';
  node.caseIndex = 7;
  node.caseValue = 0.123456789F;
  node.leafClass = 1;
  node.left = std::make_unique<TreeNode>();
  node.left->pred = '=';
  node.left->caseValue = 3.0F;
  node.left->leafClass = 1;
  node.right = std::make_unique<TreeNode>();
  EXPECT_EQ(readBack(written(&node)), "(< 7 0.123457 0 (0 0 0 1) (0 0 0 0))");
  EXPECT_EQ(parsed(written(&node))->caseValue, 0.123457F);
  // Whatever the writer writes reads back without a warning. A pred that a
  // read left NUL (">Pred:" and nothing after it) is written as '<', which
  // tests the same, so that the numbers after it read back too.
  node.pred = '\0';
  node.caseIndex = 0xFFFFFFFFU;
  node.caseValue = -INFINITY;
  node.left->leafClass = 0;
  EXPECT_EQ(warningsOf(written(&node)), none);
  EXPECT_EQ(readBack(written(&node)), "(< 4294967295 -inf 0 (0 0 0 0) (0 0 0 0))");
}

// Files the reader takes, each with the tree it reads and the lines it
// names as read leniently ("line: reason"), in the order of the file.
TEST(TreeFileRead, TakesEveryLeniencyAndNamesTheLinesItReadsLeniently) {
  const std::string node =
      "the node line does not match \">Pred: P  Case Index: N  Case Value: V\"; what it lacks is read as 0";
  const std::string leaf = "the leaf line does not match \"^Class: N\"; it is read as class 0";
  const std::string after = "text after the last value is not read: ";
  const std::string cut = "the line holds more than 511 characters after its indentation; the rest is not read";
  const std::string andOnOneLevel =
      ">Pred: =  Case Index: 0  Case Value: 1\n>Pred: =  Case Index: 1  Case Value: 1\n^Class: 1\n^Class: 0\n"
      "^Class: 0";
  const struct {
    const char* what;
    std::string text;
    std::string tree;
    std::vector<std::string> warnings;
  } cases[] = {
      {"no indentation", andOnOneLevel, andTree, none},
      {"any indentation",
       "\t\t\t>Pred: =  Case Index: 0  Case Value: 1\n>Pred: =  Case Index: 1  Case Value: 1\n"
       "\t\t\t\t\t\t^Class: 1\n\t^Class: 0\n\t\t^Class: 0",
       andTree, none},
      {"comments anywhere",
       "# and, learnt today\n>Pred: =  Case Index: 0  Case Value: 1\n  # between a node and its children\n"
       "\t>Pred: =  Case Index: 1  Case Value: 1\n\t\t^Class: 1  # a note\n\t\t^Class: 1\n\t\t^Class: 0\n#\n"
       "\t^Class: 0",
       andTree, none},
      // A node whose pred is "#" is itself taken for a comment.
      {"a # pred", ">Pred: #  Case Index: 0  Case Value: 1\n^Class: 1", "(0 0 0 1)", none},
      {"no blanks", ">Pred:=CaseIndex:1CaseValue:0.5 \t\n^Class:1\r\n^Class:\t0 ",
       "(= 1 0.5 0 (0 0 0 1) (0 0 0 0))", none},
      {"runs of blanks", ">Pred:   <  \t Case   Index:   2 Case Value:   -3e2\n^Class:   1\n^Class: 0",
       "(< 2 -300 0 (0 0 0 1) (0 0 0 0))", none},
      // Every predicate but "=" is a greater-than test, so none is a typo.
      {"another pred", ">Pred: >  Case Index: 0  Case Value: 1\n^Class: 1\n^Class: 0",
       "(> 0 1 0 (0 0 0 1) (0 0 0 0))", none},
      {"carriage returns",
       ">Pred: =  Case Index: 0  Case Value: 1\r\n\t>Pred: =  Case Index: 1  Case Value: 1\r\n"
       "\t\t^Class: 1\r\n\t\t^Class: 0\r\n\t^Class: 0\r\n",
       andTree, none},
      {"a line end after the tree", std::string(andFile) + "\n", andTree, none},
      {"lines after the tree", std::string(andFile) + "\n^Class: 7 and anything at all\n\n>", andTree, none},
      {"words that do not match", ">Predicate: =  Case Index: 4\n^Klasse: 1\n^ Class: 1",
       "(0 0 0 0 (0 0 0 0) (0 0 0 0))", {"1: " + node, "2: " + leaf, "3: " + leaf}},
      {"an index that does not match", "# x\n>Pred: =  Case Index: z  Case Value: 3\n^\n^Class: 1",
       "(= 0 0 0 (0 0 0 0) (0 0 0 1))", {"2: " + node, "3: " + leaf}},
      {"a value that does not match", ">Pred: =  Case Index: 4  Case Value: x\n^\n^Class: 1",
       "(= 4 0 0 (0 0 0 0) (0 0 0 1))", {"1: " + node, "2: " + leaf}},
      {"text after the last value", ">Pred: =  Case Index: 0  Case Value: 1 x\n^Class: 1.5\n^Class: 0\t\x01",
       "(= 0 1 0 (0 0 0 1) (0 0 0 0))",
       {"1: " + after + "\"x\"", "2: " + after + "\".5\"", "3: " + after + "\"\x01\""}},
      {"a long text after the last value", "^Class: 1 " + std::string(50, 'y'), "(0 0 0 1)",
       {"1: " + after + "\"" + std::string(40, 'y') + "\"..."}},
      {"numbers cut to their low bits", ">Pred: =  Case Index: 4294967297  Case Value: 1\n^Class: 257\n^Class: -1",
       "(= 1 1 0 (0 0 0 1) (0 0 0 255))",
       {"1: Case Index 4294967297 is beyond 0 to 4294967295; read as 1",
        "2: Class 257 is neither 0 nor 1; read as 1", "3: Class -1 is neither 0 nor 1; read as 255"}},
      {"numbers beyond 64 bits",
       ">Pred: =  Case Index: -99999999999999999999  Case Value: 1\n^Class: 99999999999999999999999\n"
       ">Pred: =  Case Index: 99999999999999999999  Case Value: 1\n^Class: 2\n^Class: 0",
       "(= 0 1 0 (0 0 0 255) (= 4294967295 1 0 (0 0 0 2) (0 0 0 0)))",
       {"1: Case Index -99999999999999999999 is beyond 0 to 4294967295; read as 0",
        "2: Class 99999999999999999999999 is neither 0 nor 1; read as 255",
        "3: Case Index 99999999999999999999 is beyond 0 to 4294967295; read as 4294967295",
        "4: Class 2 is neither 0 nor 1; read as 2"}},
      {"a negative index", ">Pred: =  Case Index: -1  Case Value: 1\n^\n^",
       "(= 4294967295 1 0 (0 0 0 0) (0 0 0 0))",
       {"1: Case Index -1 is beyond 0 to 4294967295; read as 4294967295", "2: " + leaf, "3: " + leaf}},
      {"numbers in range", ">Pred: =  Case Index: 4294967295  Case Value: 1\n^Class: +1\n^Class: -0",
       "(= 4294967295 1 0 (0 0 0 1) (0 0 0 0))", none},
      // The writer indents by depth, so a deep tree's lines grow past 511
      // characters; they must still read back.
      {"indentation beyond 511 characters",
       ">\n" + std::string(1000, '\t') + "^Class: 1\n" + std::string(1000, '\t') + "^Class: 0",
       "(0 0 0 0 (0 0 0 1) (0 0 0 0))", {"1: " + node}},
      // The cut explains whatever else is odd about its line, and only that.
      {"a last line cut at 511 characters", ">\n^Class: 1\n^Class: 1" + std::string(600, 'x'),
       "(0 0 0 0 (0 0 0 1) (0 0 0 1))", {"1: " + node, "3: " + cut}},
      {"a last line of blanks cut", ">\n^Class: 1\n^Class: 1" + std::string(600, ' '),
       "(0 0 0 0 (0 0 0 1) (0 0 0 1))", {"1: " + node, "3: " + cut}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(readBack(c.text), c.tree);
    EXPECT_EQ(warningsOf(c.text), c.warnings);
  }
  // Also where a later line ends the read.
  EXPECT_EQ(warningsOf("# x\n>Pred: =  Case Index: 4  Case Value: x\n^\n"),
            (std::vector<std::string>{"2: " + node, "3: " + leaf}));
}

TEST(TreeFileRead, ReadsEveryFloatForm) {
  EXPECT_EQ(parsed(">Pred: <  Case Index: 0  Case Value: 1e-05\n^\n^")->caseValue, 1e-05F);
  EXPECT_EQ(parsed(">Pred: <  Case Index: 0  Case Value: 1.23457E+06\n^\n^")->caseValue, 1234570.0F);
  EXPECT_EQ(parsed(">Pred: <  Case Index: 0  Case Value: 0x1p-2\n^\n^")->caseValue, 0.25F);
  EXPECT_EQ(parsed(">Pred: <  Case Index: 0  Case Value: -inf\n^\n^")->caseValue, -INFINITY);
  EXPECT_EQ(parsed(">Pred: <  Case Index: 0  Case Value: 1e999\n^\n^")->caseValue, INFINITY);
  EXPECT_TRUE(std::isnan(parsed(">Pred: <  Case Index: 0  Case Value: nan\n^\n^")->caseValue));
  // Only a finite number too large for a float is named; a tiny one reads
  // as the float nearest to it.
  EXPECT_EQ(
      warningsOf(
          ">Pred: <  Case Index: 0  Case Value: -1e999\n>Pred: <  Case Index: 0  Case Value: 1e-50\n"
          ">Pred: <  Case Index: 0  Case Value: -inf\n>Pred: <  Case Index: 0  Case Value: 0x1p-2\n"
          ">Pred: <  Case Index: 0  Case Value: -nan\n^Class: 0\n^Class: 0\n^Class: 0\n^Class: 0\n^Class: 0"),
      (std::vector<std::string>{"1: Case Value -1e999 is beyond the range of a float; read as -inf"}));
}

TEST(TreeFileRead, DoesNotCountIndentationTowardsTheLineLimit) {
  // The writer indents by depth, so a deep tree's lines grow past 511
  // characters; they must still read back.
  EXPECT_EQ(readBack(std::string(600, '\t') + "^Class: 1"), "(0 0 0 1)");
  EXPECT_EQ(readBack(">\n" + std::string(1000, '\t') + "^Class: 1\n" + std::string(1000, '\t') + "^Class: 0"),
            "(0 0 0 0 (0 0 0 1) (0 0 0 0))");
}

TEST(TreeFileRead, RefusesAnIncompleteTreeNamingTheLine) {
  const std::string expected = "expected a node line (\">\") or a leaf line (\"^\"), found ";
  const std::string empty = expected + "an empty line or the end of the file";
  const struct {
    std::string text;
    std::size_t line;  // comment lines count
    std::string reason;
  } cases[] = {
      {"", 1, empty},
      {">Pred: =  Case Index: 0  Case Value: 1\n^Class: 1", 3, empty},
      {">Pred: =  Case Index: 0  Case Value: 1\n\n^Class: 1\n^Class: 0", 2, empty},
      {"# only a comment\n# and another", 3, empty},
      {"# and\n>Pred: =  Case Index: 0  Case Value: 1\n# yes\n\t\tClass: 1\n^Class: 0", 4,
       expected + "\"C\""},
      {" ^Class: 1", 1, expected + "\" \""},
  };
  for (const auto& c : cases) {
    const TreeFileError error = refusal(c.text);
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_EQ(error.reason, c.reason) << c.text;
  }
}

TEST(TreeFileRead, RefusesWhatFollowsAnOverlongLineNamingIt) {
  // Every read after an overlong line fails; the refusal names the long
  // line, not the sound one after it.
  const TreeFileError overlong =
      refusal(">Pred: =  Case Index: 0  Case Value: 1" + std::string(600, ' ') + "\n^Class: 1\n^Class: 0");
  EXPECT_EQ(overlong.line, 1U);
  EXPECT_NE(overlong.reason.find("511"), std::string::npos) << overlong.reason;
  EXPECT_EQ(refusal("# a comment\n>" + std::string(600, 'x') + "\n# another\n^Class: 1\n^Class: 0").line, 2U);
  // An overlong line that starts with a NUL byte is itself the fault, and
  // so is the endless first line of /dev/zero.
  EXPECT_EQ(refusal(">\n" + std::string(600, '\0') + "\n^Class: 0").line, 2U);
  EXPECT_EQ(refusal(std::string(600, '\0')).line, 1U);
}

TEST(TreeFileRead, LoadsTenThousandLevelsAndRefusesDeeper) {
  const auto deep = parsed(chainFile(10000));
  std::size_t levels = 1;
  for (const TreeNode* node = deep.get(); !node->isLeaf(); node = node->right.get()) ++levels;
  EXPECT_EQ(levels, 10000U);
  // Every test is "> 0": a zero goes right down to the last leaf.
  EXPECT_EQ(deep->classify(std::vector<float>{0}), 1);
  EXPECT_EQ(deep->classify(std::vector<float>{1}), 0);

  // The left leaf of the node on line 19999 would be the 10,001st level.
  const TreeFileError deeper = refusal(chainFile(10001));
  EXPECT_EQ(deeper.reason, "the tree is deeper than 10000 levels");
  EXPECT_EQ(deeper.line, 20000U);
  EXPECT_EQ(refusal(chainFile(1000000)).line, 20000U);
}

TEST(TreeFileWrite, WritesADeepTreeIndentedByDepth) {
  const auto deep = parsed(chainFile(2000));
  const std::string text = written(deep.get());
  EXPECT_EQ(written(parsed(text).get()), text);
  EXPECT_EQ(text.substr(text.rfind('\n') + 1), std::string(1999, '\t') + "^Class: 1");
}

TEST(LearnerLoad, ReplacesTheTreeOnlyWhenTheFileIsWhole) {
  const TempDir dir;
  writeFile(dir.file("and.txt"), andFile);
  writeFile(dir.file("broken.txt"), ">Pred: =  Case Index: 0  Case Value: 1\n^Class: 1");
  Learner learner;
  EXPECT_TRUE(learner.load(dir.file("and.txt").c_str()));
  EXPECT_EQ(describe(learner.root.get()), andTree);
  const TreeNode* before = learner.root.get();
  EXPECT_FALSE(learner.load(dir.file("broken.txt").c_str()));
  EXPECT_FALSE(learner.load(dir.file("missing.txt").c_str()));
  EXPECT_FALSE(learner.load(dir.path().c_str()));
  EXPECT_FALSE(learner.load(nullptr));
  EXPECT_FALSE(learner.load(""));
  EXPECT_EQ(learner.root.get(), before);
  EXPECT_EQ(describe(learner.root.get()), andTree);
}

TEST(LearnerLoad, NeverTouchesTheExamples) {
  const TempDir dir;
  writeFile(dir.file("leaf.txt"), "^Class: 0");
  Learner learner;
  learner.addExample({1, 0}, 1);
  EXPECT_TRUE(learner.load(dir.file("leaf.txt").c_str()));
  EXPECT_EQ(learner.examples.size(), 1U);
  EXPECT_EQ(learner.classify(std::vector<float>{1, 0}), 0);
}
