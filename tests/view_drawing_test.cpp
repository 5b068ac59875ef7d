#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/text.h"
#include "support/view.h"
#include "tools/common/node_text.h"
#include "tree/tree_file.h"

namespace {

const char* const andDrawing =
    "x1 = 1\n"
    "\u251c\u2500 yes: x2 = 1\n"
    "\u2502  \u251c\u2500 yes: class 1\n"
    "\u2502  \u2514\u2500 no: class 0\n"
    "\u2514\u2500 no: class 0\n";

const char* const andAsciiDrawing =
    "x1 = 1\n"
    "|- yes: x2 = 1\n"
    "|  |- yes: class 1\n"
    "|  `- no: class 0\n"
    "`- no: class 0\n";

// Draws `file`, read from standard input.
ViewRun drawFile(const std::string& file, std::vector<std::string> args = {}) {
  args.emplace_back("-");
  return runView(args, file);
}

std::string nodeLine(char pred, std::uint32_t caseIndex, const std::string& value) {
  return std::string(">Pred: ") + pred + "  Case Index: " + std::to_string(caseIndex) +
         "  Case Value: " + value;
}

std::unique_ptr<TreeNode> parsed(const std::string& text) {
  std::istringstream in(text);
  std::unique_ptr<TreeNode> root;
  TreeFile::read(root, in);
  return root;
}

}  // namespace

TEST(ViewDrawing, DrawsEveryNodeOnALineOfItsOwnWithBoxLines) {
  const TempDir dir;
  writeFile(dir.file("and.txt"), andFile);
  const ViewRun run = runView({dir.file("and.txt")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, andDrawing);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(drawFile("^Class: 1").out, "class 1\n");
}

TEST(ViewDrawing, DrawsWithPlainAsciiOnRequest) {
  const ViewRun run = drawFile(andFile, {"--ascii"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, andAsciiDrawing);
  // A yes branch with more below it keeps its column open.
  EXPECT_EQ(drawFile(">Pred: =  Case Index: 0  Case Value: 1\n" + nodeLine('=', 2, "0") +
                         "\n^Class: 1\n^Class: 0\n^Class: 1",
                     {"--ascii"})
                .out,
            "x1 = 1\n"
            "|- yes: x3 = 0\n"
            "|  |- yes: class 1\n"
            "|  `- no: class 0\n"
            "`- no: class 1\n");
}

TEST(ViewDrawing, NamesEachValueByItsPositionFromX1) {
  const ViewRun run =
      drawFile(nodeLine('=', 2, "1") + "\n" + nodeLine('=', 0, "1") + "\n^Class: 1\n^Class: 0\n" +
               nodeLine('=', 4294967295U, "1") + "\n^Class: 0\n^Class: 1");
  EXPECT_EQ(run.out,
            "x3 = 1\n"
            "\u251c\u2500 yes: x1 = 1\n"
            "\u2502  \u251c\u2500 yes: class 1\n"
            "\u2502  \u2514\u2500 no: class 0\n"
            "\u2514\u2500 no: x4294967296 = 1\n"
            "   \u251c\u2500 yes: class 0\n"
            "   \u2514\u2500 no: class 1\n");
}

TEST(ViewDrawing, WritesEachNumberAsTheShortestTextThatReadsBackAsIt) {
  const struct {
    const char* file;
    const char* drawn;
  } numbers[] = {
      {"0.5", "x1 > 0.5"},        {"0.00001", "x1 > 1e-05"},        {"1234570", "x1 > 1234570"},
      {"2.70000005", "x1 > 2.7"}, {"5.14999962", "x1 > 5.1499996"}, {"0.123456789", "x1 > 0.12345679"}};
  for (const auto& n : numbers)
    EXPECT_EQ(linesOf(drawFile(nodeLine('<', 0, n.file) + "\n^Class: 1\n^Class: 0").out)[0], n.drawn);
}

// Whatever the file holds, the drawn relation holds for a value exactly
// when the tree sends that value down the yes branch.
TEST(ViewDrawing, DrawsTheTestThatDecidesTheYesBranch) {
  const struct {
    char pred;
    const char* value;
  } tests[] = {{'=', "1"},           {'<', "0.5"},      {'>', "0.5"}, {'a', "0.123456789"},
               {'=', "0.123456789"}, {'<', "16777217"}, {'<', "-0"},  {'=', "-0"},
               {'<', "-inf"},        {'<', "nan"},      {'=', "nan"}, {'<', "3.40282e+38"}};
  for (const auto& test : tests) {
    const std::string file = nodeLine(test.pred, 0, test.value) + "\n^Class: 1\n^Class: 0";
    const std::string drawn = linesOf(drawFile(file).out).at(0);
    const std::string context = std::string("Pred ") + test.pred + " Value " + test.value + ": " + drawn;
    ASSERT_GE(drawn.size(), 5U) << context;
    ASSERT_EQ(drawn.substr(0, 3), "x1 ") << context;
    const char relation = drawn[3];
    ASSERT_TRUE(relation == '=' || relation == '>') << context;
    const std::string rest = drawn.substr(5);
    const bool never = rest.find(" (never holds)") != std::string::npos;
    const float threshold = std::strtof(rest.c_str(), nullptr);

    const auto tree = parsed(file);
    const float v = tree->caseValue;
    for (const float sample : {v, std::nextafter(v, INFINITY), std::nextafter(v, -INFINITY), 0.0F, 1.0F,
                               -1.0F, 0.123457F, 16777200.0F, NAN}) {
      const bool drawnHolds = !never && (relation == '=' ? sample == threshold : sample > threshold);
      const bool goesYes = tree->classify(std::vector<float>{sample}) == 1;
      EXPECT_EQ(drawnHolds, goesYes) << context << " with " << sample;
    }
  }
}

TEST(NodeText, NamesAttributesValuesAndClassesAsTheDataDo) {
  DataNames names;
  names.attributes = {{"outlook", AttributeKind::nominal, {"sunny", "rainy"}}, {"petal length", {}, {}}, {}};
  names.classes = {"no", "yes"};
  const struct {
    std::string node;  // its line of a tree file, the children leaves
    const char* text;
  } cases[] = {
      {"=  Case Index: 0  Case Value: 1", "outlook = rainy"},
      // A nominal value's order means nothing, nor does an index it lacks.
      {">  Case Index: 0  Case Value: 0", "outlook > 0"},
      {"=  Case Index: 0  Case Value: 2", "outlook = 2"},
      {"<  Case Index: 1  Case Value: 2.45", "petal length > 2.45"},
      // An attribute without a name, or beyond the names, keeps its place.
      {"=  Case Index: 2  Case Value: 1", "x3 = 1"},
      {"=  Case Index: 3  Case Value: 1", "x4 = 1"},
  };
  for (const auto& c : cases) {
    std::unique_ptr<TreeNode> tree;
    std::istringstream in(">Pred: " + c.node + "\n^Class: 1\n^Class: 2");
    TreeFile::read(tree, in);
    EXPECT_EQ(nodeText(*tree, names), c.text);
    EXPECT_EQ(nodeText(*tree->left, names) + ", " + nodeText(*tree->right, names), "class yes, class 2");
  }
}
